// Placeholder bodies until this part is written.
#include "frame/frame.h"
#include <afx.h>
#include "drf/drf.h"

void SetIFDEntry(WORD*, BYTE*, DWORD*, WORD, WORD, DWORD, DWORD) {}
extern "C" LONG WINAPI FILE_DRF2TIFF_Hotspots(DWORD, ImgStruct*, CString) { return 0; }
