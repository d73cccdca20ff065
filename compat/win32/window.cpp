// Window classes, windows, their geometry and scroll bars, messages and the
// posted-message queue, and mouse capture. Every message a window receives
// goes through SendMessageA, and every call looks the window up again after
// a message was sent, because the window procedure may have destroyed it.
#include "internal.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <deque>
#include <map>
#include <memory>

using namespace tavwin::detail;

namespace {

#define WS_DLGFRAME_BIT 0x00400000L

struct WindowClass {
  ATOM atom;
  std::string name;
  WNDCLASSA wc;
};

struct Desktop {
  std::map<std::string, WindowClass> classes; // by lower-case name
  std::map<uintptr_t, std::unique_ptr<Window>> windows;
  std::deque<MSG> posted;
  bool quit = false;
  int quitCode = 0;
  HWND capture = nullptr;
  ATOM nextAtom = 0xC000;
};

Desktop& desktop() {
  static Desktop d;
  return d;
}

std::string lower(const char* s) {
  std::string r = s ? s : "";
  for (char& c : r)
    c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  return r;
}

WindowClass* findClass(LPCSTR name) {
  auto& classes = desktop().classes;
  if (IS_INTRESOURCE(name)) {
    ATOM atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
    for (auto& [key, c] : classes) {
      if (c.atom == atom)
        return &c;
    }
    return nullptr;
  }
  auto it = classes.find(lower(name));
  return it == classes.end() ? nullptr : &it->second;
}

// The non-client area: frame width on every side and the caption height.
void frameOf(DWORD style, int* frame, int* caption) {
  *frame = (style & WS_THICKFRAME) ? 4 : (style & WS_DLGFRAME_BIT) ? 3 : (style & WS_BORDER) ? 1 : 0;
  *caption = (style & WS_CAPTION) == WS_CAPTION ? 19 : 0;
}

POINT clientOrigin(const Window& w) {
  int frame, caption;
  frameOf(w.style, &frame, &caption);
  POINT p{w.rect.left + frame, w.rect.top + frame + caption};
  if (const Window* parent = FindWindowRecord(w.parent)) {
    POINT o = clientOrigin(*parent);
    p.x += o.x;
    p.y += o.y;
  }
  return p;
}

void clientSizeOf(const Window& w, int* width, int* height) {
  int frame, caption;
  frameOf(w.style, &frame, &caption);
  int cx = w.rect.right - w.rect.left - 2 * frame - (w.bars[SB_VERT].shown ? 17 : 0);
  int cy = w.rect.bottom - w.rect.top - 2 * frame - caption - (w.bars[SB_HORZ].shown ? 17 : 0);
  *width = cx > 0 ? cx : 0;
  *height = cy > 0 ? cy : 0;
}

// New pixels are black, as a fresh surface is. The rows are moved within
// the one buffer, which keeps its memory: scroll bars that come and go
// resize a window many times.
void resizeSurface(Window& w, int width, int height) {
  const size_t oldWidth = static_cast<size_t>(std::max(w.clientWidth, 0));
  const size_t newWidth = static_cast<size_t>(width), newHeight = static_cast<size_t>(height);
  const size_t rows = std::min(newHeight, static_cast<size_t>(std::max(w.clientHeight, 0)));
  const size_t kept = std::min(newWidth, oldWidth);
  std::vector<uint32_t>& p = w.pixels;
  if (p.size() < newWidth * rows)
    p.resize(newWidth * rows);
  // Wider rows move from the bottom up, narrower ones from the top down, so
  // that no row is overwritten before it has moved.
  for (size_t i = 0; i < rows && newWidth != oldWidth; ++i) {
    size_t y = newWidth > oldWidth ? rows - 1 - i : i;
    memmove(&p[y * newWidth], &p[y * oldWidth], kept * sizeof(uint32_t));
    std::fill(p.begin() + static_cast<std::ptrdiff_t>(y * newWidth + kept),
              p.begin() + static_cast<std::ptrdiff_t>((y + 1) * newWidth), 0u);
  }
  p.resize(newWidth * newHeight);
  std::fill(p.begin() + static_cast<std::ptrdiff_t>(newWidth * rows), p.end(), 0u);
  w.clientWidth = width;
  w.clientHeight = height;
}

// Brings the client area in line with the window rectangle and scroll bars.
// When it changed size: the newly exposed parts become invalid (the whole
// area for a class with CS_HREDRAW / CS_VREDRAW) unless redraw is off, and
// the window procedure gets WM_SIZE.
void updateClientArea(HWND handle, bool redraw) {
  Window* w = FindWindowRecord(handle);
  if (!w)
    return;
  int width, height;
  clientSizeOf(*w, &width, &height);
  int oldWidth = w->clientWidth, oldHeight = w->clientHeight;
  if (width == oldWidth && height == oldHeight)
    return;
  resizeSurface(*w, width, height);
  if (redraw) {
    bool whole =
        ((w->classStyle & CS_HREDRAW) && width != oldWidth) || ((w->classStyle & CS_VREDRAW) && height != oldHeight);
    if (whole) {
      Invalidate(*w, nullptr, true);
    } else {
      RECT right{oldWidth, 0, width, height}, bottom{0, oldHeight, width, height};
      Invalidate(*w, &right, true);
      Invalidate(*w, &bottom, true);
    }
  }
  SendMessageA(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
}

ScrollBar* barOf(HWND handle, int bar) {
  Window* w = FindWindowRecord(handle);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (bar != SB_HORZ && bar != SB_VERT) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return &w->bars[bar];
}

bool showBars(HWND handle, int bar, bool show) {
  Window* w = FindWindowRecord(handle);
  if (!w)
    return false;
  if (bar == SB_HORZ || bar == SB_BOTH)
    w->bars[SB_HORZ].shown = show;
  if (bar == SB_VERT || bar == SB_BOTH)
    w->bars[SB_VERT].shown = show;
  updateClientArea(handle, true);
  return true;
}

bool passesFilter(HWND messageWindow, UINT message, HWND filter, UINT first, UINT last) {
  if (filter == reinterpret_cast<HWND>(-1) ? messageWindow != nullptr : (filter && messageWindow != filter))
    return false;
  return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool validFilter(HWND filter) {
  return !filter || filter == reinterpret_cast<HWND>(-1) || FindWindowRecord(filter);
}

} // namespace

namespace tavwin::detail {

Window* FindWindowRecord(HWND handle) {
  auto& windows = desktop().windows;
  auto it = windows.find(reinterpret_cast<uintptr_t>(handle));
  return it == windows.end() ? nullptr : it->second.get();
}

std::vector<Window*> AllWindows() {
  std::vector<Window*> all;
  for (auto& [value, w] : desktop().windows)
    all.push_back(w.get());
  return all;
}

} // namespace tavwin::detail

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
  if (!wc || !wc->lpszClassName || !wc->lpfnWndProc || IS_INTRESOURCE(wc->lpszClassName)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Desktop& d = desktop();
  std::string key = lower(wc->lpszClassName);
  if (d.classes.count(key)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  WindowClass c{d.nextAtom++, wc->lpszClassName, *wc};
  c.wc.lpszClassName = nullptr;
  c.wc.lpszMenuName = nullptr;
  d.classes[key] = c;
  return c.atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
  WindowClass* c = findClass(className);
  if (!c) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  for (auto& [value, w] : desktop().windows) {
    if (lower(w->className.c_str()) == lower(c->name.c_str())) {
      SetLastError(ERROR_CLASS_HAS_WINDOWS);
      return FALSE;
    }
  }
  desktop().classes.erase(lower(c->name.c_str()));
  return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  WindowClass* c = findClass(className);
  if (!c) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  if ((parent && !FindWindowRecord(parent)) || ((style & WS_CHILD) && !parent)) {
    SetLastError(parent ? ERROR_INVALID_WINDOW_HANDLE : ERROR_TLW_WITH_WSCHILD);
    return nullptr;
  }
  if (!(style & (WS_POPUP | WS_CHILD)))
    style |= WS_CAPTION; // an overlapped window always has a caption
  if (x == CW_USEDEFAULT)
    x = y = 0;
  if (width == CW_USEDEFAULT)
    width = 320, height = 240;
  width = width > 0 ? width : 0;
  height = height > 0 ? height : 0;

  auto w = std::make_unique<Window>();
  HWND handle = reinterpret_cast<HWND>(NewHandleValue());
  w->handle = handle;
  w->parent = parent;
  w->proc = c->wc.lpfnWndProc;
  w->style = style;
  w->exStyle = exStyle;
  w->classStyle = c->wc.style;
  w->background = c->wc.hbrBackground;
  w->className = c->name;
  w->rect = RECT{x, y, x + width, y + height};
  w->bars[SB_HORZ].shown = (style & WS_HSCROLL) != 0;
  w->bars[SB_VERT].shown = (style & WS_VSCROLL) != 0;
  // A bar the window is created with has the range 0..100; one without, 0..0.
  w->bars[SB_HORZ].max = w->bars[SB_HORZ].shown ? 100 : 0;
  w->bars[SB_VERT].max = w->bars[SB_VERT].shown ? 100 : 0;
  int cw, ch;
  clientSizeOf(*w, &cw, &ch);
  resizeSurface(*w, cw, ch);
  desktop().windows[reinterpret_cast<uintptr_t>(handle)] = std::move(w);

  CREATESTRUCTA cs{param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
                   windowName, className, exStyle};
  if (!SendMessageA(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    DestroyWindow(handle);
    return nullptr;
  }
  if (SendMessageA(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  if (!FindWindowRecord(handle))
    return nullptr;
  SendMessageA(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cw, ch));
  if (Window* created = FindWindowRecord(handle)) {
    POINT origin = clientOrigin(*created);
    SendMessageA(handle, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
  }
  if (style & WS_VISIBLE)
    ShowWindow(handle, SW_SHOW);
  return FindWindowRecord(handle) ? handle : nullptr;
}

BOOL WINAPI DestroyWindow(HWND handle) {
  Window* w = FindWindowRecord(handle);
  if (!w || w->destroying) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  w->destroying = true;
  w->visible = false;
  if (desktop().capture == handle)
    ReleaseCapture();
  SendMessageA(handle, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  for (Window* child : AllWindows()) {
    if (child->parent == handle)
      children.push_back(child->handle);
  }
  for (HWND child : children)
    DestroyWindow(child);
  SendMessageA(handle, WM_NCDESTROY, 0, 0);
  FreeDCsOfWindow(handle);
  auto& posted = desktop().posted;
  for (auto it = posted.begin(); it != posted.end();)
    it = it->hwnd == handle ? posted.erase(it) : it + 1;
  desktop().windows.erase(reinterpret_cast<uintptr_t>(handle));
  return TRUE;
}

BOOL WINAPI IsWindow(HWND handle) {
  return FindWindowRecord(handle) != nullptr;
}

BOOL WINAPI ShowWindow(HWND handle, int cmd) {
  Window* w = FindWindowRecord(handle);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  bool wasVisible = w->visible, show = cmd != SW_HIDE;
  if (show == wasVisible)
    return wasVisible;
  SendMessageA(handle, WM_SHOWWINDOW, show, 0);
  if (!(w = FindWindowRecord(handle)))
    return wasVisible;
  w->visible = show;
  if (show) {
    w->style |= WS_VISIBLE;
    Invalidate(*w, nullptr, true);
  } else {
    w->style &= ~WS_VISIBLE;
    w->update = RECT{0, 0, 0, 0};
    w->erase = w->eraseOwed = w->internalPaint = false;
  }
  return wasVisible;
}

LRESULT WINAPI SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = FindWindowRecord(handle);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return w->proc ? w->proc(handle, message, wParam, lParam) : DefWindowProcA(handle, message, wParam, lParam);
}

LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM) {
  Window* w = FindWindowRecord(handle);
  if (!w)
    return 0;
  switch (message) {
  case WM_NCCREATE:
    return TRUE;
  case WM_CLOSE:
    DestroyWindow(handle);
    return 0;
  case WM_ERASEBKGND: {
    HDC dc = reinterpret_cast<HDC>(wParam);
    RECT box;
    if (!FindObjectOf<BrushObject>(w->background, OBJ_BRUSH) || GetClipBox(dc, &box) == ERROR)
      return 0;
    FillRect(dc, &box, w->background);
    return 1;
  }
  case WM_PAINT: {
    PAINTSTRUCT ps;
    BeginPaint(handle, &ps);
    EndPaint(handle, &ps);
    return 0;
  }
  default:
    return 0;
  }
}

BOOL WINAPI PostMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (handle && !FindWindowRecord(handle)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  desktop().posted.push_back(MSG{handle, message, wParam, lParam, GetTickCount(), POINT{0, 0}});
  return TRUE;
}

// Posted messages first, then a pending quit, then WM_PAINT for a window
// with something invalid (made up each time, never queued), as Windows does.
BOOL WINAPI PeekMessageA(LPMSG msg, HWND filter, UINT first, UINT last, UINT remove) {
  if (!msg || !validFilter(filter)) {
    SetLastError(msg ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Desktop& d = desktop();
  for (auto it = d.posted.begin(); it != d.posted.end(); ++it) {
    if (passesFilter(it->hwnd, it->message, filter, first, last)) {
      *msg = *it;
      if (remove & PM_REMOVE)
        d.posted.erase(it);
      return TRUE;
    }
  }
  if (d.quit && (!filter || filter == reinterpret_cast<HWND>(-1)) &&
      passesFilter(nullptr, WM_QUIT, nullptr, first, last)) {
    *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(d.quitCode), 0, GetTickCount(), POINT{0, 0}};
    if (remove & PM_REMOVE)
      d.quit = false;
    return TRUE;
  }
  for (Window* w : AllWindows()) {
    if (w->NeedsPaint() && passesFilter(w->handle, WM_PAINT, filter, first, last)) {
      *msg = MSG{w->handle, WM_PAINT, 0, 0, GetTickCount(), POINT{0, 0}};
      return TRUE;
    }
  }
  return FALSE;
}

// Nothing here ever produces input, so with nothing left to deliver the
// wait would last forever: GetMessageA then ends the loop as WM_QUIT would.
BOOL WINAPI GetMessageA(LPMSG msg, HWND filter, UINT first, UINT last) {
  if (!msg || !validFilter(filter)) {
    SetLastError(msg ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (!PeekMessageA(msg, filter, first, last, PM_REMOVE))
    *msg = MSG{nullptr, WM_QUIT, 0, 0, GetTickCount(), POINT{0, 0}};
  return msg->message != WM_QUIT;
}

BOOL WINAPI TranslateMessage(const MSG*) {
  return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  if (!msg || !msg->hwnd)
    return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void WINAPI PostQuitMessage(int code) {
  desktop().quit = true;
  desktop().quitCode = code;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND handle, int index, LONG_PTR value) {
  Window* w = FindWindowRecord(handle);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LONG_PTR previous;
  switch (index) {
  case GWLP_USERDATA:
    previous = w->userData;
    w->userData = value;
    break;
  case GWLP_WNDPROC:
    if (!value) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    previous = reinterpret_cast<LONG_PTR>(w->proc);
    w->proc = reinterpret_cast<WNDPROC>(value);
    break;
  default:
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  SetLastError(ERROR_SUCCESS);
  return previous;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND handle, int index) {
  Window* w = FindWindowRecord(handle);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
  case GWLP_USERDATA:
    return w->userData;
  case GWLP_WNDPROC:
    return reinterpret_cast<LONG_PTR>(w->proc);
  default:
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
}

BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect) {
  Window* w = FindWindowRecord(handle);
  if (!w || !rect) {
    SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  *rect = w->rect;
  if (const Window* parent = FindWindowRecord(w->parent)) {
    POINT o = clientOrigin(*parent);
    OffsetRect(rect, o.x, o.y);
  }
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT rect) {
  Window* w = FindWindowRecord(handle);
  if (!w || !rect) {
    SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  *rect = w->ClientRect();
  return TRUE;
}

BOOL WINAPI MoveWindow(HWND handle, int x, int y, int width, int height, BOOL repaint) {
  Window* w = FindWindowRecord(handle);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  width = width > 0 ? width : 0;
  height = height > 0 ? height : 0;
  bool moved = w->rect.left != x || w->rect.top != y;
  w->rect = RECT{x, y, x + width, y + height};
  if (moved) {
    int frame, caption;
    frameOf(w->style, &frame, &caption);
    SendMessageA(handle, WM_MOVE, 0, MAKELPARAM(x + frame, y + frame + caption));
  }
  updateClientArea(handle, repaint != FALSE);
  return TRUE;
}

int WINAPI SetScrollPos(HWND handle, int bar, int pos, BOOL) {
  ScrollBar* b = barOf(handle, bar);
  if (!b)
    return 0;
  int previous = b->pos;
  b->pos = pos < b->min ? b->min : pos > b->max ? b->max : pos;
  return previous;
}

int WINAPI GetScrollPos(HWND handle, int bar) {
  ScrollBar* b = barOf(handle, bar);
  return b ? b->pos : 0;
}

// As on Windows, an empty range hides the bar and a range with room in it
// shows the bar.
BOOL WINAPI SetScrollRange(HWND handle, int bar, int minPos, int maxPos, BOOL) {
  ScrollBar* b = barOf(handle, bar);
  if (!b)
    return FALSE;
  if (static_cast<long long>(maxPos) - minPos > INT_MAX) {
    SetLastError(ERROR_INVALID_SCROLLBAR_RANGE);
    return FALSE;
  }
  b->min = minPos;
  b->max = maxPos;
  if (b->pos < minPos)
    b->pos = minPos;
  if (b->pos > maxPos)
    b->pos = maxPos > minPos ? maxPos : minPos;
  if (b->shown != (maxPos > minPos))
    showBars(handle, bar, maxPos > minPos);
  return TRUE;
}

BOOL WINAPI GetScrollRange(HWND handle, int bar, LPINT minPos, LPINT maxPos) {
  ScrollBar* b = barOf(handle, bar);
  if (!b || !minPos || !maxPos)
    return FALSE;
  *minPos = b->min;
  *maxPos = b->max;
  return TRUE;
}

BOOL WINAPI ShowScrollBar(HWND handle, int bar, BOOL show) {
  if (!FindWindowRecord(handle) || (bar != SB_HORZ && bar != SB_VERT && bar != SB_BOTH)) {
    SetLastError(FindWindowRecord(handle) ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return showBars(handle, bar, show != FALSE);
}

HWND WINAPI SetCapture(HWND handle) {
  if (handle && !FindWindowRecord(handle)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  HWND previous = desktop().capture;
  desktop().capture = handle;
  if (previous && previous != handle)
    SendMessageA(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(handle));
  return previous;
}

BOOL WINAPI ReleaseCapture(void) {
  HWND previous = desktop().capture;
  desktop().capture = nullptr;
  if (previous)
    SendMessageA(previous, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND WINAPI GetCapture(void) {
  return desktop().capture;
}
