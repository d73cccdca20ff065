// Placeholder bodies until this part is written.
#include "frame/frame.h"

extern "C" ImgStruct* WINAPI TAVIMG_OpenImage(HWND, DWORD, TAVIMG_NOTIFYPROC, const char*, const char*, DWORD, DWORD, DWORD) { return nullptr; }
