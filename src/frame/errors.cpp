// Placeholder bodies until this part is written.
#include "frame/frame.h"
#include <afx.h>

void ReportError(UINT, const char*) {}
UINT LastErrorCode() { return 0; }
void ClearLastErrorCode() {}
extern "C" LONG WINAPI TAVIMG_GetLastError(CString*) { return 0; }
extern "C" void WINAPI TAVIMG_ShowErrorMessages(LONG) {}
extern "C" char* WINAPI TAVIMG_GetVersionInfo(char*) { return nullptr; }
const char* const VersionString = "VIMBEL Version 2.0 / 32Bit";
