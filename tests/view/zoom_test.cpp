// The rubber band: armed by TAVIMG_SetZoomMode, anchored by the left button,
// dragged (drawn and erased by inversion, held inside the drawing area),
// released into a zoom with scroll bars, or dropped.
#include "drf_files.h"
#include "view_host.h"
#include "view_pictures.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using viewtest::HostWindow;
using viewtest::Pixels;
using viewtest::ReadClient;

// A 1600 x 1200 picture of 2 x 2 blocks, fitted into a 400 x 400 window:
// 400 x 300 pixels, 50 pixels down.
class ViewZoom : public ::testing::Test {
protected:
  void SetUp() override {
    TAVIMG_ShowErrorMessages(0);
    if (!viewtest::HaveLibtiff())
      GTEST_SKIP() << "libtiff is not installed: no test TIFFs can be written";
    static const std::string path =
        viewtest::WriteTiff("view_zoom.tif", 1600, 1200, viewtest::BlockPicture(1600, 1200));
    host = std::make_unique<HostWindow>(0, 0, 400, 400);
    ASSERT_NE(host->hwnd(), nullptr);
    record = host->Load(path, "", 1, TAVIMG_FILE_TIFF);
    ASSERT_NE(record, nullptr);
    host->Pump();
    ASSERT_EQ(TAVIMG_GetBildMitte(record), (LONGLONG)50 << 32);
    ASSERT_EQ(+record->ZoomedShown, 1);
  }
  void TearDown() override {
    if (record)
      TAVIMG_UnloadPicture(host->hwnd(), record);
  }
  void Drag(int x0, int y0, int x1, int y1) {
    host->Mouse(WM_LBUTTONDOWN, x0, y0, MK_LBUTTON);
    host->Mouse(WM_MOUSEMOVE, x1, y1, MK_LBUTTON);
  }
  std::unique_ptr<HostWindow> host;
  ImgStruct* record = nullptr;
};

TEST_F(ViewZoom, BandIsDrawnByInversionAndHeldInsideTheArea) {
  const Pixels before = ReadClient(host->hwnd());
  TAVIMG_SetZoomMode(record);
  EXPECT_EQ(TAVIMG_InZoomAction(record), 1u);

  host->Mouse(WM_LBUTTONDOWN, 100, 100, MK_LBUTTON);
  EXPECT_EQ(+record->ZoomRect.left, 100);
  EXPECT_EQ(+record->ZoomRect.bottom, 100);
  host->Mouse(WM_MOUSEMOVE, 200, 175, MK_LBUTTON);
  EXPECT_EQ(GetCapture(), host->hwnd());
  EXPECT_TRUE(viewtest::InvertedWhere(before, ReadClient(host->hwnd()), viewtest::Outline(100, 100, 200, 175)));

  // Beyond the lower right the band stops at (width, height - 1) of the
  // drawing area, beyond the upper left at (1, 1).
  host->Mouse(WM_MOUSEMOVE, 500, 500, MK_LBUTTON);
  EXPECT_EQ(+record->ZoomRect.right, 400);
  EXPECT_EQ(+record->ZoomRect.bottom, 399);
  EXPECT_TRUE(viewtest::InvertedWhere(before, ReadClient(host->hwnd()), viewtest::Outline(100, 100, 400, 399)));
  host->Mouse(WM_MOUSEMOVE, -20, -30, MK_LBUTTON);
  EXPECT_EQ(+record->ZoomRect.right, 1);
  EXPECT_EQ(+record->ZoomRect.bottom, 1);
  EXPECT_TRUE(viewtest::InvertedWhere(before, ReadClient(host->hwnd()), viewtest::Outline(1, 1, 100, 100)));

  // Moves without the button leave the band where it is; nothing is
  // invalidated while dragging.
  host->Mouse(WM_MOUSEMOVE, 300, 300, 0);
  EXPECT_EQ(+record->ZoomRect.right, 1);
  EXPECT_FALSE(host->HasInvalidArea());
}

