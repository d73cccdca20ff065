// Window messages of the host window that shows a picture: painting in the
// current picture mode, re-measuring on resize, scrolling a zoomed picture,
// the rubber band that drags out a zoom, and the hover frame that follows
// the hotspot under the mouse. Messages not handled here go to the host's
// callback. Also the view reset of the command entry.
#include "view/view.h"
#include "core/core.h"
#include "core/numbers.h"
#include "core/states.h"
#include "drf/drf.h"
#include "tiff/tiff.h"
#include "hotspots/hotspots.h"

#include <afx.h>

#include <string.h>

namespace {

// Mouse coordinates: the signed 16-bit halves of the message's lParam.
LONG MouseX(LPARAM lParam) {
  return static_cast<SHORT>(LOWORD(lParam));
}
LONG MouseY(LPARAM lParam) {
  return static_cast<SHORT>(HIWORD(lParam));
}

// The rubber band is drawn straight into the window with R2_NOT and a null
// brush, clipped to the drawing area, so drawing it twice restores the
// screen.
class BandDrawing {
public:
  BandDrawing(HWND window, const ImgStruct* record) : window_(window), dc_(GetDC(window)) {
    if (dc_ == nullptr)
      return;
    region_ = CreateRectRgn(0, 0, record->ClientSize.x, record->ClientSize.y);
    SelectClipRgn(dc_, region_);
    oldBrush_ = SelectObject(dc_, GetStockObject(NULL_BRUSH));
    oldRop_ = SetROP2(dc_, R2_NOT);
  }
  ~BandDrawing() {
    if (dc_ == nullptr)
      return;
    SetROP2(dc_, oldRop_);
    SelectObject(dc_, oldBrush_);
    SelectClipRgn(dc_, nullptr);
    DeleteObject(region_);
    ReleaseDC(window_, dc_);
  }
  BandDrawing(const BandDrawing&) = delete;
  BandDrawing& operator=(const BandDrawing&) = delete;

  void Draw(const TavRect& band) {
    if (dc_ != nullptr)
      Rectangle(dc_, band.left, band.top, band.right, band.bottom);
  }

private:
  HWND window_;
  HDC dc_;
  HRGN region_ = nullptr;
  HGDIOBJ oldBrush_ = nullptr;
  int oldRop_ = 0;
};

// Draws a part of the picture with the TIFF painter, or, for a picture
// without a TIFF part (or an empty part of one), fills the paint area with
// the background only.
void DrawScaled(ImgStruct* record, HDC dc, const RECT* clipBox, int srcX0, int srcX1, int srcY0, int srcY1,
                int destWidth, int destHeight) {
  if (record->TIFFSize.x <= 0 || record->TIFFSize.y <= 0 || srcX1 <= srcX0 || srcY1 <= srcY0) {
    if (record->BkBrush != nullptr)
      FillRect(dc, clipBox, record->BkBrush);
    return;
  }
  DrawTIFF(0, 0, srcX0, srcX1, srcY0, srcY1, destWidth, destHeight, record, dc, clipBox);
}

void DrawZoomedSection(ImgStruct* record, HDC dc, const RECT* clipBox) {
  record->BildMitte = TavPair{0, 0};
  const LONG x = record->ScrollPos.x, y = record->ScrollPos.y;
  DrawScaled(record, dc, clipBox, static_cast<WORD>(x), x + record->ScrollPage.x, static_cast<WORD>(y),
             y + record->ScrollPage.y, static_cast<SHORT>(record->DrawSize.x), static_cast<SHORT>(record->DrawSize.y));
}

void DrawFittedPicture(ImgStruct* record, HDC dc, const RECT* clipBox) {
  FitPictureToView(record, Quotient(record->TIFFSize.y, record->TIFFSize.x));
  record->BildFactor = TavDoublePair{Quotient(record->FitSize.x, record->ScaledClientSize.x),
                                     Quotient(record->FitSize.y, record->ScaledClientSize.y)};
  record->BildMitte = TavPair{TruncToLong((record->ClientSize.x - record->FitSize.x + 1.0) * 0.5),
                              TruncToLong((record->ClientSize.y - record->FitSize.y + 1.0) * 0.5)};
  PlaceHotspots(record->BildFactor.x, record->BildFactor.y, record);
  record->HoverHotspot = TAVIMG_NO_HOTSPOT;
  record->ZoomedShown = 1;
  DrawScaled(record, dc, clipBox, 0, static_cast<WORD>(record->TIFFSize.x), 0, static_cast<WORD>(record->TIFFSize.y),
             NearToLong(record->FitSize.x), NearToLong(record->FitSize.y));
}

} // namespace

