// The host's side of a shown picture: hover frames and the callback, resizing
// before the first paint, switching display modes, the commands of
// TAVIMG_MAIN, and unloading without leaving anything behind.
#include "core/core.h"

#include "view_pictures.h"

#include <gtest/gtest.h>
#include <tavwin_test.h>

#include <string.h>

namespace {

using namespace viewtest;

using ViewInteraction = HostedTest;

// A kind-6 DRF of 120 x 80 with two overlapping hotspots and one around the
// window's corner.
std::string HotspotDrf() {
  static const std::string path = PictureDrf(
      drfenc::kKindColour, 120, 80, 23,
      {{"alpha", "first", 0, 10, 10, 60, 60}, {"beta", "second", 0, 40, 40, 100, 78}, {"corner", "", 0, -5, -5, 5, 5}});
  return path;
}

TEST_F(ViewInteraction, HoverFramesTheHotspotWhoseCentreIsNearest) {
  ASSERT_TRUE(Show(121, 81, "", HotspotDrf(), 0, TAVIMG_FILE_DRF));
  const Pixels before = Shown();
  // (50, 50) lies in alpha and beta; the centre of alpha (35, 35) is nearer
  // than that of beta (70, 59) until the mouse is at (58, 50). An inactive
  // hotspot is neither framed nor named.
  struct Hover {
    int x, y, deactivate;
    LONG hover;
    const char* name;
    std::vector<RECT> frame;
  } const hovers[] = {
      {50, 50, -1, 0, "alpha", {{10, 10, 60, 60}}},
      {58, 50, -1, 1, "beta", {{40, 40, 100, 78}}},
      {30, 70, -1, TAVIMG_NO_HOTSPOT, "", {}},
      {20, 20, 0, 0, "", {}},
  };
  for (const Hover& h : hovers) {
    if (h.deactivate >= 0)
      TAVIMG_ActivateHotspotNr(h.deactivate, 0, record);
    host->Mouse(WM_MOUSEMOVE, h.x, h.y);
    EXPECT_EQ(+record->HoverHotspot, h.hover) << h.x << "," << h.y;
    EXPECT_STREQ(record->CurrentHotspotName, h.name);
    EXPECT_TRUE(InvertedWhere(before, Shown(), Inverts(h.frame))) << h.x << "," << h.y;
    if (h.deactivate < 0) {
      EXPECT_EQ(+record->CurrentHotspot, h.hover);
    }
  }
  EXPECT_EQ(+record->Hotspots[0].HotspotState, 0);
  EXPECT_EQ(+record->Hotspots[1].HotspotState, TAVIMG_ACTIVE_BIT);
}

TEST_F(ViewInteraction, UnhandledMessagesReachTheHostWithTheHoveredName) {
  ASSERT_TRUE(Show(121, 81, "", HotspotDrf(), 0, TAVIMG_FILE_DRF));
  host->Mouse(WM_MOUSEMOVE, 50, 50);
  EXPECT_EQ(+record->Hotspots[0].HotspotState, TAVIMG_ACTIVE_BIT | TAVIMG_HOVER_BIT | TAVIMG_DRAWN_BIT);
  Notifications().clear();
  EXPECT_EQ(TAVIMG_OnMessage(host->hwnd(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(50, 50), record), 0u);
  host->Mouse(WM_RBUTTONDOWN, 50, 50);
  EXPECT_EQ(TAVIMG_OnMessage(host->hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(50, 50), record), 1u);
  EXPECT_EQ(Notifications(), (std::vector<Notification>{{0, WM_LBUTTONDBLCLK, "alpha"}, {0, WM_RBUTTONDOWN, "alpha"}}));

  // While a zoom is armed nothing reaches the host and the hover frame does
  // not follow the mouse.
  TAVIMG_SetZoomMode(record);
  Notifications().clear();
  host->Mouse(WM_LBUTTONDBLCLK, 50, 50);
  host->Mouse(WM_RBUTTONDOWN, 50, 50);
  host->Mouse(WM_MOUSEMOVE, 58, 50);
  EXPECT_TRUE(Notifications().empty());
  EXPECT_EQ(+record->HoverHotspot, 0);

  // A click disarms; the host hears from the library again.
  host->Mouse(WM_LBUTTONDOWN, 58, 50, MK_LBUTTON);
  host->Mouse(WM_LBUTTONUP, 58, 50);
  host->Mouse(WM_RBUTTONDOWN, 58, 50);
  EXPECT_EQ(TAVIMG_OnMessage(host->hwnd(), WM_LBUTTONDBLCLK, 0, 0, nullptr), 0u);
  EXPECT_EQ(Notifications(), (std::vector<Notification>{{0, WM_RBUTTONDOWN, "alpha"}}));
}

TEST_F(ViewInteraction, ResizeBeforeTheFirstPaintRemeasuresTheArea) {
  // Opened and laid out, not painted yet: fit to width, 398 x 298 picture
  // pixels in an area of 200 x 150.
  host = std::make_unique<HostWindow>(0, 0, 217, 167);
  record = TAVIMG_OpenImage(host->hwnd(), 0, RecordNotification, PictureTiff(StripeBlack, 400, 1200).c_str(), "", 4,
                            TAVIMG_FILE_TIFF, 0);
  ASSERT_NE(record, nullptr);
  host->Attach(record);
  ASSERT_EQ(TAVIMG_RecalcLayout(host->hwnd(), record), 1);
  EXPECT_EQ(+record->Painted, 0);
  EXPECT_EQ(+record->ScrollPage.y, 298);

  // Taller before the first paint: the area is measured again, and again
  // as the scroll bars that the new ranges bring take their room; the
  // section grows with the area at the same scale.
  MoveWindow(host->hwnd(), 0, 0, 217, 267, TRUE);
  EXPECT_EQ(host->Rect(GetClientRect), "0,0,200,250");
  EXPECT_DOUBLE_EQ(+record->PrevClientSize.y, 267.0); // before the horizontal bar came
  EXPECT_EQ(+record->ScrollRange.x, 2);
  // Page rows: trunc(250 / 267 * trunc(267 / 150 * 298)).
  const std::string resized = "zoomed 1, mode 1, area 200,250, page 398,496 at 0,0";
  EXPECT_EQ(ViewState(record), resized);
  EXPECT_EQ(host->ScrollRange(SB_VERT), std::make_pair(0, 1200 - 496));
  EXPECT_EQ(+record->Painted, 1);
  host->Pump();
  EXPECT_TRUE(ShowsStripes(Shown(), 0, 496, 250));

  // After the paint a resize leaves the area as it is.
  MoveWindow(host->hwnd(), 0, 0, 217, 317, TRUE);
  EXPECT_EQ(ViewState(record), resized);
}

// A kind-5 DRF over its TIFF: the TIFF part fitted (240 x 160 into 121 x 81
// is 121 x 80.67, drawn at the top left), then back to the DRF at its own
// size, the hovered hotspot kept.
TEST_F(ViewInteraction, DisplayPictureSwitchesModesKeepingTheHoveredHotspot) {
  const std::string drf = PictureDrf(drfenc::kKindFourColourTiff, 120, 80, 29, {{"alpha", "", 0, 10, 10, 60, 60}});
  ASSERT_TRUE(Show(121, 81, PictureTiff(BlockBlack, 240, 160), drf, 0, TAVIMG_FILE_DRF, false));
  for (DWORD mode : {1u, 0u}) {
    host->Mouse(WM_MOUSEMOVE, 30, 30);
    EXPECT_EQ(TAVIMG_DisplayPicture(host->hwnd(), record, mode), 1u);
    EXPECT_EQ(+record->HoverHotspot, 0);
    EXPECT_EQ(TAVIMG_GetPictureMode(record), mode == 1 ? 2 : 0);
    EXPECT_EQ(TAVIMG_GetGraphicsMode(record), mode == 1 ? 1 : 2);
    EXPECT_EQ(host->Pump(), 1);
  }
  EXPECT_DOUBLE_EQ(+record->FitSize.x, 121.0);
  EXPECT_EQ(TAVIMG_GetBildMitte(record), 0);
}

// What a viewer has to add on its side (docs/decisions.md, TavoView): a
// kind-5 DRF of 120 x 80 over its 240 x 160 TIFF, opened fitted.
TEST_F(ViewInteraction, SwitchingModesLeavesSizingAndRasterToTheHost) {
  const std::string drf = PictureDrf(drfenc::kKindFourColourTiff, 120, 80, 37);
  const std::string tiff = PictureTiff(BlockBlack, 240, 160);
  // The zoom factors count against the window's width: fitted by height, the
  // picture keeps its 1.25 window pixels per picture pixel while BildFactor
  // halves in a window twice as wide.
  for (int width : {600, 300}) {
    ASSERT_TRUE(Show(width, 200, tiff, drf, 1, TAVIMG_FILE_DRF));
    EXPECT_DOUBLE_EQ(TAVIMG_GetBildFactor(record).x, 300.0 / width);
    EXPECT_DOUBLE_EQ(record->FitSize.x / 240, 1.25);
  }
  // Opened fitted, the DRF's raster was not read: at its own size it shows
  // only the background, in a window that keeps its size.
  auto blank = [&] { return PixelsAre(Shown(), 0, 0, 300, 200, [](int, int) { return Grey(255); }); };
  EXPECT_EQ(TAVIMG_DisplayPicture(host->hwnd(), record, 0), 1u);
  host->Pump();
  EXPECT_EQ(+record->DRFStripeHandles[0], nullptr);
  EXPECT_TRUE(blank());
  EXPECT_EQ(host->Rect(GetWindowRect), "0,0,300,200");
  // Reloaded, it is drawn; the view reset sizes and centres the window.
  EXPECT_EQ(TAVIMG_MAIN(3, record, host->hwnd(), 0, 0, 0), 1);
  TAVIMG_DisplayPicture(host->hwnd(), record, 0);
  host->Pump();
  EXPECT_FALSE(blank());
  TAVIMG_MAIN(2, record, host->hwnd(), 0, 0, 0);
  EXPECT_EQ(host->Rect(GetWindowRect), "90,60,211,141");
}

TEST_F(ViewInteraction, CommandsOfTheCommandEntry) {
  ASSERT_TRUE(Show(300, 200, "", HotspotDrf(), 0, TAVIMG_FILE_DRF, false));
  HWND window = host->hwnd();

  // 0: the message handling.
  EXPECT_EQ(TAVIMG_MAIN(0, record, window, WM_LBUTTONDBLCLK, 0, 0), 0);
  EXPECT_EQ(Notifications().size(), 1u);

  // The commands that do nothing change nothing.
  auto copy = std::make_unique<ImgStruct>();
  memcpy(copy.get(), record, sizeof(ImgStruct));
  for (DWORD command : {4u, 6u, 8u, 9u, 10u, 11u, 12u, 13u, 15u, 1000u}) {
    EXPECT_EQ(TAVIMG_MAIN(command, record, window, WM_PAINT, 0, 0), 0) << command;
    EXPECT_EQ(memcmp(copy.get(), record, sizeof(ImgStruct)), 0) << command;
  }

  // 5: paint now, unless a paint is under way.
  record->Painted = 0;
  EXPECT_EQ(TAVIMG_MAIN(5, record, window, 0, 0, 0), 1);
  EXPECT_EQ(+record->Painted, 1);
  record->Painted = 0;
  record->InPaint = 1;
  EXPECT_EQ(TAVIMG_MAIN(5, record, window, 0, 0, 0), 1);
  EXPECT_EQ(TAVIMG_RedrawPicture(window, record), 1u);
  EXPECT_EQ(TAVIMG_OnDraw(window, record, nullptr), 1u);
  EXPECT_EQ(+record->Painted, 0);
  record->InPaint = 0;

  // 7: the hover state for the window's corner.
  EXPECT_EQ(TAVIMG_MAIN(7, record, window, 0, 0, 0), 1);
  EXPECT_EQ(+record->HoverHotspot, 2);
  EXPECT_STREQ(record->CurrentHotspotName, "corner");

  // 14: scroll ranges only while zoomed.
  SetScrollRange(window, SB_VERT, 0, 5, FALSE);
  EXPECT_EQ(TAVIMG_MAIN(14, record, window, 0, 0, 0), 1);
  EXPECT_EQ(host->ScrollRange(SB_VERT), std::make_pair(0, 5));

  // 3: reloading from DrfPath frees the stripes it replaces, and centres the
  // picture in the window as measured.
  const long blocks = tavwin::LiveGlobalBlocks();
  EXPECT_EQ(TAVIMG_MAIN(3, record, window, 0, 0, 0), 1);
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocks);
  EXPECT_EQ(TAVIMG_GetGraphicsMode(record), 2);
  EXPECT_EQ(XY(record->ClientSize), "120,80");
  EXPECT_EQ(XY(record->CentringOffset), "90,60");

  // 2: the view reset places the window there, sized to the picture.
  EXPECT_EQ(TAVIMG_MAIN(2, record, window, 0, 0, 0), 0);
  EXPECT_EQ(host->Rect(GetWindowRect), "90,60,211,141");
  EXPECT_EQ(+record->HoverHotspot, TAVIMG_NO_HOTSPOT);

  // 1: the record's defaults.
  EXPECT_EQ(TAVIMG_MAIN(1, record, window, 0, 0, 0), 0);
  EXPECT_EQ(+record->HotspotCount, 0);
  EXPECT_EQ(+record->ClientSize.x, 100);
  EXPECT_EQ(TAVIMG_MAIN(7, record, window, 0, 0, 0), 0); // no hotspots now

  lstrcpyA(record->DrfPath, drftest::TempPath("view_missing.drf").c_str());
  EXPECT_EQ(TAVIMG_MAIN(3, record, window, 0, 0, 0), 0);
  EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_DRF_OPEN);

