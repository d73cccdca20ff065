// View geometry: how the window is measured, how big the picture is drawn at
// zoom 1, the fitted size and its centring margin, the zoom rectangle and the
// zoom factors derived from it, the shown section, the scroll ranges and the
// placing of every hotspot on the screen.
//
// Units: picture pixels are pixels of the whole picture (TIFFSize); zoom-1
// pixels are window pixels of the whole picture drawn at ScaledClientSize.
// A picture without a TIFF part (a TIFFSize member of 0) has no ratio: every
// quotient by it is taken as 0, a zoom on it is refused and its fitted view
// draws only the background.
#include "view/view.h"
#include "core/core.h"
#include "core/numbers.h"
#include "core/states.h"
#include "hotspots/hotspots.h"

#include <algorithm>
#include <cmath>
#include <stdint.h>

bool HasTiffView(const ImgStruct* record) {
  return record->TiffReady != 0 && record->TIFFSize.x > 0 && record->TIFFSize.y > 0;
}

namespace {

bool IsUsableScale(double value) {
  return std::isfinite(value) && value > 0.0;
}

// The view falls back from a zoom: to the fitted picture in the scaled
// display modes, to the DRF at its own size otherwise.
int RefuseZoom(ImgStruct* record) {
  record->Zoomed = TAV_ZOOM_NONE;
  const bool scaled = record->DisplayMode == TAV_DISPLAY_FITTED || record->DisplayMode == TAV_DISPLAY_FIT_WIDTH;
  record->PictureMode = scaled ? TAV_PICTURE_FITTED : TAV_PICTURE_DRF;
  return 0;
}

// By value: the record's fields are packed and cannot be bound to references.
LONG SmallerOf(LONG a, LONG b) {
  return a < b ? a : b;
}

LONGLONG PackPair(LONG x, LONG y) {
  return static_cast<LONGLONG>((static_cast<uint64_t>(static_cast<uint32_t>(y)) << 32) | static_cast<uint32_t>(x));
}

} // namespace

void FitPictureToView(ImgStruct* record, double ratio) {
  double cw = record->ClientSize.x;
  double ch = record->ClientSize.y;
  if (!IsUsableScale(ratio)) {
    record->FitSize = TavDoublePair{0.0, 0.0};
    return;
  }
  if (cw <= ch) {
    record->FitSize = TavDoublePair{cw, cw * ratio};
    if (cw * ratio > ch)
      record->FitSize = TavDoublePair{ch / ratio, ch};
  } else {
    record->FitSize = TavDoublePair{ch / ratio, ch};
    if (ch / ratio > cw)
      record->FitSize = TavDoublePair{cw, cw * ratio};
  }
}

