// Drawing of hotspot frames: every frame is inverted (R2_NOT), so drawing it
// a second time takes it off the screen again; DrawnBit tells which frames
// are on the screen now.
#include "core/core.h"
#include "core/states.h"
#include "hotspots/hotspots.h"

#include <stdint.h>

#include <utility>

namespace {

// Keeps shifted coordinates inside what GDI accepts, whatever a record holds.
const int64_t kCoordinateLimit = int64_t(1) << 27;

int Shifted(LONG value, LONG offset) {
  int64_t v = (int64_t)value - offset;
  if (v > kCoordinateLimit)
    v = kCoordinateLimit;
  if (v < -kCoordinateLimit)
    v = -kCoordinateLimit;
  return (int)v;
}

// One axis of the display offset of a zoomed view. A result that is
// negative, or that no number can hold (a picture one pixel wide gives no
// scale at all), falls back to the scroll position.
LONG ZoomedOffset(LONG scaledSize, LONG pictureSize, LONG origin, LONG reference, LONG scroll, double factor) {
  double v = ((double)scaledSize - 1.0) / ((double)pictureSize - 1.0) *
                 ((double)origin - (double)reference + (double)scroll) * factor +
             0.5;
  if (!(v > -1.0 && v < 2147483648.0))
    return scroll;
  return (LONG)v;
}

// The offset that frames are drawn with: the display offset, or one pixel
// right and down of ScreenRect in picture mode 0.
void FrameOffset(const ImgStruct* record, LONG* dx, LONG* dy) {
  if (record->PictureMode == TAV_PICTURE_DRF) {
    *dx = *dy = -1;
    return;
  }
  HotspotDisplayOffset(record, dx, dy);
}

// Whether the rectangle minus (dx, dy), widened by reach, meets box.
bool Touches(const TavRect& rect, LONG dx, LONG dy, int64_t reach, const RECT& box) {
  int64_t x0 = Shifted(rect.left, dx), x1 = Shifted(rect.right, dx);
  int64_t y0 = Shifted(rect.top, dy), y1 = Shifted(rect.bottom, dy);
  if (x0 > x1)
    std::swap(x0, x1);
  if (y0 > y1)
    std::swap(y0, y1);
  return x0 - reach < box.right && x1 + reach > box.left && y0 - reach < box.bottom && y1 + reach > box.top;
}

bool Has(const HotspotEntry& entry, int bits) {
  return (entry.HotspotState & bits) == bits;
}

void SetBit(HotspotEntry& entry, int bit, bool on) {
  entry.HotspotState = (signed char)(on ? (entry.HotspotState | bit) : (entry.HotspotState & ~bit));
}

} // namespace

int UsableHotspotCount(const ImgStruct* record) {
  if (record == nullptr || record->HotspotCount < 0)
    return 0;
  return record->HotspotCount > TAVIMG_MAX_HOTSPOTS ? TAVIMG_MAX_HOTSPOTS : (int)record->HotspotCount;
}

void HotspotDisplayOffset(const ImgStruct* record, LONG* dx, LONG* dy) {
  if (record->Zoomed == TAV_ZOOM_NONE) {
    *dx = *dy = 0;
    return;
  }
  *dx = ZoomedOffset(record->ScaledClientSize.x, record->TIFFSize.x, record->ZoomOrigin[0], record->ZoomOrigin[2],
                     record->ScrollPos.x, record->ZoomFactor.x);
  *dy = ZoomedOffset(record->ScaledClientSize.y, record->TIFFSize.y, record->ZoomOrigin[1], record->ZoomOrigin[3],
                     record->ScrollPos.y, record->ZoomFactor.y);
}

void BeginFrameDrawing(FrameDrawing& tools, HDC dc, const ImgStruct* record, const RECT* limit) {
  RECT clip = {0, 0, record->ClientSize.x > 0 ? record->ClientSize.x : 0,
               record->ClientSize.y > 0 ? record->ClientSize.y : 0};
  if (limit != nullptr) {
    clip.left = limit->left > clip.left ? limit->left : clip.left;
    clip.top = limit->top > clip.top ? limit->top : clip.top;
    clip.right = limit->right < clip.right ? limit->right : clip.right;
    clip.bottom = limit->bottom < clip.bottom ? limit->bottom : clip.bottom;
    if (clip.right <= clip.left || clip.bottom <= clip.top)
      clip = {0, 0, 0, 0};
  }
  tools.dc = dc;
  tools.region = CreateRectRgn(clip.left, clip.top, clip.right, clip.bottom);
  SelectClipRgn(dc, tools.region);
  bool hollow = (record->HotspotMode & TAVIMG_HOLLOW_FRAMES) != 0;
  tools.oldBrush = SelectObject(dc, GetStockObject(hollow ? NULL_BRUSH : BLACK_BRUSH));
  tools.pen = CreatePen(PS_SOLID, record->HotspotPenWidth, RGB(0, 0, 0));
  tools.oldPen = tools.pen != nullptr ? SelectObject(dc, tools.pen) : nullptr;
  tools.oldRop = SetROP2(dc, R2_NOT);
}