void PaintPicture(HWND window, ImgStruct* record, HDC dc) {
  record->InPaint = 1;
  record->HoverHotspot = TAVIMG_NO_HOTSPOT;

  PAINTSTRUCT paint{};
  RECT clipBox{};
  const bool ownPaint = dc == nullptr;
  if (ownPaint) {
    dc = BeginPaint(window, &paint);
    clipBox = paint.rcPaint;
  } else {
    GetClipBox(dc, &clipBox);
  }
  if (dc == nullptr) { // not a window that can be painted
    record->InPaint = 0;
    return;
  }

  if (record->Zoomed != TAV_ZOOM_NONE) {
    ApplyZoomState(record);
    if (record->Zoomed == TAV_ZOOM_IN_FORCE) {
      if (record->ScrollRange.y == 0 && record->ScrollRange.x == 0) {
        // The section has become the whole picture.
        record->PictureMode = TAV_PICTURE_FITTED;
        record->Zoomed = TAV_ZOOM_NONE;
      } else {
        DrawZoomedSection(record, dc, &clipBox);
      }
    }
  }
  if (record->PictureMode == TAV_PICTURE_FITTED && record->Zoomed == TAV_ZOOM_NONE && record->TiffReady != 0)
    DrawFittedPicture(record, dc, &clipBox);
  if (record->PictureMode == TAV_PICTURE_DRF && record->Zoomed == TAV_ZOOM_NONE)
    DrawDRFPicture(window, record, dc, &clipBox);
  PaintMarkedHotspots(record, dc, &clipBox);

  record->InPaint = 0;
  record->Painted = 1;
  if (ownPaint)
    EndPaint(window, &paint);
}

void OnSize(HWND window, ImgStruct* record) {
  if (record->Painted == 0) {
    RECT client{};
    GetClientRect(window, &client);
    if (record->ClientSize.x != client.right || record->ClientSize.y != client.bottom) {
      record->PrevClientSize =
          TavDoublePair{static_cast<double>(record->ClientSize.x), static_cast<double>(record->ClientSize.y)};
      record->ClientSize = TavPair{client.right - record->ZoomStart.x, client.bottom - record->ZoomStart.y};
      record->DrawSize = record->ClientSize;
      if (record->Zoomed != TAV_ZOOM_NONE)
        UpdateScrollRanges(window, record, record->TIFFSize.x, record->TIFFSize.y);
    }
  }
  PaintPicture(window, record, nullptr);
}

void OnScroll(HWND window, int bar, WPARAM wParam, LPARAM, ImgStruct* record) {
  if (bar != SB_HORZ && bar != SB_VERT)
    return;
  const bool horizontal = bar == SB_HORZ;
  long long position = horizontal ? record->ScrollPos.x : record->ScrollPos.y;
  const LONG page = horizontal ? record->ClientSize.x : record->ClientSize.y;
  switch (LOWORD(wParam)) {
  case SB_LINEUP:
    position -= 10;
    break;
  case SB_LINEDOWN:
    position += 10;
    break;
  case SB_PAGEUP:
    position -= page;
    break;
  case SB_PAGEDOWN:
    position += page;
    break;
  case SB_THUMBPOSITION:
  case SB_THUMBTRACK:
    position = HIWORD(wParam);
    break;
  default:
    break;
  }
  const LONG clamped = ClampScroll(position, horizontal ? record->ScrollRange.x : record->ScrollRange.y);
  if (horizontal)
    record->ScrollPos.x = clamped;
  else
    record->ScrollPos.y = clamped;
  // Only a position that moved repaints.
  if (clamped != GetScrollPos(window, bar)) {
    SetScrollPos(window, bar, clamped, TRUE);
    InvalidateRect(window, nullptr, FALSE);
  }
}

void OnLButtonDown(LPARAM lParam, ImgStruct* record) {
  const LONG x = MouseX(lParam), y = MouseY(lParam);
  if (record->InZoomAction != TAV_ZOOM_ACTION_NONE) {
    SetCursor(ZoomCursor());
    ShowCursor(TRUE);
  }
  record->ZoomRect = TavRect{x, y, x, y};
}

