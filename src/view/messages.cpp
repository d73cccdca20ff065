// Placeholder bodies until this part is written.
#include "frame/frame.h"
#include "view/view.h"

void PaintPicture(HWND, ImgStruct*, HDC) {}
void OnSize(HWND, ImgStruct*) {}
void OnScroll(HWND, int, WPARAM, LPARAM, ImgStruct*) {}
void OnMouseMove(HWND, WPARAM, LPARAM, ImgStruct*) {}
void OnLButtonDown(LPARAM, ImgStruct*) {}
void OnLButtonUp(HWND, ImgStruct*) {}
int DragZoomRect(HWND, ImgStruct*, LPARAM) { return 0; }
int TrackHoverHotspot(HWND, ImgStruct*, LPARAM, LONG, LONG) { return 0; }
void ResetView(HWND, ImgStruct*) {}
extern "C" DWORD WINAPI TAVIMG_OnMessage(HWND, UINT, WPARAM, LPARAM, ImgStruct*) { return 0; }
