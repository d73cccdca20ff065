// Hotspot table operations, frame drawing and hit testing.
#ifndef TAV_HOTSPOTS_HOTSPOTS_H
#define TAV_HOTSPOTS_HOTSPOTS_H

#include <tavoimg/tavoimg.h>

enum { TAV_MARK_ONE = 10, TAV_MARK_ALL = 11, TAV_UNMARK_ONE = 12, TAV_UNMARK_ALL = 13 };

int MarkHotspots(ImgStruct* record, int operation, int byName);
void HotspotDisplayOffset(const ImgStruct* record, LONG* dx, LONG* dy);
DWORD DrawMarkedHotspots(HWND window, ImgStruct* record, int erase);
DWORD PaintMarkedHotspots(ImgStruct* record, HDC dc, const RECT* clipBox);

// HotspotCount limited to the entries the table has (0 to 600): how far any
// loop over the entries may go, whatever the host wrote into the count.
int UsableHotspotCount(const ImgStruct* record);

// Places every hotspot's ScreenRect for the scale (fx, fy); what
// TAVIMG_GetNewHotspotPositions does, without touching the last error code.
DWORD PlaceHotspots(double fx, double fy, ImgStruct* record);
// Places the hotspots in pixels of the TIFF picture, as the DRF-to-TIFF
// converter writes them: the view is set to show the TIFF picture at its own
// size from the window's corner (ZoomStart 0, 0; ScaledClientSize TIFFSize;
// PictureMode 0; TiffShown 1), and the record keeps that view.
void PlaceHotspotsInTiffPixels(ImgStruct* record);

// The tools every hotspot frame is drawn with (clip to the drawing area,
// black or null brush, pen of HotspotPenWidth, R2_NOT); shared with the
// hover test. BeginFrameDrawing selects them into dc, keeping what was
// selected; EndFrameDrawing puts that back and deletes the pen and region.
// limit, when given, narrows the clip to that rectangle as well.
struct FrameDrawing {
  HDC dc;
  HRGN region;
  HPEN pen;
  HGDIOBJ oldPen;
  HGDIOBJ oldBrush;
  int oldRop;
};
void BeginFrameDrawing(FrameDrawing& tools, HDC dc, const ImgStruct* record, const RECT* limit = nullptr);
void DrawFrame(FrameDrawing& tools, const TavRect& rect, LONG dx, LONG dy); // rect minus (dx, dy)
void EndFrameDrawing(FrameDrawing& tools);

#endif
