// Placeholder bodies until this part is written.
#include "frame/frame.h"
#include "hotspots/hotspots.h"

void HotspotDisplayOffset(const ImgStruct*, LONG*, LONG*) {}
DWORD DrawMarkedHotspots(HWND, ImgStruct*, int) { return 0; }
DWORD PaintMarkedHotspots(ImgStruct*, HDC, const RECT*) { return 0; }
void BeginFrameDrawing(FrameDrawing&, HDC, const ImgStruct*) {}
void DrawFrame(FrameDrawing&, const TavRect&, LONG, LONG) {}
void EndFrameDrawing(FrameDrawing&) {}
extern "C" LONGLONG WINAPI TAVIMG_GetHotspotOffset(ImgStruct*) { return 0; }
