// The host's side of a shown picture: hover frames and the callback, resizing
// before the first paint, switching display modes, the commands of
// TAVIMG_MAIN, and unloading without leaving anything behind.
#include "frame/frame.h"

#include "drf_files.h"
#include "view_host.h"
#include "view_pictures.h"

#include <gtest/gtest.h>
#include <tavwin_test.h>

#include <string.h>

#include <memory>

namespace {

using viewtest::HostWindow;
using viewtest::Notifications;
using viewtest::Pixels;
using viewtest::ReadClient;

// A kind-6 DRF of 120 x 80 with two overlapping hotspots and one around the
// window's corner.
std::string HotspotDrf() {
  static const std::string path = [] {
    drfenc::DrfPicture picture = drftest::RandomPicture(drfenc::kKindColour, 120, 80, 23);
    picture.hotspots = {
        {"alpha", "first", 0, 10, 10, 60, 60}, {"beta", "second", 0, 40, 40, 100, 78}, {"corner", "", 0, -5, -5, 5, 5}};
    return drftest::WritePicture("view_hover.drf", picture);
  }();
  return path;
}

std::string TallTiff() {
  static const std::string path =
      viewtest::WriteTiff("view_interaction_tall.tif", 400, 1200, viewtest::StripePicture(400, 1200));
  return path;
}

class ViewInteraction : public viewtest::HostedTest {
protected:
  void SetUp() override {
    TAVIMG_ShowErrorMessages(0);
    Notifications().clear();
  }
};

TEST_F(ViewInteraction, HoverFramesTheHotspotWhoseCentreIsNearest) {
  ASSERT_TRUE(MakeHost(0, 0, 121, 81));
  record = host->Load("", HotspotDrf(), 0, TAVIMG_FILE_DRF);
  ASSERT_NE(record, nullptr);
  host->Pump();
  const Pixels before = ReadClient(host->hwnd());

  // (50, 50) lies in both; the centre of alpha (35, 35) is nearer than that
  // of beta (70, 59).
  host->Mouse(WM_MOUSEMOVE, 50, 50);
  EXPECT_EQ(+record->HoverHotspot, 0);
  EXPECT_STREQ(record->CurrentHotspotName, "alpha");
  EXPECT_EQ(+record->Hotspots[0].HotspotState, TAVIMG_ACTIVE_BIT | TAVIMG_HOVER_BIT | TAVIMG_DRAWN_BIT);
  EXPECT_TRUE(viewtest::InvertedWhere(before, ReadClient(host->hwnd()), viewtest::Area(10, 10, 60, 60)));

  host->Mouse(WM_MOUSEMOVE, 58, 50); // now beta's centre is nearer
  EXPECT_EQ(+record->HoverHotspot, 1);
  EXPECT_EQ(+record->CurrentHotspot, 1);
  EXPECT_STREQ(record->CurrentHotspotName, "beta");
  EXPECT_EQ(+record->Hotspots[0].HotspotState, TAVIMG_ACTIVE_BIT);
  EXPECT_TRUE(viewtest::InvertedWhere(before, ReadClient(host->hwnd()), viewtest::Area(40, 40, 100, 78)));

  host->Mouse(WM_MOUSEMOVE, 30, 70); // over no hotspot
  EXPECT_EQ(+record->HoverHotspot, TAVIMG_NO_HOTSPOT);
  EXPECT_EQ(+record->CurrentHotspot, TAVIMG_NO_HOTSPOT);
  EXPECT_STREQ(record->CurrentHotspotName, "");
  EXPECT_TRUE(viewtest::InvertedWhere(before, ReadClient(host->hwnd()), viewtest::Nowhere));

  // An inactive hotspot is neither framed nor named.
  TAVIMG_ActivateHotspotNr(0, 0, record);
  host->Mouse(WM_MOUSEMOVE, 20, 20);
  EXPECT_EQ(+record->HoverHotspot, 0);
  EXPECT_STREQ(record->CurrentHotspotName, "");
  EXPECT_TRUE(viewtest::InvertedWhere(before, ReadClient(host->hwnd()), viewtest::Nowhere));
}

TEST_F(ViewInteraction, UnhandledMessagesReachTheHostWithTheHoveredName) {
  ASSERT_TRUE(MakeHost(0, 0, 121, 81));
  record = host->Load("", HotspotDrf(), 0, TAVIMG_FILE_DRF);
  ASSERT_NE(record, nullptr);
  host->Mouse(WM_MOUSEMOVE, 50, 50);
  Notifications().clear();

  EXPECT_EQ(TAVIMG_OnMessage(host->hwnd(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(50, 50), record), 0u);
  host->Mouse(WM_RBUTTONDOWN, 50, 50);
  EXPECT_EQ(TAVIMG_OnMessage(host->hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(50, 50), record), 1u);
  ASSERT_EQ(Notifications().size(), 2u);
  EXPECT_EQ(Notifications()[0].zero, 0u);
  EXPECT_EQ(Notifications()[0].message, (UINT)WM_LBUTTONDBLCLK);
  EXPECT_EQ(Notifications()[0].hotspotName, "alpha");
  EXPECT_EQ(Notifications()[1].message, (UINT)WM_RBUTTONDOWN);
  EXPECT_EQ(Notifications()[1].hotspotName, "alpha");

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
  ASSERT_EQ(Notifications().size(), 1u);
  EXPECT_EQ(Notifications()[0].hotspotName, "alpha");
  EXPECT_EQ(TAVIMG_OnMessage(host->hwnd(), WM_LBUTTONDBLCLK, 0, 0, nullptr), 0u);
  EXPECT_EQ(Notifications().size(), 1u);
}

TEST_F(ViewInteraction, ResizeBeforeTheFirstPaintRemeasuresTheArea) {
  if (!viewtest::HaveLibtiff())
    GTEST_SKIP() << "libtiff is not installed: no test TIFFs can be written";
  ASSERT_TRUE(MakeHost(0, 0, 217, 167));
  // Opened and laid out, not painted yet: fit to width, 398 x 298 picture
  // pixels in an area of 200 x 150.
  record =
      TAVIMG_OpenImage(host->hwnd(), 0, viewtest::RecordNotification, TallTiff().c_str(), "", 4, TAVIMG_FILE_TIFF, 0);
  ASSERT_NE(record, nullptr);
  host->Attach(record);
  ASSERT_EQ(TAVIMG_RecalcLayout(host->hwnd(), record), 1);
  EXPECT_EQ(+record->Painted, 0);
  EXPECT_EQ(+record->ClientSize.y, 150);
  EXPECT_EQ(+record->ScrollPage.y, 298);

  // Taller before the first paint: the area is measured again, and again
  // as the scroll bars that the new ranges bring take their room; the
  // section grows with the area at the same scale.
  MoveWindow(host->hwnd(), 0, 0, 217, 267, TRUE);
  RECT client = host->ClientRect();
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 250);
  EXPECT_EQ(+record->ClientSize.x, 200);
  EXPECT_EQ(+record->ClientSize.y, 250);
  EXPECT_DOUBLE_EQ(+record->PrevClientSize.y, 267.0); // before the horizontal bar came
  EXPECT_EQ(+record->ScrollPage.x, 398);
  EXPECT_EQ(+record->ScrollRange.x, 2);
  EXPECT_EQ(+record->ScrollPage.y, 496); // trunc(250 / 267 * trunc(267 / 150 * 298))
  EXPECT_EQ(+record->ScrollRange.y, 1200 - 496);
  int low, high;
  host->ScrollRange(SB_VERT, &low, &high);
  EXPECT_EQ(high, 1200 - 496);
  EXPECT_EQ(+record->Painted, 1);
  host->Pump();
  const Pixels pixels = ReadClient(host->hwnd());
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(pixels.at(100, (100 * k + 5) * 250 / 496), viewtest::Grey(0)) << "stripe " << k;
    EXPECT_EQ(pixels.at(100, (100 * k + 55) * 250 / 496), viewtest::Grey(255)) << "gap " << k;
  }