void OnMouseMove(HWND window, WPARAM wParam, LPARAM lParam, ImgStruct* record) {
  const LONG x = MouseX(lParam), y = MouseY(lParam);
  const bool inside =
      record->ZoomStart.x < x && x < record->ClientSize.x && record->ZoomStart.y < y && y < record->ClientSize.y;
  const bool zoomCursor =
      record->InZoomAction != TAV_ZOOM_ACTION_NONE &&
      (record->DisplayMode != TAV_DISPLAY_DRF_IN_WINDOW || record->PictureMode == TAV_PICTURE_ZOOMED || inside);
  if (zoomCursor) {
    SetCapture(window);
    SetCursor(ZoomCursor());
    ShowCursor(TRUE);
  }

  const TavRect& band = record->ZoomRect;
  const bool anchorInside = record->ZoomStart.x < band.left && band.left < record->ClientSize.x &&
                            record->ZoomStart.y < band.top && band.top < record->ClientSize.y;
  if ((wParam & MK_LBUTTON) != 0 && HasTiffView(record) && record->InZoomAction != TAV_ZOOM_ACTION_NONE && anchorInside)
    DragZoomRect(window, record, lParam);

  if (record->HotspotCount != 0 && record->InZoomAction != TAV_ZOOM_ACTION_ARMED) {
    LONG dx = 0, dy = 0;
    if (record->Zoomed == TAV_ZOOM_IN_FORCE)
      HotspotDisplayOffset(record, &dx, &dy);
    TrackHoverHotspot(window, record, lParam, dx, dy);
  }

  if (zoomCursor)
    ShowCursor(FALSE);
}

void DragZoomRect(HWND window, ImgStruct* record, LPARAM lParam) {
  BandDrawing drawing(window, record);
  drawing.Draw(record->ZoomRect); // erases the band at its old place
  const LONG x = MouseX(lParam), y = MouseY(lParam);
  const LONG cw = record->ClientSize.x, ch = record->ClientSize.y;
  const LONG right = x < cw ? x : cw;
  const LONG bottom = y > ch ? ch - 1 : y;
  record->ZoomRect.right = right < 1 ? 1 : right;
  record->ZoomRect.bottom = bottom < 1 ? 1 : bottom;
  drawing.Draw(record->ZoomRect);
}

void OnLButtonUp(HWND window, ImgStruct* record) {
  ReleaseCapture();
  if (record->InZoomAction == TAV_ZOOM_ACTION_NONE)
    return;

  CRect band(record->ZoomRect.left, record->ZoomRect.top, record->ZoomRect.right, record->ZoomRect.bottom);
  band.NormalizeRect();
  record->ZoomRect = TavRect{band.left, band.top, band.right, band.bottom};
  const LONG cw = record->ClientSize.x, ch = record->ClientSize.y;

  // A click, a band anchored outside the drawing area, or a picture without
  // its scaled view: no zoom.
  const bool click = band.left == band.right && band.top == band.bottom;
  if (click || band.left >= cw || band.top >= ch || band.left <= record->ZoomStart.x ||
      band.top <= record->ZoomStart.y || !HasTiffView(record)) {
    record->InZoomAction = TAV_ZOOM_ACTION_NONE;
    return;
  }

  // A band wholly in the margin beside the picture is erased and dropped.
  const bool drf = record->PictureMode == TAV_PICTURE_DRF;
  const LONG mx = drf ? record->DRFSpotOffset[0] : record->BildMitte.x;
  const LONG my = drf ? record->DRFSpotOffset[1] : record->BildMitte.y;
  const bool beside = (band.left < mx && band.right < mx) || (band.left > cw - mx && band.right > cw - mx) ||
                      (band.top < my && band.bottom < my) || (band.top > ch - my && band.bottom > ch - my);
  if (beside) {
    BandDrawing(window, record).Draw(record->ZoomRect);
    record->InZoomAction = TAV_ZOOM_ACTION_NONE;
    return;
  }

  // Into picture-area coordinates.
  TavRect& rect = record->ZoomRect;
  if (record->PictureMode == TAV_PICTURE_DRF) {
    const LONG sw = record->ScaledClientSize.x, sh = record->ScaledClientSize.y;
    if (mx != 0) {
      rect.left = rect.left > mx ? rect.left - mx : 1;
      rect.right = rect.right < sw + mx ? rect.right - mx : sw - 1;
    }
    if (my != 0) {
      rect.top = rect.top > my ? rect.top - my : 1;
      rect.bottom = rect.bottom < sh + my ? rect.bottom - my : sh - 1;
    }
  } else {
    const LONG bx = record->BildMitte.x, by = record->BildMitte.y;
    if (bx != 0) {
      rect.left = rect.left > bx ? rect.left - bx : 2;
      rect.right = rect.right > bx ? rect.right - bx : 2;
      if (rect.right > record->FitSize.x)
        rect.right = TruncToLong(record->FitSize.x) - 2;
    }
    if (by != 0) {
      rect.top = rect.top > by ? rect.top - by : 2;
      rect.bottom = rect.bottom > by ? rect.bottom - by : 2;
      if (rect.bottom > record->FitSize.y)
        rect.bottom = TruncToLong(record->FitSize.y) - 2;
    }
  }

  if (record->Zoomed == TAV_ZOOM_NONE) {
    record->ZoomFactor = TavDoublePair{1.0, 1.0};
    record->ZoomOrigin[0] = record->ZoomOrigin[1] = 0;
  }
  record->DisplayMode = TAV_DISPLAY_FIT_WIDTH;
  record->Zoomed = TAV_ZOOM_WAITING;
  record->Painted = 0;
  TAVIMG_UpdateBars(window, record);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  record->InZoomAction = TAV_ZOOM_ACTION_NONE;
}