int ComputeZoomFromRect(ImgStruct* record) {
  const double sw = record->ScaledClientSize.x, sh = record->ScaledClientSize.y;
  const double pw = record->TIFFSize.x, ph = record->TIFFSize.y;
  const double cw = record->ClientSize.x, ch = record->ClientSize.y;
  const TavDoublePair scale = record->ZoomedShown ? record->BildFactor : record->ZoomFactor;
  if (sw <= 0 || sh <= 0 || pw <= 0 || ph <= 0 || cw <= 0 || ch <= 0 || !IsUsableScale(scale.x) ||
      !IsUsableScale(scale.y) || !IsUsableScale(record->ZoomFactor.x) || !IsUsableScale(record->ZoomFactor.y))
    return RefuseZoom(record);
  const double kx = pw / sw, ky = ph / sh; // picture pixels per zoom-1 pixel

  // Clip the rectangle to the extent of the picture as it is shown. A
  // rectangle that starts beyond it shows nothing: it is refused, and the
  // view falls back to the whole picture instead of waiting for a zoom that
  // never comes.
  TavRect& rect = record->ZoomRect;
  const LONG extentW = TruncToLong(sw * scale.x);
  const LONG extentH = TruncToLong(sh * scale.y);
  if (rect.right > extentW) {
    rect.right = extentW;
    if (rect.left > extentW)
      return RefuseZoom(record);
  }
  if (rect.bottom > extentH) {
    rect.bottom = extentH;
    if (rect.top > extentH)
      return RefuseZoom(record);
  }

  // Centre of the rectangle in picture pixels.
  double cx = (static_cast<double>(rect.left) + rect.right) * 0.5;
  double cy = (static_cast<double>(rect.top) + rect.bottom) * 0.5;
  if (record->ZoomedShown) {
    cx /= record->BildFactor.x;
    cy /= record->BildFactor.y;
  }
  const double centreX = (static_cast<double>(record->ZoomOrigin[0]) - record->ZoomOrigin[2] + record->ScrollPos.x) +
                         cx / record->ZoomFactor.x * kx;
  const double centreY = (static_cast<double>(record->ZoomOrigin[1]) - record->ZoomOrigin[3] + record->ScrollPos.y) +
                         cy / record->ZoomFactor.y * ky;

  // Size in zoom-1 pixels, at most one window pixel per picture pixel, and
  // widened to the drawing area's aspect.
  long long rw = NearToLong((static_cast<double>(rect.right) - rect.left) / record->ZoomFactor.x);
  long long rh = NearToLong((static_cast<double>(rect.bottom) - rect.top) / record->ZoomFactor.y);
  if (rw < cw / kx)
    rw = NearToLong(cw / kx);
  if (rh < ch / ky)
    rh = NearToLong(ch / ky);
  const double aspect = cw / ch;
  if (rw <= aspect * rh)
    rw = NearToLong(aspect * rh);
  else
    rh = NearToLong(rw / aspect);
  // A section of no pixels has no zoom factor; it is one zoom-1 pixel.
  rw = std::max<long long>(rw, 1);
  rh = std::max<long long>(rh, 1);

  // Half the section in picture pixels.
  const long long halfW = TruncToLong((rw * kx + 1.0) * 0.5);
  const long long halfH = TruncToLong((rh * ky + 1.0) * 0.5);
  record->ScrollPage = TavPair{ClampToLong(halfW), ClampToLong(halfH)};
  record->ZoomedShown = 0;
  record->ZoomFactor = TavDoublePair{cw / rw, ch / rh};

  // A section not smaller than the whole picture is no zoom.
  if (sh <= rh || sw <= rw)
    return RefuseZoom(record);

  const long long rangeX = static_cast<long long>(pw) - 2 * halfW;
  const long long rangeY = static_cast<long long>(ph) - 2 * halfH;
  record->ScrollRange.x = rangeX <= record->MinHScrollRange ? 0 : ClampToLong(rangeX);
  record->ScrollRange.y = rangeY < 0 ? 0 : ClampToLong(rangeY);

  long long posX = std::max<long long>(static_cast<long long>(NearToLong(centreX)) - halfW, 0);
  long long posY = std::max<long long>(static_cast<long long>(NearToLong(centreY)) - halfH, 0);
  // A section that would reach beyond the picture's end is moved back to it.
  if (2 * halfW + posX > pw && posX != 0)
    posX = std::max<long long>(rangeX, 0);
  if (2 * halfH + posY > ph && posY != 0)
    posY = std::max<long long>(rangeY, 0);
  record->ScrollPos = TavPair{ClampToLong(posX), ClampToLong(posY)};
  record->ScrollPage = TavPair{ClampToLong(2 * halfW), ClampToLong(2 * halfH)};

  record->ZoomOrigin[0] = record->ZoomOrigin[2] = record->ScrollPos.x;
  record->ZoomOrigin[1] = record->ZoomOrigin[3] = record->ScrollPos.y;
  record->Zoomed = TAV_ZOOM_IN_FORCE;
  record->PictureMode = TAV_PICTURE_ZOOMED;
  return 1;
}

void UpdateDrawSize(ImgStruct* record) {
  if (record->DrawSize.x < record->ClientSize.x) {
    record->ZoomedSize.x = TruncToLong(record->ScaledClientSize.x * record->ZoomFactor.x);
    record->DrawSize.x = SmallerOf(record->ZoomedSize.x, record->ClientSize.x);
  }
  if (record->DrawSize.y < record->ClientSize.y) {
    record->ZoomedSize.y = TruncToLong(record->ScaledClientSize.y * record->ZoomFactor.y);
    record->DrawSize.y = SmallerOf(record->ZoomedSize.y, record->ClientSize.y);
  }
}

