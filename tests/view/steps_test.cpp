// The bundled pictures in every display mode, driven step by step as a host
// drives them (zoom bands, scrolling, resizing, marking, hovering, switching
// modes): after each step what the window shows and everything the host can
// read back of the view. Each case is pinned by one digest of all its steps;
// a failure prints the case's new digest and the last step's state. Unloaded,
// a case leaves no global block or GDI object behind.
#include "core/core.h"

#include "view_pictures.h"

#include <gtest/gtest.h>
#include <tavwin_test.h>

#include <stdio.h>

#include <sstream>

namespace {

using namespace viewtest;

using ViewSteps = HostedTest;

uint64_t Fnv(uint64_t hash, const void* data, size_t size) {
  for (size_t i = 0; i < size; ++i)
    hash = (hash ^ static_cast<const unsigned char*>(data)[i]) * 0x100000001b3ull;
  return hash;
}

std::string Pair(LONGLONG v) {
  return std::to_string(TAVIMG_PAIR_X(v)) + "," + std::to_string(TAVIMG_PAIR_Y(v));
}

// Everything a host can read of the view after a step.
std::string State(HostWindow& host, ImgStruct* r) {
  char numbers[160];
  const TavDoublePair zoom = TAVIMG_GetZoomFactor(r), fit = TAVIMG_GetBildFactor(r);
  snprintf(numbers, sizeof numbers, "zoom %.5f,%.5f fit %.5f,%.5f modes %ld,%ld armed %lu hover %ld", zoom.x, zoom.y,
           fit.x, fit.y, (long)TAVIMG_GetPictureMode(r), (long)TAVIMG_GetGraphicsMode(r),
           (unsigned long)TAVIMG_InZoomAction(r), (long)r->HoverHotspot);
  std::ostringstream s;
  s << ViewState(r) << " window " << host.Rect(GetWindowRect) << " client " << host.Rect(GetClientRect) << " bars "
    << host.ScrollRange(SB_HORZ).second << "@" << GetScrollPos(host.hwnd(), SB_HORZ) << ","
    << host.ScrollRange(SB_VERT).second << "@" << GetScrollPos(host.hwnd(), SB_VERT) << " centre "
    << Pair(TAVIMG_GetBildMitte(r)) << " start " << Pair(TAVIMG_GetZoomStart(r)) << " offset "
    << Pair(TAVIMG_GetDRFSpotOffset(r)) << " spots " << Pair(TAVIMG_GetHotspotOffset(r)) << " scaled "
    << Pair(TAVIMG_GetScaledClientSize(r)) << " " << numbers << " '" << r->CurrentHotspotName << "' told "
    << Notifications().size() << " captured " << (GetCapture() == host.hwnd()) << " arrow "
    << (GetCursor() == LoadCursorA(nullptr, IDC_ARROW)) << " band " << Sides(r->ZoomRect) << "\n";
  if (!Notifications().empty())
    s << " last told " << std::get<1>(Notifications().back()) << " '" << std::get<2>(Notifications().back()) << "'";
  for (LONG i = 0; i < r->HotspotCount && i < 12; ++i)
    s << " " << Sides(r->Hotspots[i].ScreenRect) << "/" << r->Hotspots[i].HotspotState;
  return s.str();
}

// Steps, separated by spaces: zL,T,R,B drags an armed zoom band; bL,T,R,B
// presses the left button and drags, eX,Y releases it; hC,P and vC,P send a
// scroll code with a position; sW,H resizes the window; mNAME marks a
// hotspot by name, m* all and u unmarks all;
// fMODE,PEN sets the frame style and redraws; oX,Y moves the mouse; dM
// switches the display mode; r sends a right click where the mouse was
// last; cN runs command N of the command entry (c2 resets the view); k sets
// the host's fit switch to 2, l lays the view out again, a arms the zoom;
// pX,Y is the host's offset of a DRF at its own size.
void Step(HostWindow& host, ImgStruct* r, const std::string& step, POINT& mouse) {
  int a = 0, b = 0, c = 0, d = 0;
  const char* args = step.c_str() + 1;
  sscanf(args, "%d,%d,%d,%d", &a, &b, &c, &d);
  switch (step[0]) {
  case 'z':
    TAVIMG_SetZoomMode(r);
    [[fallthrough]];
  case 'b':
    host.Mouse(WM_LBUTTONDOWN, a, b, MK_LBUTTON);
    host.Mouse(WM_MOUSEMOVE, (a + c) / 2, (b + d) / 2, MK_LBUTTON);
    host.Mouse(WM_MOUSEMOVE, c, d, MK_LBUTTON);
    if (step[0] == 'z')
      host.Mouse(WM_LBUTTONUP, c, d);
    break;
  case 'e':
    host.Mouse(WM_LBUTTONUP, a, b);
    break;
  case 'c':
    TAVIMG_MAIN(a, r, host.hwnd(), 0, 0, 0);
    break;
  case 'h':
  case 'v':
    host.Send(step[0] == 'h' ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(a, b));
    break;
  case 's':
    MoveWindow(host.hwnd(), 0, 0, a, b, TRUE);
    break;
  case 'm':
    if (*args == '*')
      TAVIMG_SetAllHotspots(host.hwnd(), 1, r);
    else
      TAVIMG_SetHotspot(host.hwnd(), args, 1, r);
    break;
  case 'u':
    TAVIMG_SetAllHotspots(host.hwnd(), 0, r);
    break;
  case 'f':
    TAVIMG_SetHotspotMode(a, b, 0, 0, r);
    TAVIMG_RedrawPicture(host.hwnd(), r);
    break;
  case 'o':
    mouse = POINT{a, b};
    host.Mouse(WM_MOUSEMOVE, a, b);
    break;
  case 'd':
    TAVIMG_DisplayPicture(host.hwnd(), r, a);
    TAVIMG_UpdateBars(host.hwnd(), r);
    break;
  case 'r': // the host is told of the press only
    host.Mouse(WM_RBUTTONDOWN, mouse.x, mouse.y, MK_RBUTTON);
    host.Mouse(WM_RBUTTONUP, mouse.x, mouse.y);
    break;
  case 'k':
    r->FitMode = 2;
    break;
  case 'l':
    TAVIMG_RecalcLayout(host.hwnd(), r);
    break;
  case 'a':
    TAVIMG_SetZoomMode(r);
    break;
  case 'p':
    r->DRFSpotOffset[0] = a;
    r->DRFSpotOffset[1] = b;
    InvalidateRect(host.hwnd(), nullptr, TRUE);
    break;
  }
}

TEST_F(ViewSteps, EveryModeOfTheSamples) {
  const std::string samples = std::string(TAV_SOURCE_DIR) + "/samples/";
  struct Case {
    const char* tiff;
    const char* drf;
    DWORD mode;
    int width, height;
    const char* steps;
    uint64_t digest;
  } const cases[] = {
      {"drive-unit.tif", "drive-unit.drf", 0, 500, 400, "o507,90 r o100,100 mitem-06 f1,2 m* f0,3 u s300,200",
       0x02bbd6f974b558e3},
      {"drive-unit.tif", "drive-unit.drf", 1, 300, 380, "o60,60 mitem-06 z50,60,150,140 v1,0 h3,0 v5,200 d0",
       0x233f38585a7f699e},
      {"drive-unit.tif", "drive-unit.drf", 2, 260, 200, "o40,40 mitem-02 s400,300 d1 z10,10,90,70", 0x5c0f0425f6bb2aac},
      {"drive-unit.tif", "drive-unit.drf", 3, 300, 250, "z20,20,120,100 o60,60 h1,0 v3,0 s200,300 d4 c2 k c2 l",
       0xf12292e269e06ba0},
      {"drive-unit.tif", "drive-unit.drf", 4, 317, 267,
       "v1,0 v3,0 v5,700 v0,0 v2,0 v4,300 o50,50 mitem-06 z30,30,90,80 s250,300", 0xdac84c12cb5c1436},
      {"drive-unit-hotspots.tif", "", 1, 432, 550,
       "m* o120,200 z100,150,300,300 h5,600 h0,0 h2,0 v5,900 z50,50,150,150", 0x22e41d6fe4ddfb3e},
      {"drive-unit-hotspots.tif", "", 4, 300, 500, "v3,0 h1,0 s400,300 o90,90 m* f1,1 c2 l", 0x61c2c2fd8e37f30b},
      {"", "control-panel.drf", 0, 480, 320, "o100,100 r m* f1,2 u s200,150 o10,10", 0x0f968739fa6f882c},
      {"", "control-panel.drf", 2, 300, 200, "o200,100 z10,10,100,100 d3 o50,50 c2 k d0 c2", 0xde59bace94bd1358},
      {"", "control-panel.drf", 3, 250, 250, "m* s480,320 d0", 0x0f2c107fc9124e81},
      {"", "bearing-cap.drf", 0, 400, 300, "o50,50 m* d2 s200,120 c3 d0", 0x5da0efee7e14f5c5},
      {"drive-unit.tif", "drive-unit.drf", 0, 500, 400, "p60,40 z5,5,30,30 z30,20,300,400 c2 z70,50,400,300 h1,0 v3,0",
       0xbc4d1d06d9a75f39},
      {"", "bearing-cap.drf", 3, 350, 350, "a o0,50 o350,50 o50,0 o50,350 o50,50", 0x027e9ba79c07a66d},
      {"", "bearing-cap.drf", 3, 350, 350, "o150,150 r d0 k c2 l", 0x09164daf500e0b13},
      {"drive-unit.tif", "", 1, 200, 400,
       "z50,100,150,390 d1 a b100,100,600,500 b100,100,-20,-30 e-20,-30 z100,100,100,100 z0,100,200,200 "
       "z100,100,100,200",
       0x32aa428b67e14cb4},
      {"drive-unit.tif", "drive-unit.drf", 0, 500, 400, "p60,40 z450,100,490,200 z100,360,200,390 d0 z100,10,200,40",
       0x437ac3b3e8d72f77},
      {"drive-unit-hotspots.tif", "", 1, 300, 300, "z50,50,150,150 a b50,283,150,290 e150,290 a b50,0,150,90 e150,90",
       0x28c40376e77355d9},
  };
  ZoomCursor(); // loaded once for the whole process
  for (const Case& c : cases) {
    const std::string tiff = *c.tiff ? samples + c.tiff : "", drf = *c.drf ? samples + c.drf : "";
    SCOPED_TRACE(std::string(c.tiff) + " " + c.drf + " mode " + std::to_string(c.mode) + ": " + c.steps);
    Notifications().clear();
    const long blocks = tavwin::LiveGlobalBlocks(), objects = tavwin::LiveGdiObjects();
    ASSERT_TRUE(Show(c.width, c.height, tiff, drf, c.mode, *c.drf ? TAVIMG_FILE_DRF : TAVIMG_FILE_TIFF, false));
    TAVIMG_UpdateBars(host->hwnd(), record);
    host->Pump();
    std::istringstream steps(c.steps);
    std::string step = "shown", state;
    POINT mouse = {0, 0};
    uint64_t digest = 0xcbf29ce484222325ull;
    do {
      if (step != "shown")
        Step(*host, record, step, mouse);
      state = step + ": painted " + std::to_string(host->Pump()) + " " + State(*host, record);
      const Pixels shown = Shown();
      digest = Fnv(Fnv(digest, state.data(), state.size()), shown.colours.data(), shown.colours.size() * 4);
    } while (steps >> step);
    char hex[24];
    snprintf(hex, sizeof hex, "0x%016llx", (unsigned long long)digest);
    EXPECT_EQ(digest, c.digest) << hex << " after " << state;
    Unload();
    host.reset();
    EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocks);
    EXPECT_EQ(tavwin::LiveGdiObjects(), objects);
  }
}

} // namespace
