// Error reporting: the module-wide last error code, the switch for error
// boxes, and the version text that captions them.
#include "frame/frame.h"

#include <afx.h>

#include <string.h>

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

// Exports that leave the last error code as it is; every other export clears
// it on entry.
static const char* const kExportsKeepingLastError[] = {
    "TAVIMG_GetVersionInfo",      "TAVIMG_GetLastError",      "TAVIMG_ShowErrorMessages", "TAVIMG_SetBkColor",
    "TAVIMG_ActivateAllHotspots", "TAVIMG_SetPaletteEntries", "TAVIMG_GetPaletteEntries", "TAVIMG_GetDRFColorInfo",
    "TAVIMG_DecodeDRF2DIB",       "TAVIMG_DecodeTIFF2DIB",    "FILE_DRF2TIFF_Hotspots",
};

void EnterExport(const char* exportName) {
  for (const char* kept : kExportsKeepingLastError) {
    if (strcmp(kept, exportName) == 0)
      return;
  }
  ClearLastErrorCode();
}

extern "C" LONG WINAPI TAVIMG_GetLastError(CString* text) {
  TAV_ENTER_EXPORT();
  if (text != nullptr)
    AfxFormatString1(*text, g_lastErrorCode, "");
  return (LONG)(1 - g_lastErrorCode);
}

extern "C" void WINAPI TAVIMG_ShowErrorMessages(LONG show) {
  TAV_ENTER_EXPORT();
  g_showErrorMessages = show;
}

extern "C" char* WINAPI TAVIMG_GetVersionInfo(char* buffer) {
  TAV_ENTER_EXPORT();
  if (buffer == nullptr)
    return nullptr;
  lstrcpynA(buffer, VersionString, 255);
  return buffer;
}