void ApplyZoomState(ImgStruct* record) {
  if (record->Zoomed == TAV_ZOOM_NONE)
    return;
  if (record->Zoomed == TAV_ZOOM_WAITING) {
    if (ComputeZoomFromRect(record) == 1)
      record->Zoomed = TAV_ZOOM_IN_FORCE;
    if (record->PictureMode == TAV_PICTURE_ZOOMED) {
      UpdateDrawSize(record);
      PlaceHotspots(record->ZoomFactor.x, record->ZoomFactor.y, record);
    }
  }
  if (record->Zoomed == TAV_ZOOM_IN_FORCE) {
    record->ScrollPos.y = ClampScroll(record->ScrollPos.y, record->ScrollRange.y);
    record->ScrollPos.x = ClampScroll(record->ScrollPos.x, record->ScrollRange.x);
    PlaceHotspots(record->ZoomFactor.x, record->ZoomFactor.y, record);
  }
}

namespace {

// One axis of UpdateScrollRanges, copied out of the record's pairs (the
// record is packed: its members are read and written by value only).
struct ScrollAxis {
  double scaled, zoomFactor, zoomedFactor, savedClientSize, prevClientSize;
  LONG zoomedSize, drawSize, clientSize, scrollPos, scrollPage, prevScrollPage, scrollRange;
};

ScrollAxis LoadAxis(const ImgStruct* r, bool y) {
  ScrollAxis a;
  a.scaled = y ? r->ScaledClientSize.y : r->ScaledClientSize.x;
  a.zoomFactor = y ? r->ZoomFactor.y : r->ZoomFactor.x;
  a.zoomedFactor = y ? r->ZoomedSizeFactor.y : r->ZoomedSizeFactor.x;
  a.savedClientSize = y ? r->SavedClientSize.y : r->SavedClientSize.x;
  a.prevClientSize = y ? r->PrevClientSize.y : r->PrevClientSize.x;
  a.zoomedSize = y ? r->ZoomedSize.y : r->ZoomedSize.x;
  a.drawSize = y ? r->DrawSize.y : r->DrawSize.x;
  a.clientSize = y ? r->ClientSize.y : r->ClientSize.x;
  a.scrollPos = y ? r->ScrollPos.y : r->ScrollPos.x;
  a.scrollPage = y ? r->ScrollPage.y : r->ScrollPage.x;
  a.prevScrollPage = y ? r->PrevScrollPage.y : r->PrevScrollPage.x;
  a.scrollRange = y ? r->ScrollRange.y : r->ScrollRange.x;
  return a;
}

void StoreAxis(ImgStruct* r, bool y, const ScrollAxis& a) {
  (y ? r->ZoomedSizeFactor.y : r->ZoomedSizeFactor.x) = a.zoomedFactor;
  (y ? r->SavedClientSize.y : r->SavedClientSize.x) = a.savedClientSize;
  (y ? r->ZoomedSize.y : r->ZoomedSize.x) = a.zoomedSize;
  (y ? r->DrawSize.y : r->DrawSize.x) = a.drawSize;
  (y ? r->ScrollPos.y : r->ScrollPos.x) = a.scrollPos;
  (y ? r->ScrollPage.y : r->ScrollPage.x) = a.scrollPage;
  (y ? r->PrevScrollPage.y : r->PrevScrollPage.x) = a.prevScrollPage;
  (y ? r->ScrollRange.y : r->ScrollRange.x) = a.scrollRange;
}

// The section keeps its scale when the drawing area changes: the number of
// picture pixels shown grows with the area. With no earlier area to compare
// with, the section stays as it is.
LONG ScaledPage(LONG clientSize, double previousClient, LONG page) {
  if (previousClient <= 0.0 || !std::isfinite(previousClient))
    return page;
  return TruncToLong(clientSize / previousClient * page);
}

void UpdateZoomedSize(ScrollAxis& a) {
  if (a.zoomFactor != a.zoomedFactor) {
    a.zoomedSize = TruncToLong(a.scaled * a.zoomFactor);
    a.zoomedFactor = a.zoomFactor;
  }
  if (a.zoomedSize < a.drawSize)
    a.drawSize = a.zoomedSize;
}

void UpdateScrollAxis(ScrollAxis& a, LONG picture) {
  if (a.drawSize < a.clientSize) {
    // The zoomed picture is smaller than the area: all of it is shown.
    a.scrollPos = 0;
    if (a.scrollPage != picture) {
      a.prevScrollPage = a.scrollPage;
      a.savedClientSize = a.prevClientSize;
    }
    a.scrollPage = picture;
    a.scrollRange = 0;
  } else {
    a.scrollPage = a.scrollPage == picture ? ScaledPage(a.clientSize, a.savedClientSize, a.prevScrollPage)
                                           : ScaledPage(a.clientSize, a.prevClientSize, a.scrollPage);
    a.scrollRange = ClampToLong(static_cast<long long>(picture) - a.scrollPage);
  }
}

} // namespace

