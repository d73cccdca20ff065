// Pictures in windows as real GDI draws them: every picture in every display
// mode, and on one picture the hover frame with the host callback, the
// rubber-band zoom with the system's pointer and buttons, scrolling, and
// marked hotspots in each frame style (the view's rules themselves are the
// Linux suites').
#include "pictures.h"
#include "winhost.h"

#include <string.h>

using winhost::Context;
using winhost::Format;
using winhost::HostWindow;
using winhost::kPictures;
using winhost::TestPicture;

namespace {

const int kWindowWidth = 240, kWindowHeight = 180;

std::string Pair(LONGLONG value) {
  return Format("%ld,%ld", (long)TAVIMG_PAIR_X(value), (long)TAVIMG_PAIR_Y(value));
}

HotspotDataRecord Spot(ImgStruct* record, LONG number) {
  HotspotDataRecord data;
  memset(&data, 0, sizeof data);
  TAVIMG_GetHotspotData(record, number, &data);
  return data;
}

template <typename Rect> std::string Sides(Rect r) { // a RECT or a packed TavRect
  return Format("%ld,%ld,%ld,%ld", (long)r.left, (long)r.top, (long)r.right, (long)r.bottom);
}

// What the host can read of the view: window geometry, scroll bars, the
// view queries and every hotspot's screen rectangle and state.
std::string ViewState(const HostWindow& window) {
  HWND handle = window.handle;
  ImgStruct* record = window.record;
  std::string s;
  RECT outer = {0, 0, 0, 0}, client = {0, 0, 0, 0};
  GetWindowRect(handle, &outer);
  GetClientRect(handle, &client);
  s += "window " + Sides(outer) + " client " + Format("%ld,%ld\n", (long)client.right, (long)client.bottom);
  for (int bar = SB_HORZ; bar <= SB_VERT; ++bar) {
    int low = 0, high = 0;
    GetScrollRange(handle, bar, &low, &high);
    s += Format("%s bar %d..%d at %d\n", bar == SB_HORZ ? "horizontal" : "vertical", low, high,
                GetScrollPos(handle, bar));
  }
  TavDoublePair zoom = TAVIMG_GetZoomFactor(record), fit = TAVIMG_GetBildFactor(record);
  s += "DRF size " + Pair(TAVIMG_GetDRFSize(record)) + ", TIFF size " + Pair(TAVIMG_GetTIFFSize(record)) + ", scaled " +
       Pair(TAVIMG_GetScaledClientSize(record)) + "\n";
  s += "centre " + Pair(TAVIMG_GetBildMitte(record)) + ", zoom start " + Pair(TAVIMG_GetZoomStart(record)) +
       ", spot offset " + Pair(TAVIMG_GetDRFSpotOffset(record)) + "\n";
  s += Format("picture mode %ld, graphics mode %ld, zoom %.6f,%.6f, fit %.6f,%.6f, in zoom action %lu\n",
              (long)TAVIMG_GetPictureMode(record), (long)TAVIMG_GetGraphicsMode(record), zoom.x, zoom.y, fit.x, fit.y,
              (unsigned long)TAVIMG_InZoomAction(record));
  LONG count = TAVIMG_GetHotspotCount(record);
  s += Format("%ld hotspots\n", (long)count);
  for (LONG i = 0; i < count && i < 16; ++i) {
    HotspotDataRecord data = Spot(record, i);
    s += Format("  %ld %s \"%s\" screen ", (long)i, data.Name, data.Text) + Sides(data.ScreenRect) + " picture " +
         Sides(data.PictureRect) + Format(" state %ld kind %ld\n", (long)data.State, (long)data.Kind);
  }
  return s;
}

void Observe(Context& context, const HostWindow& window, const std::string& step) {
  context.ExpectImage(step, window.Capture());
  context.ExpectText(step, ViewState(window));
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
  char out1[64] = {0}, out2[64] = {0};
  const char* name = TAVIMG_GetHotspot(record, out1, out2);
  context.ExpectText("first-name", Format("%s / %s", name ? name : "(null)", out2));
  window.Mouse(WM_MOUSEMOVE, second.x, second.y);
  window.Pump();
  Observe(context, window, "over-second");
  window.Mouse(WM_RBUTTONDOWN, second.x, second.y, MK_RBUTTON);
  const std::string secondName = Spot(record, 1).Name;
  bool told = false;
  for (const winhost::Notification& n : winhost::Notifications())
    told |= n.message == WM_RBUTTONDOWN && n.name == secondName;
  context.Check(told, "the host callback did not get WM_RBUTTONDOWN with \"%s\"", secondName.c_str());
  window.Mouse(WM_MOUSEMOVE, 2, kWindowHeight - 3);
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
      window.Scroll(s.bar, s.code, s.position);
    window.Pump();
    Observe(context, window, s.step);
  }
}

// ---- marked hotspots and their frames ----

void Marking(Context& context, HostWindow& window) {
  ImgStruct* record = window.record;
  HWND handle = window.handle;
  context.Check(TAVIMG_SetHotspotNr(handle, 0, 1, record) != 0, "TAVIMG_SetHotspotNr(0) failed");
  window.Pump();
  Observe(context, window, "first-marked");
  const std::string thirdName = Spot(record, 2).Name;
  context.Check(TAVIMG_SetHotspot(handle, thirdName.c_str(), 1, record) != 0, "TAVIMG_SetHotspot(%s) failed",
                thirdName.c_str());
  window.Pump();
  Observe(context, window, "by-name");
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
                                  HostWindow window(kWindowWidth, kWindowHeight);
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