  // After the paint a resize leaves the area as it is.
  MoveWindow(host->hwnd(), 0, 0, 217, 317, TRUE);
  EXPECT_EQ(+record->ClientSize.y, 250);
  EXPECT_EQ(+record->ScrollPage.y, 496);
}

TEST_F(ViewInteraction, DisplayPictureSwitchesModesKeepingTheHoveredHotspot) {
  if (!viewtest::HaveLibtiff())
    GTEST_SKIP() << "libtiff is not installed: no test TIFFs can be written";
  drfenc::DrfPicture picture = drftest::RandomPicture(drfenc::kKindFourColourTiff, 120, 80, 29);
  picture.hotspots = {{"alpha", "", 0, 10, 10, 60, 60}};
  const std::string drf = drftest::WritePicture("view_switch.drf", picture);
  const std::string tiff = viewtest::WriteTiff("view_switch.tif", 240, 160, viewtest::BlockPicture(240, 160));
  ASSERT_TRUE(MakeHost(0, 0, 121, 81));
  record = host->Load(tiff, drf, 0, TAVIMG_FILE_DRF);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(+record->TiffReady, 1);
  host->Mouse(WM_MOUSEMOVE, 30, 30);
  ASSERT_EQ(+record->HoverHotspot, 0);

  EXPECT_EQ(TAVIMG_DisplayPicture(host->hwnd(), record, 1), 1u);
  EXPECT_EQ(+record->HoverHotspot, 0);
  EXPECT_EQ(+record->DisplayMode, 1u);
  EXPECT_EQ(+record->PictureMode, 2);
  EXPECT_EQ(TAVIMG_GetGraphicsMode(record), 1);
  EXPECT_EQ(+record->TiffReady, 1);
  EXPECT_TRUE(host->HasInvalidArea());
  EXPECT_EQ(host->Pump(), 1);
  EXPECT_EQ(+record->ZoomedShown, 1);
  // The TIFF part fitted: 240 x 160 into 121 x 81 is 121 x 80.67, drawn at
  // the top left.
  EXPECT_DOUBLE_EQ(+record->FitSize.x, 121.0);
  EXPECT_EQ(TAVIMG_GetBildMitte(record), 0);

  host->Mouse(WM_MOUSEMOVE, 30, 30);
  ASSERT_EQ(+record->HoverHotspot, 0);
  EXPECT_EQ(TAVIMG_DisplayPicture(host->hwnd(), record, 0), 1u);
  EXPECT_EQ(+record->HoverHotspot, 0);
  EXPECT_EQ(+record->PictureMode, 0);
  EXPECT_EQ(TAVIMG_GetGraphicsMode(record), 2);
  EXPECT_EQ(TAVIMG_DisplayPicture(host->hwnd(), nullptr, 0), 0u);
}

