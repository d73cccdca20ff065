// Pictures in windows: every display mode, the hover frame and the host
// callback, the rubber-band zoom, scrolling, resizing and marked hotspots.
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
  return Format("%ld,%ld", (long)(LONG)(value & 0xFFFFFFFF), (long)(LONG)(value >> 32));
}

// What the host can read of the view: window geometry, scroll bars, the
// view queries and every hotspot's screen rectangle and state.
std::string ViewState(const HostWindow& window) {
  HWND handle = window.Handle();
  ImgStruct* record = window.Record();
  std::string s;
  RECT outer = {0, 0, 0, 0}, client = {0, 0, 0, 0};
  GetWindowRect(handle, &outer);
  GetClientRect(handle, &client);
  s += Format("window %ld,%ld,%ld,%ld client %ld,%ld\n", (long)outer.left, (long)outer.top, (long)outer.right,
              (long)outer.bottom, (long)client.right, (long)client.bottom);
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
    HotspotDataRecord data;
    memset(&data, 0, sizeof data);
    TAVIMG_GetHotspotData(record, i, &data);
    s +=
        Format("  %ld %s \"%s\" screen %ld,%ld,%ld,%ld picture %ld,%ld,%ld,%ld state %ld kind %ld\n", (long)i,
               data.Name, data.Text, (long)data.ScreenRect.left, (long)data.ScreenRect.top, (long)data.ScreenRect.right,
               (long)data.ScreenRect.bottom, (long)data.PictureRect.left, (long)data.PictureRect.top,
               (long)data.PictureRect.right, (long)data.PictureRect.bottom, (long)data.State, (long)data.Kind);
  }
  return s;
}

// The host's way to show a picture: TAVIMG_LoadPicture, which opens and
// draws; later messages reach the library through the window procedure.
ImgStruct* Load(Context& context, HostWindow& window, const TestPicture& picture, DWORD mode) {
  ImgStruct* record =
      TAVIMG_LoadPicture(window.Handle(), 0, winhost::NotifyHost, picture.tiff, picture.drf, mode, picture.fileType, 0);
  if (!context.Check(record != nullptr, "%s does not load in display mode %lu (error %ld)", picture.id,
                     (unsigned long)mode, (long)TAVIMG_GetLastError(nullptr)))
    return nullptr;
  window.SetRecord(record);
  window.Pump();
  return record;
}

void Observe(Context& context, const HostWindow& window, const std::string& step) {
  context.ExpectImage(step, window.Capture());
  context.ExpectText(step, ViewState(window));
}

const TestPicture& PictureById(const char* id) {
  for (const TestPicture& picture : kPictures)
    if (strcmp(picture.id, id) == 0)
      return picture;
  return kPictures[0];
}

HotspotDataRecord Spot(ImgStruct* record, LONG number) {
  HotspotDataRecord data;
  memset(&data, 0, sizeof data);
  TAVIMG_GetHotspotData(record, number, &data);
  return data;
}

// Centre of hotspot number on the screen, as the library placed it.
POINT SpotCentre(ImgStruct* record, LONG number) {
  HotspotDataRecord data = Spot(record, number);
  POINT p = {(data.ScreenRect.left + data.ScreenRect.right) / 2, (data.ScreenRect.top + data.ScreenRect.bottom) / 2};
  return p;
}

// ---- every picture in every display mode ----

struct DisplayScenarios {
  DisplayScenarios() {
    for (const TestPicture& picture : kPictures) {
      for (DWORD mode = 0; mode <= 4; ++mode) {
        winhost::RegisterScenario(Format("display/%s/mode%lu", picture.id, (unsigned long)mode),
                                  [&picture, mode](Context& context) {
                                    HostWindow window(kWindowWidth, kWindowHeight);
                                    if (Load(context, window, picture, mode) != nullptr)
                                      Observe(context, window, "shown");
                                  });
      }
    }
  }
} g_displayScenarios;

// ---- the hotspot under the mouse and the host callback ----

struct HoverScenarios {
  HoverScenarios() {
    const struct {
      const char* id;
      DWORD mode;
    } cases[] = {{"drive-unit", 1}, {"drive-unit-hotspots", 4}, {"grey", 0},
                 {"colour", 2},     {"fourcolour", 1},          {"spots", 1}};
    for (const auto& c : cases) {
      const TestPicture& picture = PictureById(c.id);
      const DWORD mode = c.mode;
      winhost::RegisterScenario(
          Format("hover/%s/mode%lu", picture.id, (unsigned long)mode), [&picture, mode](Context& context) {
            HostWindow window(kWindowWidth, kWindowHeight);
            ImgStruct* record = Load(context, window, picture, mode);
            if (record == nullptr)
              return;
            POINT first = SpotCentre(record, 0), second = SpotCentre(record, 1);
            window.MouseMove(first.x, first.y);
            window.Pump();
            Observe(context, window, "over-first");
            char out1[64] = {0}, out2[64] = {0};
            const char* name = TAVIMG_GetHotspot(record, out1, out2);
            context.ExpectText("first-name", Format("%s / %s", name ? name : "(null)", out2));
            window.MouseMove(second.x, second.y);
            window.Pump();
            Observe(context, window, "over-second");
            window.RightDown(second.x, second.y);
            const std::string secondName = Spot(record, 1).Name;
            bool told = false;
            for (const winhost::Notification& n : winhost::Notifications())
              told |= n.message == WM_RBUTTONDOWN && n.name == secondName;
            context.Check(told, "the host callback did not get WM_RBUTTONDOWN with \"%s\"", secondName.c_str());
            window.MouseMove(2, kWindowHeight - 3);
            window.Pump();
            Observe(context, window, "away");
          });
    }
  }
} g_hoverScenarios;