void TrackHoverHotspot(HWND window, ImgStruct* record, LPARAM lParam, LONG dx, LONG dy) {
  const double px = static_cast<double>(MouseX(lParam)) + dx;
  const double py = static_cast<double>(MouseY(lParam)) + dy;

  HDC dc = GetDC(window);
  FrameDrawing tools{};
  BeginFrameDrawing(tools, dc, record);

  // The hotspot under the point whose centre is nearest; the lower number
  // wins a tie.
  LONG candidate = TAVIMG_NO_HOTSPOT;
  double nearest = 100000.0;
  const int count = UsableHotspotCount(record);
  for (int i = 0; i < count; ++i) {
    const TavRect& r = record->Hotspots[i].ScreenRect;
    if (!(r.left < px && px < r.right && r.top < py && py < r.bottom))
      continue;
    const double cx = r.left + (static_cast<double>(r.right) - r.left) * 0.5;
    const double cy = r.top + (static_cast<double>(r.bottom) - r.top) * 0.5;
    const double distance = (cx - px) * (cx - px) + (cy - py) * (cy - py);
    if (distance < nearest) {
      nearest = distance;
      candidate = i;
    }
  }

  if (candidate != record->HoverHotspot) {
    const LONG previous = record->HoverHotspot;
    if (previous != TAVIMG_NO_HOTSPOT) {
      if (previous >= 0 && previous < TAVIMG_MAX_HOTSPOTS) {
        HotspotEntry& entry = record->Hotspots[previous];
        if ((entry.HotspotState & TAVIMG_DRAWN_BIT) && !(entry.HotspotState & TAVIMG_MARKED_BIT)) {
          DrawFrame(tools, entry.ScreenRect, dx, dy);
          entry.HotspotState &= ~(TAVIMG_DRAWN_BIT | TAVIMG_HOVER_BIT);
        }
      }
      memset(record->CurrentHotspotName, 0, sizeof(record->CurrentHotspotName));
      record->CurrentHotspot = TAVIMG_NO_HOTSPOT;
    }
    record->HoverHotspot = candidate;
    if (candidate != TAVIMG_NO_HOTSPOT) {
      HotspotEntry& entry = record->Hotspots[candidate];
      const bool active = (entry.HotspotState & TAVIMG_ACTIVE_BIT) != 0;
      if (active && !(entry.HotspotState & (TAVIMG_MARKED_BIT | TAVIMG_DRAWN_BIT))) {
        DrawFrame(tools, entry.ScreenRect, dx, dy);
        entry.HotspotState |= TAVIMG_DRAWN_BIT | TAVIMG_HOVER_BIT;
      }
      if (active) {
        lstrcpynA(record->CurrentHotspotName, entry.HotspotName, sizeof(record->CurrentHotspotName));
        record->CurrentHotspot = candidate;
      }
    }
  }

  EndFrameDrawing(tools);
  if (dc != nullptr)
    ReleaseDC(window, dc);
}

