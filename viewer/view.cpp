// The picture's place in the frame and the view people expect of it. The view
// window holds the picture window: in the TIFF views (display modes 1 and 4)
// the picture window fills it; a DRF at its own size (0, 2, 3) gets a picture
// window of the picture's size, which the view centres or scrolls with bars of
// its own. The library counts scroll steps in picture pixels and zoom factors
// against the window's width; here steps are window pixels, the scale is
// window pixels per picture pixel, and the thumbs show the section shown.
#include "viewer.h"

#include <algorithm>
#include <cmath>

namespace tavoview {

namespace {

constexpr char kViewClass[] = "TavoViewArea";

bool DrfMode(DWORD mode) {
  return mode != 1 && mode != 4;
}

int Axis(const TavPair& pair, int bar) {
  return bar == SB_HORZ ? pair.x : pair.y;
}

// The library's scroll message, moving the shown section to a position in
// picture pixels (the thumb position a scroll bar would send).
void MoveSection(const Picture& p, int bar, LONG position) {
  position = std::max(0L, std::min(position, static_cast<LONG>(Axis(p.record->ScrollRange, bar))));
  TAVIMG_OnMessage(p.window, bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL,
                   MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(std::min(position, 65535L))), 0, p.record);
}

void ScrollView(const Picture& p, int bar, int position) {
  HWND view = GetParent(p.window);
  SetScrollPos(view, bar, position, TRUE);
  PlacePicture(p);
}

LRESULT CALLBACK ViewProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_SIZE:
    OnViewSized();
    return 0;
  case WM_HSCROLL:
  case WM_VSCROLL: {
    int bar = message == WM_HSCROLL ? SB_HORZ : SB_VERT;
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(view, bar, &info);
    WORD request = LOWORD(wParam);
    int position = info.nPos;
    if (request <= SB_PAGEDOWN) { // lines and pages, up (even) or down (odd)
      int step = request <= SB_LINEDOWN ? kLineStep : static_cast<int>(info.nPage);
      position += request % 2 ? step : -step;
    } else if (request == SB_THUMBTRACK || request == SB_THUMBPOSITION) {
      position = info.nTrackPos;
    } else if (request == SB_TOP || request == SB_BOTTOM) {
      position = request == SB_TOP ? 0 : info.nMax;
    }
    if (const Picture* p = ShownPicture())
      ScrollView(*p, bar, position);
    return 0;
  }
  }
  return DefWindowProcA(view, message, wParam, lParam);
}

} // namespace

HWND CreateView(HWND frame) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = ViewProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  wc.lpszClassName = kViewClass;
  RegisterClassA(&wc);
  return CreateWindowExA(0, kViewClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, frame,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdView)), GetModuleHandleA(nullptr), nullptr);
}

bool ShowsSection(const ImgStruct* r) {
  return r && r->Zoomed == 1 && r->PictureMode == 1;
}

SIZE OwnSize(const Picture& p) {
  // As the library's view reset sizes the window: one pixel more each way.
  LONGLONG size = TAVIMG_GetDRFSize(p.record);
  return {static_cast<LONG>(TAVIMG_SIZE_WIDTH(size)) + 1, static_cast<LONG>(TAVIMG_SIZE_HEIGHT(size)) + 1};
}

