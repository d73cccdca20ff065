// Placeholder bodies until this part is written.
#include "frame/frame.h"
#include "hotspots/hotspots.h"

int MarkHotspots(ImgStruct*, int, int) { return 0; }
extern "C" LONG WINAPI TAVIMG_GetHotspotCount(ImgStruct*) { return 0; }
extern "C" LONG WINAPI TAVIMG_SetHotspotCount(ImgStruct*, SHORT) { return 0; }
extern "C" LONG WINAPI TAVIMG_GetHotspotData(ImgStruct*, LONG, HotspotDataRecord*) { return 0; }
extern "C" LONG WINAPI TAVIMG_SetHotspotData(ImgStruct*, LONG, const HotspotDataRecord*) { return 0; }
extern "C" LONG WINAPI TAVIMG_SetHotspotNr(HWND, DWORD, LONG, ImgStruct*) { return 0; }
extern "C" LONG WINAPI TAVIMG_SetHotspot(HWND, const char*, LONG, ImgStruct*) { return 0; }
extern "C" LONG WINAPI TAVIMG_SetAllHotspots(HWND, LONG, ImgStruct*) { return 0; }
extern "C" LONG WINAPI TAVIMG_GetHotspotNr(ImgStruct*, char*, char*) { return 0; }
extern "C" char* WINAPI TAVIMG_GetHotspot(ImgStruct*, char*, char*) { return nullptr; }
extern "C" LONG WINAPI TAVIMG_ActivateHotspotNr(DWORD, LONG, ImgStruct*) { return 0; }
extern "C" LONG WINAPI TAVIMG_ActivateHotspot(const char*, LONG, ImgStruct*) { return 0; }
extern "C" LONG WINAPI TAVIMG_ActivateAllHotspots(LONG, ImgStruct*) { return 0; }
extern "C" LONG WINAPI TAVIMG_SetHotspotMode(DWORD, LONG, DWORD, DWORD, ImgStruct*) { return 0; }
extern "C" LONG WINAPI TAVIMG_GetHotspotMode(DWORD, DWORD, DWORD, ImgStruct*) { return 0; }
