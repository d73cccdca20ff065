// Placeholder bodies until this part is written.
#include "frame/frame.h"
#include "drf/drf.h"

int DecodeDRFPicture(HWND, ImgStruct*) { return 0; }
int DecodeDRFKind5(HWND, ImgStruct*) { return 0; }
int DecodeDRFKind6(HWND, ImgStruct*, BYTE) { return 0; }
int DecodeDRFKind7(HWND, ImgStruct*) { return 0; }
extern "C" LONG WINAPI TAVIMG_GetDRFColorInfo(ImgStruct*, SHORT*, SHORT*) { return 0; }
void FreeDRFBands(ImgStruct*) {}
