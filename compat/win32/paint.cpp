// Invalidation and painting. A window's pending paint is the bounding box of
// what was invalidated; BeginPaint hands it out as rcPaint, clips its DC to
// it and makes the window valid again.
#include "internal.h"
#include "tavwin_test.h"

using namespace tavwin::detail;

namespace {

RECT areaOf(const Window& w, const RECT* rect) {
  RECT area = rect ? *rect : w.ClientRect();
  ClipTo(&area, w.ClientRect());
  return area;
}

// What RedrawWindow and friends act on: the window, or every top-level
// window for no window at all.
template <class Action> BOOL forWindows(HWND handle, Action action) {
  if (!handle) {
    for (Window* w : AllWindows()) {
      if (!w->parent)
        action(*w);
    }
    return TRUE;
  }
  Window* w = FindWindowRecord(handle);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  action(*w);
  return TRUE;
}

} // namespace

namespace tavwin::detail {

// Hidden windows collect no paint, as on Windows.
void Invalidate(Window& w, const RECT* rect, bool erase) {
  RECT area = areaOf(w, rect);
  if (!w.visible || Empty(area))
    return;
  UnionRect(&w.update, &w.update, &area);
  if (erase)
    w.erase = true;
}

// The pending paint stays one rectangle: validating a part of it shrinks it
// only where a whole band along one of its edges was validated.
void Validate(Window& w, const RECT* rect) {
  RECT v = areaOf(w, rect);
  RECT& u = w.update;
  bool fullWidth = v.left <= u.left && v.right >= u.right;
  bool fullHeight = v.top <= u.top && v.bottom >= u.bottom;
  if (!rect || (fullWidth && fullHeight)) {
    u = RECT{0, 0, 0, 0};
  } else if (fullWidth && v.top <= u.top && v.bottom > u.top) {
    u.top = v.bottom;
  } else if (fullWidth && v.bottom >= u.bottom && v.top < u.bottom) {
    u.bottom = v.top;
  } else if (fullHeight && v.left <= u.left && v.right > u.left) {
    u.left = v.right;
  } else if (fullHeight && v.right >= u.right && v.left < u.right) {
    u.right = v.left;
  }
  if (Empty(u)) {
    u = RECT{0, 0, 0, 0};
    w.erase = w.eraseOwed = false;
  }
}

void EraseNow(Window& w) {
  if (!w.erase || Empty(w.update))
    return;
  w.erase = false;
  HWND handle = w.handle;
  HDC dc = NewWindowDC(handle, DcKind::Paint, &w.update);
  LRESULT erased = SendMessageA(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  FreeWindowDC(dc, DcKind::Paint);
  if (Window* still = FindWindowRecord(handle); still && !erased)
    still->eraseOwed = true;
}

} // namespace tavwin::detail

BOOL WINAPI InvalidateRect(HWND handle, const RECT* rect, BOOL erase) {
  return forWindows(handle, [&](Window& w) { Invalidate(w, rect, erase != FALSE); });
}

BOOL WINAPI ValidateRect(HWND handle, const RECT* rect) {
  return forWindows(handle, [&](Window& w) { Validate(w, rect); });
}

BOOL WINAPI GetUpdateRect(HWND handle, LPRECT rect, BOOL erase) {
  Window* w = FindWindowRecord(handle);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (erase) {
    EraseNow(*w);
    if (!(w = FindWindowRecord(handle)))
      return FALSE;
  }
  if (rect)
    *rect = w->update;
  return !Empty(w->update);
}

BOOL WINAPI UpdateWindow(HWND handle) {
  Window* w = FindWindowRecord(handle);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (w->NeedsPaint())
    SendMessageA(handle, WM_PAINT, 0, 0);
  return TRUE;
}

// Children are not drawn into their parent here, so RDW_ALLCHILDREN changes
// nothing; a region stands for its rectangle and takes the place of rect.
BOOL WINAPI RedrawWindow(HWND handle, const RECT* rect, HRGN region, UINT flags) {
  RECT regionRect;
  if (region) {
    auto* rgn = FindObjectOf<RegionObject>(region, OBJ_REGION);
    if (!rgn) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    regionRect = rgn->rect;
    rect = &regionRect;
  }
  std::vector<HWND> touched;
  BOOL ok = forWindows(handle, [&](Window& w) {
    if (flags & RDW_INVALIDATE) {
      Invalidate(w, rect, (flags & RDW_ERASE) != 0);
      if ((flags & RDW_INTERNALPAINT) && w.visible)
        w.internalPaint = true;
    } else if (flags & RDW_VALIDATE) {
      Validate(w, rect);
    }
    touched.push_back(w.handle);
  });
  for (HWND h : touched) {
    Window* w = FindWindowRecord(h);
    if (w && (flags & (RDW_ERASENOW | RDW_UPDATENOW)))
      EraseNow(*w);
    if ((w = FindWindowRecord(h)) && (flags & RDW_UPDATENOW) && w->NeedsPaint())
      SendMessageA(h, WM_PAINT, 0, 0);
  }
  return ok;
}

HDC WINAPI BeginPaint(HWND handle, LPPAINTSTRUCT paint) {
  Window* w = FindWindowRecord(handle);
  if (!w || !paint) {
    SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  RECT area = areaOf(*w, &w->update);
  bool erase = w->erase && !Empty(area), owed = w->eraseOwed;
  w->update = RECT{0, 0, 0, 0};
  w->erase = w->eraseOwed = w->internalPaint = false;
  *paint = PAINTSTRUCT{};
  paint->hdc = NewWindowDC(handle, DcKind::Paint, &area);
  paint->rcPaint = Empty(area) ? RECT{0, 0, 0, 0} : area;
  paint->fErase = owed;
  if (erase)
    paint->fErase = !SendMessageA(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0);
  return paint->hdc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* paint) {
  if (!paint)
    return FALSE;
  FreeWindowDC(paint->hdc, DcKind::Paint);
  return TRUE;
}

HDC WINAPI GetDC(HWND handle) {
  if (!handle)
    return NewWindowDC(nullptr, DcKind::Screen, nullptr);
  if (!FindWindowRecord(handle)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return NewWindowDC(handle, DcKind::Window, nullptr);
}

int WINAPI ReleaseDC(HWND, HDC dc) {
  return FreeWindowDC(dc, DcKind::Window) || FreeWindowDC(dc, DcKind::Screen);
}

namespace tavwin {

// Stops early when the window procedure leaves the paint pending, as a
// procedure that never calls BeginPaint would keep a message loop busy.
int PumpPaints(HWND handle) {
  int delivered = 0;
  while (delivered < 1000) {
    Window* w = FindWindowRecord(handle);
    if (!w || !w->NeedsPaint())
      break;
    RECT before = w->update;
    SendMessageA(handle, WM_PAINT, 0, 0);
    ++delivered;
    w = FindWindowRecord(handle);
    if (w && w->NeedsPaint() && SameRect(w->update, before))
      break;
  }
  return delivered;
}

} // namespace tavwin