void UpdateScrollRanges(HWND window, ImgStruct* record, LONG pictureWidth, LONG pictureHeight) {
  ScrollAxis x = LoadAxis(record, false), y = LoadAxis(record, true);
  UpdateZoomedSize(x);
  UpdateZoomedSize(y);
  UpdateScrollAxis(x, pictureWidth);
  UpdateScrollAxis(y, pictureHeight);
  StoreAxis(record, false, x);
  StoreAxis(record, true, y);

  SetScrollRange(window, SB_HORZ, 0, record->ScrollRange.x, TRUE);
  SetScrollRange(window, SB_VERT, 0, record->ScrollRange.y, TRUE);
  if (record->ScrollPos.x != 0)
    SetScrollPos(window, SB_HORZ, record->ScrollPos.x, TRUE);
  if (record->ScrollPos.y != 0)
    SetScrollPos(window, SB_VERT, record->ScrollPos.y, TRUE);
}

extern "C" LONG WINAPI TAVIMG_RecalcLayout(HWND window, ImgStruct* record) {
  TAV_ENTER_EXPORT();
  if (!IsSlotRecord(record))
    return 0;

  RECT outer{};
  GetWindowRect(window, &outer);
  const LONG w = outer.right - outer.left;
  const LONG h = outer.bottom - outer.top;
  const double ratio = Quotient(record->TIFFSize.y, record->TIFFSize.x);
  if (record->DisplayMode != TAV_DISPLAY_DRF && record->DisplayMode != TAV_DISPLAY_DRF_IN_WINDOW)
    record->ScaledClientSize = TavPair{w, TruncToLong(w * ratio)};

  switch (record->DisplayMode) {
  case TAV_DISPLAY_FITTED:
    record->TiffShown = 1;
    record->TiffReady = 1;
    record->DrfShown = 0;
    record->PictureMode = TAV_PICTURE_FITTED;
    record->DRFRasterFlag = 1;
    record->AltSize = record->ClientSize = record->DrawSize = TavPair{w, h};
    break;
  case TAV_DISPLAY_FIT_WIDTH: {
    record->TiffShown = 1;
    record->TiffReady = 1;
    record->DrfShown = 0;
    record->PictureMode = TAV_PICTURE_FITTED;
    record->Zoomed = TAV_ZOOM_WAITING;
    record->AltSize = TavPair{w - GetSystemMetrics(SM_CXVSCROLL), h - GetSystemMetrics(SM_CYHSCROLL)};
    record->ClientSize = record->DrawSize = record->AltSize;
    // Fit to width from the top: a rectangle one pixel short of the whole
    // width and 10 pixels high, which the zoom widens to the area's aspect.
    const LONG s = record->ScaledClientSize.x;
    record->ZoomRect = TavRect{1, 0, s, 10};
    record->MinHScrollRange =
        ClampToLong(static_cast<long long>(TruncToLong((1.0 - Quotient(s - 1.0, s)) * record->TIFFSize.x)) + 2);
    break;
  }
  default:
    record->TiffShown = 0;
    record->DrfShown = 1;
    record->TiffReady = 1;
    record->PictureMode = TAV_PICTURE_DRF;
    record->Zoomed = TAV_ZOOM_NONE;
    record->AltSize = record->ClientSize = record->DrawSize = TavPair{w, h};
    if (record->DisplayMode != TAV_DISPLAY_DRF_IN_WINDOW && record->FitMode != TAV_FIT_KEEP_WINDOW)
      record->ScaledClientSize = record->DRFSize;
    PlaceHotspots(1.0, 1.0, record);
    break;
  }
  ApplyZoomState(record);
  return 1;
}