  for (DWORD command = 0; command <= 15; ++command)
    EXPECT_EQ(TAVIMG_MAIN(command, nullptr, window, WM_PAINT, 0, 0), 0) << command;
}

TEST_F(ViewInteraction, UnloadingLeavesNothingBehind) {
  const std::string drf = PictureDrf(drfenc::kKindFourColourTiff, 120, 80, 31,
                                     {{"alpha", "", 0, 10, 10, 60, 60}, {"beta", "", 0, 40, 40, 100, 78}});
  const std::string tiff = PictureTiff(BlockBlack, 480, 320);
  ZoomCursor(); // loaded once for the whole process
  const long blocks = tavwin::LiveGlobalBlocks();
  const long objects = tavwin::LiveGdiObjects();
  ASSERT_TRUE(Show(200, 150, tiff, drf, 0, TAVIMG_FILE_DRF));
  host->Mouse(WM_MOUSEMOVE, 30, 30);
  TAVIMG_SetHotspotNr(host->hwnd(), 1, 1, record);
  TAVIMG_SetBkColor(record, RGB(200, 220, 240), 0);
  EXPECT_EQ(TAVIMG_MAIN(3, record, host->hwnd(), 0, 0, 0), 1);
  TAVIMG_DisplayPicture(host->hwnd(), record, 1);
  host->Pump();
  TAVIMG_SetZoomMode(record);
  host->Mouse(WM_LBUTTONDOWN, 40, 40, MK_LBUTTON);
  host->Mouse(WM_MOUSEMOVE, 100, 90, MK_LBUTTON);
  host->Mouse(WM_LBUTTONUP, 100, 90);
  EXPECT_EQ(+record->Zoomed, 1);
  host->Pump();
  host->Send(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0));
  host->Pump();
  host->Mouse(WM_MOUSEMOVE, 50, 50);
  TAVIMG_CopyToClipboard(record);
  Unload();
  host.reset();
  // What the copy placed on the clipboard belongs to the clipboard.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocks);
  EXPECT_EQ(tavwin::LiveGdiObjects(), objects);
}

} // namespace
