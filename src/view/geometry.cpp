// Placeholder bodies until this part is written.
#include "frame/frame.h"
#include "view/view.h"

void ApplyZoomState(ImgStruct*) {}
int ComputeZoomFromRect(ImgStruct*) { return 0; }
void UpdateDrawSize(ImgStruct*) {}
int UpdateScrollRanges(HWND, ImgStruct*, LONG, LONG) { return 0; }
void FitPictureToView(ImgStruct*, double) {}
extern "C" LONG WINAPI TAVIMG_RecalcLayout(HWND, ImgStruct*) { return 0; }
extern "C" DWORD WINAPI TAVIMG_UpdateBars(HWND, ImgStruct*) { return 0; }
extern "C" void WINAPI TAVIMG_SetZoomMode(ImgStruct*) {}
extern "C" DWORD WINAPI TAVIMG_InZoomAction(ImgStruct*) { return 0; }
extern "C" DWORD WINAPI TAVIMG_GetNewHotspotPositions(double, double, ImgStruct*) { return 0; }
extern "C" LONGLONG WINAPI TAVIMG_GetDRFSize(ImgStruct*) { return 0; }
extern "C" LONGLONG WINAPI TAVIMG_GetTIFFSize(ImgStruct*) { return 0; }
extern "C" LONGLONG WINAPI TAVIMG_GetScaledClientSize(ImgStruct*) { return 0; }
extern "C" LONGLONG WINAPI TAVIMG_GetBildMitte(ImgStruct*) { return 0; }
extern "C" LONGLONG WINAPI TAVIMG_GetZoomStart(ImgStruct*) { return 0; }
extern "C" LONGLONG WINAPI TAVIMG_GetDRFSpotOffset(ImgStruct*) { return 0; }
extern "C" LONG WINAPI TAVIMG_GetPictureMode(ImgStruct*) { return 0; }
extern "C" LONG WINAPI TAVIMG_GetGraphicsMode(ImgStruct*) { return 0; }
extern "C" TavDoublePair WINAPI TAVIMG_GetZoomFactor(ImgStruct*) { return TavDoublePair{-1.0, -1.0}; }
extern "C" TavDoublePair WINAPI TAVIMG_GetBildFactor(ImgStruct*) { return TavDoublePair{-1.0, -1.0}; }