// The scroll bars of the zoomed view shown in the window, as the record has
// them.
::testing::AssertionResult BarsFollowTheRecord(HostWindow& host, const ImgStruct* record) {
  int low, high;
  host.ScrollRange(SB_HORZ, &low, &high);
  if (low != 0 || high != record->ScrollRange.x)
    return ::testing::AssertionFailure() << "horizontal range " << low << ".." << high;
  host.ScrollRange(SB_VERT, &low, &high);
  if (low != 0 || high != record->ScrollRange.y)
    return ::testing::AssertionFailure() << "vertical range " << low << ".." << high;
  if (GetScrollPos(host.hwnd(), SB_HORZ) != record->ScrollPos.x ||
      GetScrollPos(host.hwnd(), SB_VERT) != record->ScrollPos.y)
    return ::testing::AssertionFailure() << "scroll positions";
  if (record->ScrollRange.x != record->TIFFSize.x - record->ScrollPage.x ||
      record->ScrollRange.y != record->TIFFSize.y - record->ScrollPage.y)
    return ::testing::AssertionFailure() << "ranges are not picture less section";
  return ::testing::AssertionSuccess();
}

TEST_F(ViewZoom, ReleaseZoomsAndASecondBandZoomsFurther) {
  TAVIMG_SetZoomMode(record);
  Drag(100, 100, 300, 250);
  host->Mouse(WM_LBUTTONUP, 300, 250);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(TAVIMG_InZoomAction(record), 0u);
  EXPECT_EQ(+record->DisplayMode, 4u);
  EXPECT_EQ(+record->Zoomed, 1);
  EXPECT_EQ(TAVIMG_GetPictureMode(record), 1);
  // The band, 200 x 150 window pixels of the picture fitted 1:4, widened to
  // the square area: 800 x 800 picture pixels around its centre (800, 500).
  // The scroll bars then take 17 pixels of the area each way; the section
  // shrinks with it at the same scale.
  EXPECT_DOUBLE_EQ(TAVIMG_GetZoomFactor(record).x, 2.0);
  EXPECT_DOUBLE_EQ(TAVIMG_GetZoomFactor(record).y, 2.0);
  EXPECT_EQ(+record->ScrollPos.x, 400);
  EXPECT_EQ(+record->ScrollPos.y, 100);
  RECT client = host->ClientRect();
  EXPECT_EQ(client.right, 383);
  EXPECT_EQ(client.bottom, 383);
  EXPECT_EQ(+record->ClientSize.x, 383);
  EXPECT_EQ(+record->ClientSize.y, 383);
  EXPECT_EQ(+record->ScrollPage.x, 2 * 383);
  EXPECT_EQ(+record->ScrollPage.y, 2 * 383);
  EXPECT_TRUE(BarsFollowTheRecord(*host, record));

  // Drawn 2:1: every block of the section is one pixel of its grey level
  // (the bottom row of a drawing keeps the background).
  host->Pump();
  const Pixels first = ReadClient(host->hwnd());
  EXPECT_TRUE(viewtest::PixelsAre(first, 0, 0, 383, 382, [](int x, int y) {
    return viewtest::LevelColour(viewtest::BlockCount(200 + x, 50 + y));
  }));

  // A band of 100 x 100 inside the zoomed view, around picture point
  // (700, 400): widened to the 1:1 limit, 4 x 96 picture pixels for the 383
  // of the area.
  TAVIMG_SetZoomMode(record);
  Drag(100, 100, 200, 200);
  host->Mouse(WM_LBUTTONUP, 200, 200);
  EXPECT_EQ(+record->Zoomed, 1);
  EXPECT_DOUBLE_EQ(TAVIMG_GetZoomFactor(record).x, 383.0 / 96);
  EXPECT_DOUBLE_EQ(TAVIMG_GetZoomFactor(record).y, 383.0 / 96);
  EXPECT_EQ(+record->ScrollPage.x, 384);
  EXPECT_EQ(+record->ScrollPos.x, 700 - 192);
  EXPECT_EQ(+record->ScrollPos.y, 400 - 192);
  EXPECT_TRUE(BarsFollowTheRecord(*host, record));
  host->Pump();
  // Nearly one window pixel per picture pixel: black and white only, but
  // for the first column and row, where two picture pixels share one.
  const Pixels second = ReadClient(host->hwnd());
  int greys = 0;
  for (COLORREF c : second.colours)
    greys += c != viewtest::Grey(0) && c != viewtest::Grey(255);
  EXPECT_LE(greys, 2 * 383);
  EXPECT_TRUE(viewtest::PixelsAre(second, 1, 1, 383, 382, [](int x, int y) {
    return viewtest::BlockBlack(508 + 1 + x, 208 + 1 + y) ? viewtest::Grey(0) : viewtest::Grey(255);
  }));

  // Scrolling the zoomed section moves it by picture pixels and repaints.
  host->Send(WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0));
  EXPECT_EQ(+record->ScrollPos.x, 518);
  EXPECT_TRUE(BarsFollowTheRecord(*host, record));
  EXPECT_EQ(host->Pump(), 1);
  EXPECT_TRUE(viewtest::PixelsAre(ReadClient(host->hwnd()), 1, 1, 383, 382, [](int x, int y) {
    return viewtest::BlockBlack(518 + 1 + x, 208 + 1 + y) ? viewtest::Grey(0) : viewtest::Grey(255);
  }));
}