// ---- rubber-band zoom, then scrolling the zoomed picture ----

void ZoomAndScrollWith(Context& context, const char* id, DWORD mode, bool pointer) {
  HostWindow window(kWindowWidth, kWindowHeight);
  window.UsePointer(pointer);
  ImgStruct* record = Load(context, window, PictureById(id), mode);
  if (record == nullptr)
    return;
  TAVIMG_SetZoomMode(record);
  context.Check(TAVIMG_InZoomAction(record) != 0, "TAVIMG_SetZoomMode did not arm the zoom");
  window.MouseMove(40, 30);
  window.LeftDown(40, 30);
  window.MouseMove(100, 80, MK_LBUTTON);
  window.Pump();
  Observe(context, window, "band");
  window.MouseMove(130, 100, MK_LBUTTON);
  window.Pump();
  Observe(context, window, "band-moved");
  window.LeftUp(130, 100);
  window.Pump();
  Observe(context, window, "zoomed");

  window.Scroll(SB_HORZ, SB_LINERIGHT);
  window.Pump();
  Observe(context, window, "line-right");
  window.Scroll(SB_VERT, SB_PAGEDOWN);
  window.Pump();
  Observe(context, window, "page-down");
  window.Scroll(SB_HORZ, SB_THUMBPOSITION, 150);
  window.Pump();
  Observe(context, window, "thumb");
  window.Scroll(SB_VERT, SB_LINEUP);
  window.Scroll(SB_VERT, SB_LINEUP);
  window.Pump();
  Observe(context, window, "line-up");
}

void ZoomAndScroll(Context& context, const char* id, DWORD mode) {
  ZoomAndScrollWith(context, id, mode, false);
}
// The same with the system's pointer and buttons under Windows.
void ZoomWithPointer(Context& context, const char* id, DWORD mode) {
  ZoomAndScrollWith(context, id, mode, true);
}

// ---- resizing ----

void Resize(Context& context, const char* id, DWORD mode) {
  HostWindow window(kWindowWidth, kWindowHeight);
  if (Load(context, window, PictureById(id), mode) == nullptr)
    return;
  MoveWindow(window.Handle(), 0, 0, 300, 140, TRUE);
  window.Pump();
  Observe(context, window, "wide");
  MoveWindow(window.Handle(), 0, 0, 150, 200, TRUE);
  window.Pump();
  Observe(context, window, "tall");
}

// ---- marked hotspots and their frames ----

void Marking(Context& context, const char* id, DWORD mode) {
  HostWindow window(kWindowWidth, kWindowHeight);
  ImgStruct* record = Load(context, window, PictureById(id), mode);
  if (record == nullptr)
    return;
  HWND handle = window.Handle();
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
  } styles[] = {{TAVIMG_HOLLOW_FRAMES, 1, "hollow-pen1"},
                {TAVIMG_HOLLOW_FRAMES, 2, "hollow-pen2"},
                {TAVIMG_HOLLOW_FRAMES, 3, "hollow-pen3"},
                {0, 2, "filled-pen2"}};
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

// ---- which pictures go through which of these ----

struct InteractionScenarios {
  InteractionScenarios() {
    typedef void (*Run)(Context&, const char*, DWORD);
    const struct {
      const char* what;
      Run run;
      const char* id;
      DWORD mode;
    } cases[] = {
        {"pointer", ZoomWithPointer, "drive-unit", 1},
        {"zoom", ZoomAndScroll, "drive-unit", 1},
        {"zoom", ZoomAndScroll, "drive-unit-hotspots", 4},
        {"zoom", ZoomAndScroll, "page", 1},
        {"zoom", ZoomAndScroll, "page", 4},
        {"zoom", ZoomAndScroll, "fourcolour", 1},
        {"zoom", ZoomAndScroll, "spots", 1},
        {"resize", Resize, "drive-unit-hotspots", 1},
        {"resize", Resize, "page", 1},
        {"resize", Resize, "page", 4},
        {"resize", Resize, "grey", 3},
        {"marking", Marking, "drive-unit", 1},
        {"marking", Marking, "colour", 0},
        {"marking", Marking, "spots", 1},
        {"marking", Marking, "fourcolour", 4},
    };
    for (const auto& c : cases) {
      const Run run = c.run;
      const char* id = c.id;
      const DWORD mode = c.mode;
      winhost::RegisterScenario(Format("%s/%s/mode%lu", c.what, id, (unsigned long)mode),
                                [run, id, mode](Context& context) { run(context, id, mode); });
    }
  }
} g_interactionScenarios;

} // namespace
