// Placeholder bodies until this part is written.
#include "frame/frame.h"
#include <afx.h>

#include <string.h>

void ReportError(UINT, const char*) {}
UINT LastErrorCode() { return 0; }
void ClearLastErrorCode() {}
extern "C" LONG WINAPI TAVIMG_GetLastError(CString*) { return 0; }
extern "C" void WINAPI TAVIMG_ShowErrorMessages(LONG) {}
extern "C" char* WINAPI TAVIMG_GetVersionInfo(char*) { return nullptr; }
const char* const VersionString = "VIMBEL Version 2.0 / 32Bit";

// Exports that leave the last error code as it is; every other export clears
// it on entry.
static const char* const kExportsKeepingLastError[] = {
    "TAVIMG_GetVersionInfo",    "TAVIMG_GetLastError",         "TAVIMG_ShowErrorMessages",
    "TAVIMG_SetBkColor",        "TAVIMG_ActivateAllHotspots",  "TAVIMG_SetPaletteEntries",
    "TAVIMG_GetPaletteEntries", "TAVIMG_GetDRFColorInfo",      "TAVIMG_DecodeDRF2DIB",
    "TAVIMG_DecodeTIFF2DIB",    "FILE_DRF2TIFF_Hotspots",
};

void EnterExport(const char* exportName) {
  for (const char* kept : kExportsKeepingLastError) {
    if (strcmp(kept, exportName) == 0)
      return;
  }
  ClearLastErrorCode();
}