void ResetView(HWND window, ImgStruct* record) {
  if (record->DisplayMode == TAV_DISPLAY_DRF || record->DisplayMode == TAV_DISPLAY_DRF_KEEP_BACKGROUND ||
      record->DisplayMode == TAV_DISPLAY_DRF_IN_WINDOW)
    FreeDRFBands(record);

  record->Zoomed = TAV_ZOOM_NONE;
  record->Painted = 0;
  record->ZoomRect = TavRect{0, 0, 0, 0};
  record->BildMitte = TavPair{0, 0};
  switch (record->DisplayMode) {
  case TAV_DISPLAY_FITTED:
    record->PictureMode = TAV_PICTURE_FITTED;
    break;
  case TAV_DISPLAY_FIT_WIDTH: // the fit-to-width zoom, applied at the next paint
    record->Zoomed = TAV_ZOOM_WAITING;
    record->ZoomRect = TavRect{1, 0, record->ScaledClientSize.x, 10};
    record->ClientSize = record->DrawSize = record->AltSize;
    record->PictureMode = TAV_PICTURE_FITTED;
    break;
  default:
    record->PictureMode = TAV_PICTURE_DRF;
    break;
  }

  record->HoverHotspot = TAVIMG_NO_HOTSPOT;
  record->InZoomAction = TAV_ZOOM_ACTION_NONE;
  record->ScrollPos = TavPair{0, 0};
  for (int i = 0; i < 4; ++i)
    record->ZoomOrigin[i] = 0;
  record->ScrollRange = TavPair{0, 0};
  SetScrollRange(window, SB_HORZ, 0, 0, TRUE);
  SetScrollRange(window, SB_VERT, 0, 0, TRUE);
  record->ZoomFactor = record->BildFactor = TavDoublePair{1.0, 1.0};
  record->CurrentHotspotName[0] = 0;
  record->SelectedHotspotName[0] = 0;
  PlaceHotspots(1.0, 1.0, record);

  const TavPair& offset = record->CentringOffset;
  const TavPair& alt = record->AltSize;
  if (record->FitMode == TAV_FIT_KEEP_WINDOW) {
    MoveWindow(window, offset.x, offset.y, alt.x, alt.y, TRUE);
    RECT area{offset.x, offset.y, offset.x + alt.x, offset.y + alt.y};
    InvalidateRect(window, &area, FALSE);
    return;
  }
  const LONG x = record->WindowOrigin.x + offset.x;
  const LONG y = record->WindowOrigin.y + offset.y;
  if (record->DisplayMode == TAV_DISPLAY_FITTED || record->DisplayMode == TAV_DISPLAY_DRF_IN_WINDOW ||
      record->DisplayMode == TAV_DISPLAY_FIT_WIDTH)
    MoveWindow(window, x, y, alt.x, alt.y, TRUE);
  else
    MoveWindow(window, x, y, record->ScaledClientSize.x + 1, record->ScaledClientSize.y + 1, TRUE);
  UpdateWindow(window);
}

// Every call of the host's callback goes through here. On i686 the host's
// compiler chose the callback's calling convention: a stdcall callback removes
// its 12 bytes of arguments from the stack when it returns, a cdecl one (what
// C and C++ functions are unless declared otherwise) leaves them to the
// caller. So the stack pointer is kept in ESI, which both conventions
// preserve, across the call and put back afterwards: the stack is the same
// whichever the callback is. Kept out of line, so that nothing of the
// caller's lives in a register the callback may change.
static __attribute__((noinline)) void CallHostCallback(TAVIMG_NOTIFYPROC callback, DWORD zero, UINT message,
                                                       char* hotspotName) {
#if defined(__i386__)
  __asm__ volatile("movl %%esp, %%esi\n\t"
                   "pushl %%edx\n\t"
                   "pushl %%ecx\n\t"
                   "pushl %%eax\n\t"
                   "call *%%edi\n\t"
                   "movl %%esi, %%esp"
                   : "+a"(zero), "+c"(message), "+d"(hotspotName)
                   : "D"(callback)
                   : "esi", "memory", "cc");
#else
  callback(zero, message, hotspotName);
#endif
}

extern "C" DWORD WINAPI TAVIMG_OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, ImgStruct* record) {
  TAV_ENTER_EXPORT();
  if (!IsSlotRecord(record))
    return 0;
  // The messages the view handles itself; each answers 1.
  switch (message) {
  case WM_SIZE:
    OnSize(window, record);
    return 1;
  case WM_PAINT:
  case WM_PALETTECHANGED:
    PaintPicture(window, record, nullptr);
    return 1;
  case WM_HSCROLL:
    OnScroll(window, SB_HORZ, wParam, lParam, record);
    return 1;
  case WM_VSCROLL:
    OnScroll(window, SB_VERT, wParam, lParam, record);
    return 1;
  case WM_MOUSEMOVE:
    OnMouseMove(window, wParam, lParam, record);
    return 1;
  case WM_LBUTTONDOWN:
    OnLButtonDown(lParam, record);
    return 1;
  case WM_LBUTTONUP:
    OnLButtonUp(window, record);
    return 1;
  case WM_RBUTTONUP: // not passed on to the host; nothing to do
    return 1;
  default:
    break;
  }
  // Everything else goes to the host, with the name of the hotspot under the
  // mouse, unless a zoom is armed.
  if (record->InZoomAction == TAV_ZOOM_ACTION_NONE && record->NotifyCallback != nullptr)
    CallHostCallback(record->NotifyCallback, 0, message, record->CurrentHotspotName);
  return 0;
}
