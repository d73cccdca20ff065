// View geometry, zoom and scroll state, and window message handling.
#ifndef TAV_VIEW_VIEW_H
#define TAV_VIEW_VIEW_H

#include <tavoimg/tavoimg.h>

void ApplyZoomState(ImgStruct* record);
int ComputeZoomFromRect(ImgStruct* record);
void UpdateDrawSize(ImgStruct* record);
void UpdateScrollRanges(HWND window, ImgStruct* record, LONG pictureWidth, LONG pictureHeight);
void FitPictureToView(ImgStruct* record, double ratio);
// True when the record holds a picture with a TIFF part that the scaled view
// can show and zoom (TiffReady set and a TIFFSize of at least one pixel).
bool HasTiffView(const ImgStruct* record);

void PaintPicture(HWND window, ImgStruct* record, HDC dc);
void OnSize(HWND window, ImgStruct* record);
void OnScroll(HWND window, int bar, WPARAM wParam, LPARAM lParam, ImgStruct* record);
void OnMouseMove(HWND window, WPARAM wParam, LPARAM lParam, ImgStruct* record);
void OnLButtonDown(LPARAM lParam, ImgStruct* record);
void OnLButtonUp(HWND window, ImgStruct* record);
void DragZoomRect(HWND window, ImgStruct* record, LPARAM lParam);
void TrackHoverHotspot(HWND window, ImgStruct* record, LPARAM lParam, LONG dx, LONG dy);
void ResetView(HWND window, ImgStruct* record);

#endif