void PlacePicture(const Picture& p) {
  if (!p.record || !IsWindow(p.window))
    return;
  HWND view = GetParent(p.window);
  RECT client{};
  if (!DrfMode(p.mode)) {
    SetScrollRange(view, SB_HORZ, 0, 0, FALSE);
    SetScrollRange(view, SB_VERT, 0, 0, FALSE);
    GetClientRect(view, &client);
    SetWindowPos(p.window, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  SIZE size = OwnSize(p);
  // Twice: a bar that comes takes room from the other direction.
  for (int round = 0; round < 2; ++round) {
    GetClientRect(view, &client);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    info.nMax = size.cx - 1;
    info.nPage = static_cast<UINT>(client.right);
    SetScrollInfo(view, SB_HORZ, &info, TRUE);
    info.nMax = size.cy - 1;
    info.nPage = static_cast<UINT>(client.bottom);
    SetScrollInfo(view, SB_VERT, &info, TRUE);
  }
  GetClientRect(view, &client);
  // Modes 0 and 2 centre a smaller picture; 3 keeps it at the top left.
  bool centre = p.mode != 3;
  int x = size.cx <= client.right ? (centre ? (client.right - size.cx) / 2 : 0) : -GetScrollPos(view, SB_HORZ);
  int y = size.cy <= client.bottom ? (centre ? (client.bottom - size.cy) / 2 : 0) : -GetScrollPos(view, SB_VERT);
  SetWindowPos(p.window, nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void SyncBars(const Picture& p) {
  static bool busy = false;
  ImgStruct* r = p.record;
  if (busy || !r || !IsWindow(p.window))
    return;
  busy = true;
  // A bar with nothing to scroll goes first: its room goes to the area,
  // which the library measures again before the first paint.
  for (int bar : {SB_HORZ, SB_VERT}) {
    if (!ShowsSection(r) || Axis(r->ScrollRange, bar) <= 0)
      ShowScrollBar(p.window, bar, FALSE);
  }
  // The thumb is as long as the section is of the picture, and moves over
  // the library's range of positions.
  for (int bar : {SB_HORZ, SB_VERT}) {
    int range = Axis(r->ScrollRange, bar), page = Axis(r->ScrollPage, bar);
    if (!ShowsSection(r) || range <= 0)
      continue;
    SCROLLINFO info{sizeof info,
                    SIF_RANGE | SIF_PAGE | SIF_POS,
                    0,
                    range + page - 1,
                    static_cast<UINT>(page),
                    Axis(r->ScrollPos, bar),
                    0};
    SetScrollInfo(p.window, bar, &info, TRUE);
  }
  busy = false;
}

void PublishState(HWND frame, const Picture& p) {
  // Values are kept plus one: a property of 0 reads as none.
  auto put = [frame](const char* name, LONG value) {
    SetPropA(frame, name, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(value) + 1));
  };
  put("TavoView.Mode", p.record ? static_cast<LONG>(p.mode) : -1);
  for (int bar : {SB_HORZ, SB_VERT}) {
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    bool shown = p.record && IsWindow(p.window) &&
                 (GetWindowLongA(p.window, GWL_STYLE) & (bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL)) &&
                 GetScrollInfo(p.window, bar, &info);
    const char* names[2][3] = {{"TavoView.HPos", "TavoView.HPage", "TavoView.HMax"},
                               {"TavoView.VPos", "TavoView.VPage", "TavoView.VMax"}};
    put(names[bar][0], shown ? info.nPos : -1);
    put(names[bar][1], shown ? static_cast<LONG>(info.nPage) : -1);
    put(names[bar][2], shown ? info.nMax : -1);
  }
}

double TrueScale(const Picture& p) {
  const ImgStruct* r = p.record;
  double width = r ? r->TIFFSize.x : 0;
  if (!r || width <= 0 || r->PictureMode == 0)
    return 1.0;
  if (ShowsSection(r))
    return r->ZoomFactor.x * r->ScaledClientSize.x / width;
  return r->FitSize.x > 0 ? r->FitSize.x / width : 1.0;
}

void ScrollBy(const Picture& p, int bar, int pixels) {
  ImgStruct* r = p.record;
  if (!r)
    return;
  if (ShowsSection(r)) {
    double step = pixels / TrueScale(p);
    MoveSection(p, bar, Axis(r->ScrollPos, bar) + static_cast<LONG>(std::lround(step)));
    SyncBars(p);
  } else if (DrfMode(p.mode)) {
    ScrollView(p, bar, GetScrollPos(GetParent(p.window), bar) + pixels);
  }
}

void ScrollToEnd(const Picture& p, int bar, bool end) {
  ImgStruct* r = p.record;
  if (ShowsSection(r)) {
    MoveSection(p, bar, end ? Axis(r->ScrollRange, bar) : 0);
    SyncBars(p);
  } else if (r && DrfMode(p.mode)) {
    ScrollView(p, bar, end ? 0x7FFFFFFF : 0);
  }
}

int PageSize(const Picture& p, int bar) {
  RECT client{};
  GetClientRect(ShowsSection(p.record) ? p.window : GetParent(p.window), &client);
  return bar == SB_HORZ ? client.right : client.bottom;
}

void BringIntoView(const Picture& p, LONG hotspot) {
  ImgStruct* r = p.record;
  if (!r || hotspot < 0 || hotspot >= TAVIMG_GetHotspotCount(r))
    return;
  const TavRect& spot = r->Hotspots[hotspot].PictureRect;
  if (ShowsSection(r)) {
    // A DRF's hotspots are in DRF pixels; the section is in TIFF pixels.
    double fx = 1.0, fy = 1.0;
    if (!p.isTiff && r->DRFSize.x > 0 && r->DRFSize.y > 0) {
      fx = static_cast<double>(r->TIFFSize.x) / r->DRFSize.x;
      fy = static_cast<double>(r->TIFFSize.y) / r->DRFSize.y;
    }
    const double sides[2][2] = {{spot.left * fx, spot.right * fx}, {spot.top * fy, spot.bottom * fy}};
    for (int bar : {SB_HORZ, SB_VERT}) {
      double from = sides[bar][0], to = sides[bar][1];
      int position = Axis(r->ScrollPos, bar), page = Axis(r->ScrollPage, bar);
      if (from < position || to > position + page)
        MoveSection(p, bar, static_cast<LONG>((from + to - page) / 2));
    }
    SyncBars(p);
  } else if (DrfMode(p.mode)) {
    HWND view = GetParent(p.window);
    const LONG sides[2][2] = {{spot.left, spot.right}, {spot.top, spot.bottom}};
    for (int bar : {SB_HORZ, SB_VERT}) {
      int position = GetScrollPos(view, bar), page = PageSize(p, bar);
      if (sides[bar][0] < position || sides[bar][1] > position + page)
        ScrollView(p, bar, (sides[bar][0] + sides[bar][1] - page) / 2);
    }
  }
}

// ---- Zoom steps. The library zooms to a rubber band; a step is a band of
// the size that gives the scale asked for, centred on a picture point, sent
// to the library as the mouse would draw it.

double FittedScale(const Picture& p) {
  const ImgStruct* r = p.record;
  RECT client{};
  GetClientRect(GetParent(p.window), &client);
  if (!r || r->TIFFSize.x <= 0 || r->TIFFSize.y <= 0)
    return 1.0;
  return std::min(static_cast<double>(client.right) / r->TIFFSize.x,
                  static_cast<double>(client.bottom) / r->TIFFSize.y);
}

bool CanZoom(const Picture& p) {
  return p.record && p.tiffView && !DrfMode(p.mode);
}

bool PictureCentre(const Picture& p, double& x, double& y) {
  const ImgStruct* r = p.record;
  if (!CanZoom(p))
    return false;
  if (ShowsSection(r)) {
    x = r->ScrollPos.x + r->ScrollPage.x / 2.0;
    y = r->ScrollPos.y + r->ScrollPage.y / 2.0;
  } else {
    x = r->TIFFSize.x / 2.0;
    y = r->TIFFSize.y / 2.0;
  }
  return true;
}

bool PictureAt(const Picture& p, POINT at, double& x, double& y) {
  const ImgStruct* r = p.record;
  if (!CanZoom(p))
    return false;
  double scale = TrueScale(p);
  if (ShowsSection(r)) {
    x = r->ScrollPos.x + at.x / scale;
    y = r->ScrollPos.y + at.y / scale;
  } else {
    x = (at.x - r->BildMitte.x) / scale;
    y = (at.y - r->BildMitte.y) / scale;
  }
  x = std::max(0.0, std::min(x, static_cast<double>(r->TIFFSize.x)));
  y = std::max(0.0, std::min(y, static_cast<double>(r->TIFFSize.y)));
  return true;
}

void ZoomTo(Picture& p, double scale, double x, double y) {
  if (!CanZoom(p))
    return;
  ImgStruct* r = p.record;
  // One picture pixel per window pixel is as far as the library zooms.
  scale = std::min(scale, 1.0);
  UpdateWindow(p.window);
  // A band lies inside the view: zooming out starts from the whole picture.
  if (!ShowsSection(r) || scale < TrueScale(p) * 0.999) {
    p.mode = 1;
    ShowView();
    UpdateWindow(p.window);
  }
  if (scale <= FittedScale(p) * 1.001 || r->TIFFSize.x <= 0 || r->ScaledClientSize.x <= 0)
    return;
  double now = TrueScale(p);
  double cx, cy;
  if (ShowsSection(r)) {
    cx = (x - r->ScrollPos.x) * now;
    cy = (y - r->ScrollPos.y) * now;
  } else {
    cx = r->BildMitte.x + x * now;
    cy = r->BildMitte.y + y * now;
  }
  // The section in zoom-1 pixels (the window's width holds the whole
  // picture's), as a band: over the fitted picture a band's size counts in
  // window pixels, over a section in the section's pixels.
  double kx = static_cast<double>(r->TIFFSize.x) / r->ScaledClientSize.x;
  double ky = static_cast<double>(r->TIFFSize.y) / std::max<LONG>(1, r->ScaledClientSize.y);
  double w = r->ClientSize.x / (scale * kx), h = r->ClientSize.y / (scale * ky);
  if (ShowsSection(r)) {
    w *= r->ZoomFactor.x;
    h *= r->ZoomFactor.y;
  }
  int areaW = r->ClientSize.x, areaH = r->ClientSize.y;
  w = std::max(3.0, std::min(w, areaW - 2.0));
  h = std::max(3.0, std::min(h, areaH - 3.0));
  int left = static_cast<int>(std::max(1.0, std::min(cx - w / 2, areaW - 1 - w)));
  int top = static_cast<int>(std::max(1.0, std::min(cy - h / 2, areaH - 2 - h)));
  int right = left + static_cast<int>(w), bottom = top + static_cast<int>(h);
  TAVIMG_SetZoomMode(r);
  TAVIMG_OnMessage(p.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(left, top), r);
  TAVIMG_OnMessage(p.window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(right, bottom), r);
  TAVIMG_OnMessage(p.window, WM_LBUTTONUP, 0, MAKELPARAM(right, bottom), r);
  // A band that did not zoom stays drawn on the screen.
  InvalidateRect(p.window, nullptr, FALSE);
  SyncBars(p);
}

} // namespace tavoview
