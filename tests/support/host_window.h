// A host window for end-to-end tests, written against plain Win32 so that the
// same code runs on Windows.
//
//   HWND w = host::CreateTestWindow(0, 0, 200, 150); // visible WS_POPUP, client 200x150
//   host::AttachRecord(w, record);   // from now on every message goes to TAVIMG_OnMessage
//   host::PumpPaints(w);             // deliver pending WM_PAINT as a message loop would
//   std::vector<uint32_t> px = host::ReadClientPixels(w, &width, &height);
//   DestroyWindow(w);
//
// The window procedure passes every message, with the record kept in
// GWLP_USERDATA, to TAVIMG_OnMessage and returns its result; without a
// record it answers as DefWindowProcA. The window class has no background
// brush, so nothing but the library paints the client area (a new window's
// client area is black in the Linux stand-in).
#ifndef TAV_TESTS_SUPPORT_HOST_WINDOW_H
#define TAV_TESTS_SUPPORT_HOST_WINDOW_H

#include <tavoimg/tavoimg.h>

#include <stdint.h>

#include <vector>

namespace host {

// A visible WS_POPUP window at (x, y) of width x height (its client area too).
HWND CreateTestWindow(int x, int y, int width, int height);

// Attaches (or with null detaches) the record the procedure forwards to.
void AttachRecord(HWND window, ImgStruct* record);

// Sends WM_PAINT while the window has something invalid (at most 16 times);
// returns the number of paints delivered.
int PumpPaints(HWND window);

// The client area as 0x00RRGGBB values, rows top to bottom, read with BitBlt
// from the window's DC into a compatible bitmap and GetDIBits (32-bit).
// Empty when the window is gone or has no client area.
std::vector<uint32_t> ReadClientPixels(HWND window, int* width = nullptr, int* height = nullptr);

} // namespace host

#endif
