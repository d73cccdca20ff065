// Placeholder bodies until this part is written.
#include "frame/frame.h"

int FindWindowSlot(HWND) { return 0; }
ImgStruct* GetImgStructForWindow(HWND) { return nullptr; }
void FreeWindowSlot(int) {}
void InitImgStruct(ImgStruct*) {}
int SlotTableCount() { return 0; }
HWND SlotWindow(int) { return nullptr; }
ImgStruct* SlotRecord(int) { return nullptr; }
void ReleasePictureData(ImgStruct*) {}
extern "C" ImgStruct* WINAPI TAVIMG_GetImgStruct(HWND) { return nullptr; }
extern "C" void WINAPI TAVIMG_UnloadPicture(HWND, ImgStruct*) {}
extern "C" void WINAPI TAVIMG_SetBkColor(ImgStruct*, COLORREF, DWORD) {}
