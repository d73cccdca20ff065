// Placeholder bodies until this part is written.
#include "frame/frame.h"
#include "tiff/tiff.h"

void DrawTIFF(int, int, int, int, int, int, int, int, ImgStruct*, HDC, const RECT*) {}
int DecodeTIFFToDIB(int, int, int, int, BYTE*, ImgStruct*) { return 0; }
extern "C" LONG WINAPI TAVIMG_DecodeTIFF2DIB(ImgStruct*, void*) { return 0; }
