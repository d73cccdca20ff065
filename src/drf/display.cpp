// Placeholder bodies until this part is written.
#include "frame/frame.h"
#include "drf/drf.h"

int DrawDRFPicture(HWND, ImgStruct*, HDC, const RECT*) { return 0; }
int DRFToDIB(BYTE*, ImgStruct*) { return 0; }
HGLOBAL CopyDRFToGlobal(ImgStruct*) { return nullptr; }
extern "C" LONG WINAPI TAVIMG_DecodeDRF2DIB(ImgStruct*, void*) { return 0; }
