// Placeholder bodies until this part is written.
#include "frame/frame.h"
#include "output/output.h"

HBITMAP TiffToBitmap(int, int, int, int, ImgStruct*) { return nullptr; }
extern "C" DWORD WINAPI TAVIMG_CopyToClipboard(ImgStruct*) { return 0; }
