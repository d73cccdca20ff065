// Error reporting: the module-wide last error code, the switch for error
// boxes, and the version text that captions them.
#include "core/core.h"

#include <afx.h>

const char* const VersionString = "VIMBEL Version 2.0 / 32Bit";

namespace {
UINT g_lastErrorCode = 0;
LONG g_showErrorMessages = 1; // boxes only while exactly 1
} // namespace

void ReportError(UINT code, const char* argument) {
  g_lastErrorCode = code;
  if (g_showErrorMessages != 1)
    return;
  // A text that cannot be loaded comes out empty; the box is shown anyway.
  CString text;
  AfxFormatString1(text, code, argument);
  MessageBoxA(nullptr, text, VersionString, MB_OK | MB_ICONEXCLAMATION);
}

UINT LastErrorCode() {
  return g_lastErrorCode;
}
void ClearLastErrorCode() {
  g_lastErrorCode = 0;
}

extern "C" LONG WINAPI TAVIMG_GetLastError(CString* text) {
  TAV_ENTER_EXPORT_KEEPING_LAST_ERROR();
  if (text != nullptr)
    AfxFormatString1(*text, g_lastErrorCode, "");
  return (LONG)(1 - g_lastErrorCode);
}

extern "C" void WINAPI TAVIMG_ShowErrorMessages(LONG show) {
  TAV_ENTER_EXPORT_KEEPING_LAST_ERROR();
  g_showErrorMessages = show;
}

extern "C" char* WINAPI TAVIMG_GetVersionInfo(char* buffer) {
  TAV_ENTER_EXPORT_KEEPING_LAST_ERROR();
  if (buffer == nullptr)
    return nullptr;
  lstrcpynA(buffer, VersionString, 255);
  return buffer;
}
