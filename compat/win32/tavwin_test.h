// Test controls of the Win32 stand-in (Linux builds only). Everything else a
// test observes goes through real Win32 calls, so the same scenario can run on
// Windows.
#ifndef TAVWIN_TEST_H
#define TAVWIN_TEST_H

#include <windows.h>

#include <string>
#include <vector>

namespace tavwin {

// Fault injection. FailGlobalAllocAt(n): the n-th GlobalAlloc from now on
// (1 = the next one) fails and every later one succeeds again; 0 disarms.
// FailGlobalLockAt works the same way for GlobalLock.
void FailGlobalAllocAt(int n);
void FailGlobalLockAt(int n);
// Counts of calls since the process started (to aim the two above).
long GlobalAllocCalls();
long GlobalLockCalls();

// Live resources. Both counts include what the clipboard owns (the memory
// and bitmaps handed to SetClipboardData) until EmptyClipboard frees it.
long LiveGlobalBlocks();
long LiveGdiObjects(); // pens, brushes, regions, palettes, bitmaps and memory DCs not yet deleted
long LiveWindowDCs();  // DCs from GetDC and BeginPaint not yet released (ReleaseDC, EndPaint)

// Message boxes shown so far (MessageBoxA returns IDOK at once).
struct MessageBoxRecord {
  std::string text;
  std::string caption;
  UINT style;
};
const std::vector<MessageBoxRecord>& MessageBoxLog();
void ClearMessageBoxLog();

// Clipboard: HoldClipboard(true) makes another program hold it, so that
// OpenClipboard fails. The two others make the next EmptyClipboard or
// SetClipboardData fail.
void HoldClipboard(bool held);
void FailEmptyClipboard(bool fail);
void FailSetClipboardData(bool fail);

// Deliver WM_PAINT to the window procedure while something is invalid, as a
// message loop would; returns the number of paints delivered.
int PumpPaints(HWND window);

} // namespace tavwin

#endif