TEST_F(ViewInteraction, CommandsOfTheCommandEntry) {
  ASSERT_TRUE(MakeHost(0, 0, 300, 200));
  record = host->Load("", HotspotDrf(), 0, TAVIMG_FILE_DRF);
  ASSERT_NE(record, nullptr);
  HWND window = host->hwnd();

  // 0: the message handling.
  EXPECT_EQ(TAVIMG_MAIN(0, record, window, WM_RBUTTONUP, 0, 0), 1);
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
  int low, high;
  host->ScrollRange(SB_VERT, &low, &high);
  EXPECT_EQ(high, 5);

  // 3: reloading from DrfPath frees the stripes it replaces, and centres the
  // picture in the window as measured.
  const long blocks = tavwin::LiveGlobalBlocks();
  EXPECT_EQ(TAVIMG_MAIN(3, record, window, 0, 0, 0), 1);
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocks);
  EXPECT_EQ(+record->DrfShown, 1);
  EXPECT_EQ(+record->TiffShown, 0);
  EXPECT_EQ(+record->ClientSize.x, 120);
  EXPECT_EQ(+record->ClientSize.y, 80);
  EXPECT_EQ(+record->CentringOffset.x, 90);
  EXPECT_EQ(+record->CentringOffset.y, 60);

  // 2: the view reset places the window there, sized to the picture.
  EXPECT_EQ(TAVIMG_MAIN(2, record, window, 0, 0, 0), 0);
  RECT placed = host->WindowRect();
  EXPECT_EQ(placed.left, 90);
  EXPECT_EQ(placed.top, 60);
  EXPECT_EQ(placed.right, 90 + 121);
  EXPECT_EQ(placed.bottom, 60 + 81);
  EXPECT_EQ(+record->HoverHotspot, TAVIMG_NO_HOTSPOT);

  // 1: the record's defaults.
  EXPECT_EQ(TAVIMG_MAIN(1, record, window, 0, 0, 0), 0);
  EXPECT_EQ(+record->HotspotCount, 0);
  EXPECT_EQ(+record->ClientSize.x, 100);
  EXPECT_EQ(TAVIMG_MAIN(7, record, window, 0, 0, 0), 0); // no hotspots now

  lstrcpyA(record->DrfPath, viewtest::TempPath("view_missing.drf").c_str());
  EXPECT_EQ(TAVIMG_MAIN(3, record, window, 0, 0, 0), 0);
  EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_DRF_OPEN);

  for (DWORD command = 0; command <= 15; ++command)
    EXPECT_EQ(TAVIMG_MAIN(command, nullptr, window, WM_PAINT, 0, 0), 0) << command;
}