extern "C" DWORD WINAPI TAVIMG_UpdateBars(HWND window, ImgStruct* record) {
  TAV_ENTER_EXPORT();
  if (!IsSlotRecord(record))
    return 0;
  ShowScrollBar(window, SB_BOTH, FALSE);
  ApplyZoomState(record);
  if (record->DisplayMode == TAV_DISPLAY_FIT_WIDTH) {
    SetScrollRange(window, SB_HORZ, 0, record->ScrollRange.x, FALSE);
    SetScrollPos(window, SB_HORZ, record->ScrollPos.x, FALSE);
    SetScrollRange(window, SB_VERT, 0, record->ScrollRange.y, FALSE);
    SetScrollPos(window, SB_VERT, record->ScrollPos.y, FALSE);
    ShowScrollBar(window, SB_BOTH, TRUE);
  }
  return 1;
}

extern "C" void WINAPI TAVIMG_SetZoomMode(ImgStruct* record) {
  TAV_ENTER_EXPORT();
  if (IsSlotRecord(record))
    record->InZoomAction = TAV_ZOOM_ACTION_ARMED;
}

extern "C" DWORD WINAPI TAVIMG_InZoomAction(ImgStruct* record) {
  TAV_ENTER_EXPORT();
  return (IsSlotRecord(record) && record->InZoomAction != TAV_ZOOM_ACTION_NONE) ? 1 : 0;
}

extern "C" DWORD WINAPI TAVIMG_GetNewHotspotPositions(double fx, double fy, ImgStruct* record) {
  TAV_ENTER_EXPORT();
  return IsSlotRecord(record) ? PlaceHotspots(fx, fy, record) : 0;
}

extern "C" LONGLONG WINAPI TAVIMG_GetDRFSize(ImgStruct* record) {
  TAV_ENTER_EXPORT();
  return IsSlotRecord(record) ? PackPair(record->DRFSize.x, record->DRFSize.y) : -1;
}

extern "C" LONGLONG WINAPI TAVIMG_GetTIFFSize(ImgStruct* record) {
  TAV_ENTER_EXPORT();
  return IsSlotRecord(record) ? PackPair(record->TIFFSize.x, record->TIFFSize.y) : -1;
}

extern "C" LONGLONG WINAPI TAVIMG_GetScaledClientSize(ImgStruct* record) {
  TAV_ENTER_EXPORT();
  return IsSlotRecord(record) ? PackPair(record->ScaledClientSize.x, record->ScaledClientSize.y) : -1;
}

extern "C" LONGLONG WINAPI TAVIMG_GetBildMitte(ImgStruct* record) {
  TAV_ENTER_EXPORT();
  return IsSlotRecord(record) ? PackPair(record->BildMitte.x, record->BildMitte.y) : -1;
}

extern "C" LONGLONG WINAPI TAVIMG_GetZoomStart(ImgStruct* record) {
  TAV_ENTER_EXPORT();
  return IsSlotRecord(record) ? PackPair(record->ZoomStart.x, record->ZoomStart.y) : -1;
}

extern "C" LONGLONG WINAPI TAVIMG_GetDRFSpotOffset(ImgStruct* record) {
  TAV_ENTER_EXPORT();
  return IsSlotRecord(record) ? PackPair(record->DRFSpotOffset[0], record->DRFSpotOffset[1]) : -1;
}

extern "C" LONG WINAPI TAVIMG_GetPictureMode(ImgStruct* record) {
  TAV_ENTER_EXPORT();
  return IsSlotRecord(record) ? static_cast<LONG>(record->PictureMode) : -1;
}

extern "C" LONG WINAPI TAVIMG_GetGraphicsMode(ImgStruct* record) {
  TAV_ENTER_EXPORT();
  if (!IsSlotRecord(record))
    return -1;
  if (record->TiffShown)
    return 1;
  if (record->DrfShown)
    return 2;
  if (record->ZoomedShown)
    return 4;
  return -1;
}

extern "C" TavDoublePair WINAPI TAVIMG_GetZoomFactor(ImgStruct* record) {
  TAV_ENTER_EXPORT();
  return IsSlotRecord(record) ? record->ZoomFactor : TavDoublePair{-1.0, -1.0};
}

extern "C" TavDoublePair WINAPI TAVIMG_GetBildFactor(ImgStruct* record) {
  TAV_ENTER_EXPORT();
  return IsSlotRecord(record) ? record->BildFactor : TavDoublePair{-1.0, -1.0};
}
