// Placeholder bodies until this part is written.
#include "frame/frame.h"

extern "C" ImgStruct* WINAPI TAVIMG_LoadPicture(HWND, DWORD, TAVIMG_NOTIFYPROC, const char*, const char*, DWORD, DWORD, DWORD) { return nullptr; }
extern "C" DWORD WINAPI TAVIMG_RedrawPicture(HWND, ImgStruct*) { return 0; }
extern "C" DWORD WINAPI TAVIMG_OnDraw(HWND, ImgStruct*, HDC) { return 0; }
extern "C" DWORD WINAPI TAVIMG_DisplayPicture(HWND, ImgStruct*, DWORD) { return 0; }
extern "C" LONG WINAPI TAVIMG_MAIN(DWORD, ImgStruct*, HWND, UINT, WPARAM, LPARAM) { return 0; }
