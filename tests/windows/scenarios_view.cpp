// Pictures in windows as real GDI draws them: every picture in every display
// mode, and on one picture the hover frame with the host callback, the
// rubber-band zoom with the system's pointer and buttons, scrolling, and
// marked hotspots in each frame style (the view's rules themselves are the
// Linux suites').
#include "winhost.h"

#include <host_window.h>

#include <string.h>

#include <algorithm>

using winhost::Context;
using winhost::Format;
using winhost::HostWindow;
using winhost::kPictures;
using winhost::TestPicture;

namespace {

HotspotDataRecord Spot(ImgStruct* record, LONG number) {
  HotspotDataRecord data;
  memset(&data, 0, sizeof data);
  TAVIMG_GetHotspotData(record, number, &data);
  return data;
}

// What the system keeps of the view: the client area and the scroll bars.
// (The view's own numbers are the library's, proven by the Linux suites.)
void Observe(Context& context, const HostWindow& window, const std::string& step) {
  RECT client = {0, 0, 0, 0};
  GetClientRect(window.handle, &client);
  std::string state = Format("client %ld,%ld\n", (long)client.right, (long)client.bottom);
  for (int bar = SB_HORZ; bar <= SB_VERT; ++bar) {
    int low = 0, high = 0;
    GetScrollRange(window.handle, bar, &low, &high);
    state += Format("bar %d: %d..%d at %d\n", bar, low, high, GetScrollPos(window.handle, bar));
  }
  context.ExpectImage(step, window.handle);
  context.ExpectText(step, state);
}

// Centre of hotspot number on the screen, as the library placed it.
POINT SpotCentre(ImgStruct* record, LONG number) {
  HotspotDataRecord data = Spot(record, number);
  POINT p = {(data.ScreenRect.left + data.ScreenRect.right) / 2, (data.ScreenRect.top + data.ScreenRect.bottom) / 2};
  return p;
}

// Each scenario runs in a fresh host window that shows the picture in the
// display mode; window.record is the opened record.

// ---- the hotspot under the mouse and the host callback ----

void Hover(Context& context, HostWindow& window) {
  ImgStruct* record = window.record;
  POINT first = SpotCentre(record, 0), second = SpotCentre(record, 1);
  window.Mouse(WM_MOUSEMOVE, first.x, first.y);
  window.Pump();
  Observe(context, window, "over-first");
  window.Mouse(WM_MOUSEMOVE, second.x, second.y);
  window.Pump();
  Observe(context, window, "over-second");
  window.Mouse(WM_RBUTTONDOWN, second.x, second.y, MK_RBUTTON);
  const viewtest::Notification told(0, WM_RBUTTONDOWN, Spot(record, 1).Name);
  const auto& calls = viewtest::Notifications();
  context.Check(std::count(calls.begin(), calls.end(), told) != 0,
                "the host callback did not get 0, WM_RBUTTONDOWN and \"%s\"", std::get<2>(told).c_str());
  window.Mouse(WM_MOUSEMOVE, 2, winhost::kWindowHeight - 3);
  window.Pump();
  Observe(context, window, "away");
}

// ---- rubber-band zoom, then scrolling the zoomed picture ----

void Zoom(Context& context, HostWindow& window) {
  TAVIMG_SetZoomMode(window.record);
  context.Check(TAVIMG_InZoomAction(window.record) != 0, "TAVIMG_SetZoomMode did not arm the zoom");
  window.Mouse(WM_MOUSEMOVE, 40, 30);
  window.Mouse(WM_LBUTTONDOWN, 40, 30, MK_LBUTTON);
  const struct {
    UINT message;
    int x, y;
    const char* step;
  } drag[] = {
      {WM_MOUSEMOVE, 100, 80, "band"}, {WM_MOUSEMOVE, 130, 100, "band-moved"}, {WM_LBUTTONUP, 130, 100, "zoomed"}};
  for (const auto& d : drag) {
    window.Mouse(d.message, d.x, d.y, d.message == WM_MOUSEMOVE ? MK_LBUTTON : 0);
    window.Pump();
    Observe(context, window, d.step);
  }
  const struct {
    int bar, code, position, times;
    const char* step;
  } scrolls[] = {{SB_HORZ, SB_LINERIGHT, 0, 1, "line-right"},
                 {SB_VERT, SB_PAGEDOWN, 0, 1, "page-down"},
                 {SB_HORZ, SB_THUMBPOSITION, 150, 1, "thumb"},
                 {SB_VERT, SB_LINEUP, 0, 2, "line-up"}};
  for (const auto& s : scrolls) {
    for (int i = 0; i < s.times; ++i)
      SendMessageA(window.handle, s.bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(s.code, s.position), 0);
    window.Pump();
    Observe(context, window, s.step);
  }
}

// ---- marked hotspots and their frames ----

void Marking(Context& context, HostWindow& window) {
  ImgStruct* record = window.record;
  HWND handle = window.handle;
  const struct {
    DWORD mode;
    LONG pen;
    const char* step;
  } styles[] = {
      {TAVIMG_HOLLOW_FRAMES, 1, "hollow-pen1"}, {TAVIMG_HOLLOW_FRAMES, 2, "hollow-pen2"}, {0, 2, "filled-pen2"}};
  for (const auto& style : styles) {
    TAVIMG_SetHotspotMode(style.mode, style.pen, 0, 0, record);
    TAVIMG_SetAllHotspots(handle, 1, record);
    TAVIMG_RedrawPicture(handle, record);
    window.Pump();
    Observe(context, window, style.step);
  }
  TAVIMG_SetAllHotspots(handle, 0, record);
  window.Pump();
  Observe(context, window, "none-marked");
}

void Display(Context& context, HostWindow& window) {
  Observe(context, window, "shown");
}

// Every picture in every display mode; the interactions on the first sample
// ("zoom": with the system's pointer and buttons under Windows).
struct ViewScenarios {
  ViewScenarios() {
    typedef void (*Run)(Context&, HostWindow&);
    auto add = [](const char* what, Run run, const TestPicture& picture, DWORD mode) {
      const bool pointer = strcmp(what, "zoom") == 0;
      winhost::RegisterScenario(Format("%s/%s/mode%lu", what, picture.id, (unsigned long)mode),
                                [run, &picture, mode, pointer](Context& context) {
                                  HostWindow window;
                                  window.pointer = pointer;
                                  if (Show(context, window, picture, mode) != nullptr)
                                    run(context, window);
                                });
    };
    add("hover", Hover, kPictures[0], 1);
    add("zoom", Zoom, kPictures[0], 1);
    add("marking", Marking, kPictures[0], 1);
    for (const TestPicture& picture : kPictures)
      for (DWORD mode = 0; mode <= 4; ++mode)
        add("display", Display, picture, mode);
  }
} g_viewScenarios;

} // namespace