TEST_F(ViewInteraction, ScrollRangeCommandWhileZoomed) {
  if (!viewtest::HaveLibtiff())
    GTEST_SKIP() << "libtiff is not installed: no test TIFFs can be written";
  ASSERT_TRUE(MakeHost(0, 0, 217, 167));
  record = host->Load(TallTiff(), "", 4, TAVIMG_FILE_TIFF);
  ASSERT_NE(record, nullptr);
  ASSERT_EQ(+record->Zoomed, 1);
  SetScrollRange(host->hwnd(), SB_VERT, 0, 5, FALSE);
  EXPECT_EQ(TAVIMG_MAIN(14, record, host->hwnd(), 0, 0, 0), 1);
  int low, high;
  host->ScrollRange(SB_VERT, &low, &high);
  EXPECT_EQ(high, 902); // the section is kept: no earlier area to scale from
  EXPECT_EQ(+record->ScrollPage.y, 298);
}

TEST_F(ViewInteraction, UnloadingLeavesNothingBehind) {
  if (!viewtest::HaveLibtiff())
    GTEST_SKIP() << "libtiff is not installed: no test TIFFs can be written";
  drfenc::DrfPicture picture = drftest::RandomPicture(drfenc::kKindFourColourTiff, 120, 80, 31);
  picture.hotspots = {{"alpha", "", 0, 10, 10, 60, 60}, {"beta", "", 0, 40, 40, 100, 78}};
  const std::string drf = drftest::WritePicture("view_unload.drf", picture);
  const std::string tiff = viewtest::WriteTiff("view_unload.tif", 480, 320, viewtest::BlockPicture(480, 320));
  ZoomCursor(); // loaded once for the whole process
  const long blocks = tavwin::LiveGlobalBlocks();
  const long objects = tavwin::LiveGdiObjects();
  {
    ASSERT_TRUE(MakeHost(0, 0, 200, 150));
    record = host->Load(tiff, drf, 0, TAVIMG_FILE_DRF);
    ASSERT_NE(record, nullptr);
    host->Pump();
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
    TAVIMG_UnloadPicture(host->hwnd(), record);
    record = nullptr;
    host.reset();
  }
  // What the copy placed on the clipboard belongs to the clipboard.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocks);
  EXPECT_EQ(tavwin::LiveGdiObjects(), objects);
}

} // namespace