TEST_F(ViewZoom, ClicksAndBandsBesideThePictureAreDropped) {
  const Pixels before = ReadClient(host->hwnd());
  auto expectDropped = [&](const char* what) {
    EXPECT_EQ(TAVIMG_InZoomAction(record), 0u) << what;
    EXPECT_EQ(+record->Zoomed, 0) << what;
    EXPECT_EQ(+record->DisplayMode, 1u) << what;
    EXPECT_FALSE(host->HasInvalidArea()) << what;
    EXPECT_TRUE(viewtest::InvertedWhere(before, ReadClient(host->hwnd()), viewtest::Nowhere)) << what;
  };

  TAVIMG_SetZoomMode(record);
  host->Mouse(WM_LBUTTONDOWN, 100, 100, MK_LBUTTON);
  host->Mouse(WM_LBUTTONUP, 100, 100);
  expectDropped("a click");

  // Wholly in the margin above the fitted picture: drawn while dragged,
  // erased on release.
  TAVIMG_SetZoomMode(record);
  Drag(100, 10, 200, 40);
  EXPECT_TRUE(viewtest::InvertedWhere(before, ReadClient(host->hwnd()), viewtest::Outline(100, 10, 200, 40)));
  host->Mouse(WM_LBUTTONUP, 200, 40);
  expectDropped("a band beside the picture");

  // Anchored on the area's edge: never drawn, dropped.
  TAVIMG_SetZoomMode(record);
  Drag(0, 100, 200, 200);
  host->Mouse(WM_LBUTTONUP, 200, 200);
  expectDropped("a band anchored outside");

  // A band released without being armed does nothing.
  Drag(100, 100, 200, 200);
  host->Mouse(WM_LBUTTONUP, 200, 200);
  expectDropped("a band not armed");
}

// Pictures without their TIFF view: a kind-5 DRF whose companion TIFF is
// missing, and a kind-6 DRF, which has no TIFF part.
TEST(ViewZoomWithoutTiff, BandsAreDropped) {
  TAVIMG_ShowErrorMessages(0);
  const std::string kind5 =
      drftest::WritePicture("view_zoom5.drf", drftest::RandomPicture(drfenc::kKindFourColourTiff, 120, 80, 5));
  const std::string kind6 =
      drftest::WritePicture("view_zoom6.drf", drftest::RandomPicture(drfenc::kKindColour, 120, 80, 6));
  struct Case {
    std::string tiff, drf;
  } cases[] = {{viewtest::TempPath("view_zoom_missing.tif"), kind5}, {"", kind6}};
  for (const Case& c : cases) {
    HostWindow host(0, 0, 121, 81);
    ASSERT_NE(host.hwnd(), nullptr);
    ImgStruct* record = host.Load(c.tiff, c.drf, 0, TAVIMG_FILE_DRF);
    ASSERT_NE(record, nullptr);
    host.Pump();
    const Pixels before = ReadClient(host.hwnd());
    TAVIMG_SetZoomMode(record);
    host.Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    host.Mouse(WM_MOUSEMOVE, 60, 50, MK_LBUTTON);
    EXPECT_TRUE(viewtest::InvertedWhere(before, ReadClient(host.hwnd()), viewtest::Nowhere)) << c.drf;
    host.Mouse(WM_LBUTTONUP, 60, 50);
    EXPECT_EQ(+record->Zoomed, 0);
    EXPECT_EQ(+record->DisplayMode, 0u);
    EXPECT_EQ(+record->PictureMode, 0);
    EXPECT_EQ(TAVIMG_InZoomAction(record), 0u);
    EXPECT_FALSE(host.HasInvalidArea());
    TAVIMG_UnloadPicture(host.hwnd(), record);
  }
}

} // namespace