void DrawFrame(FrameDrawing& tools, const TavRect& rect, LONG dx, LONG dy) {
  Rectangle(tools.dc, Shifted(rect.left, dx), Shifted(rect.top, dy), Shifted(rect.right, dx), Shifted(rect.bottom, dy));
}

void EndFrameDrawing(FrameDrawing& tools) {
  if (tools.oldRop != 0)
    SetROP2(tools.dc, tools.oldRop);
  if (tools.oldBrush != nullptr)
    SelectObject(tools.dc, tools.oldBrush);
  if (tools.oldPen != nullptr)
    SelectObject(tools.dc, tools.oldPen);
  if (tools.pen != nullptr)
    DeleteObject(tools.pen);
  if (tools.region != nullptr)
    DeleteObject(tools.region);
  tools = FrameDrawing{};
}

DWORD DrawMarkedHotspots(HWND window, ImgStruct* record, int erase) {
  ClearLastErrorCode();
  if (record == nullptr || record->HotspotCount < 1)
    return 0;
  // No window, no drawing: the state bits keep telling what is on the screen.
  HDC dc = window != nullptr ? GetDC(window) : nullptr;
  if (dc == nullptr)
    return 1;
  LONG dx, dy;
  FrameOffset(record, &dx, &dy);
  FrameDrawing tools;
  BeginFrameDrawing(tools, dc, record);
  int count = UsableHotspotCount(record);
  for (int i = 0; i < count; ++i) {
    HotspotEntry& entry = record->Hotspots[i];
    if (!Has(entry, TAVIMG_ACTIVE_BIT))
      continue;
    bool drawn = Has(entry, TAVIMG_DRAWN_BIT);
    if (erase != 0 ? drawn : (!drawn && Has(entry, TAVIMG_MARKED_BIT))) {
      DrawFrame(tools, entry.ScreenRect, dx, dy);
      SetBit(entry, TAVIMG_DRAWN_BIT, erase == 0);
    }
  }
  EndFrameDrawing(tools);
  ReleaseDC(window, dc);
  return 1;
}

DWORD PaintMarkedHotspots(ImgStruct* record, HDC dc, const RECT* clipBox) {
  ClearLastErrorCode();
  if (record == nullptr || record->HotspotCount < 1)
    return 0;
  if (dc == nullptr || clipBox == nullptr)
    return 1;
  LONG dx, dy;
  FrameOffset(record, &dx, &dy);
  // The frames are cut at the paint box by the clip region, not by shrinking
  // their rectangles, so that a frame shows again exactly as it was inside
  // the box. A wide pen reaches past the rectangle by up to its width.
  FrameDrawing tools;
  BeginFrameDrawing(tools, dc, record, clipBox);
  int64_t reach = record->HotspotPenWidth > 1 ? record->HotspotPenWidth : 1;
  int count = UsableHotspotCount(record);
  for (int i = 0; i < count; ++i) {
    const HotspotEntry& entry = record->Hotspots[i];
    if (!Has(entry, TAVIMG_ACTIVE_BIT | TAVIMG_DRAWN_BIT))
      continue;
    if (Touches(entry.ScreenRect, dx, dy, reach, *clipBox))
      DrawFrame(tools, entry.ScreenRect, dx, dy);
  }
  EndFrameDrawing(tools);
  return 1;
}

extern "C" LONGLONG WINAPI TAVIMG_GetHotspotOffset(ImgStruct* record) {
  TAV_ENTER_EXPORT();
  if (!IsSlotRecord(record))
    return -1; // both halves -1
  LONG dx, dy;
  HotspotDisplayOffset(record, &dx, &dy);
  return (LONGLONG)(((ULONGLONG)(DWORD)dy << 32) | (DWORD)dx);
}
