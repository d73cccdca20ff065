// Pictures shown in a host window through the exported API (a DRF at its
// own size is the paint suite's): a TIFF fitted into the window, the fit-to-width view of display mode
// 4 with its scroll bar, and the rubber band: armed by TAVIMG_SetZoomMode,
// anchored by the left button, dragged (drawn and erased by inversion, held
// inside the drawing area), released into a zoom with scroll bars, or dropped.
#include "frame_records.h"
#include "view_pictures.h"

#include <gtest/gtest.h>

namespace {

using namespace viewtest;

using ViewDisplay = HostedTest;

// Each 2 x 2 block is one pixel of its grey level, the picture's top at
// window row top; its bottom row is not drawn, and the margins above and
// below keep the white background.
::testing::AssertionResult ShowsBlocksFitted(const Pixels& pixels, int top) {
  return PixelsAre(pixels, 0, 0, 200, pixels.height, [top](int x, int y) {
    return y >= top && y < top + 99 ? LevelColour(BlockCount(x, y - top)) : Grey(255);
  });
}

// A 400 x 200 TIFF fitted 2:1 to 200 x 100 and centred 25 pixels down, in a
// 200 x 150 window and in fit-to-width view (display mode 4), which falls
// back to it as the picture is too short to scroll.
TEST_F(ViewDisplay, TiffFittedAndCentred) {
  for (DWORD mode : {4u, 1u}) {
    // Mode 4 sets up its scroll bars first, and leaves a 200 x 150 area.
    ASSERT_TRUE(Show(mode == 4 ? 217 : 200, mode == 4 ? 167 : 150, PictureTiff(BlockBlack, 400, 200), "", mode,
                     TAVIMG_FILE_TIFF, false));
    TAVIMG_UpdateBars(host->hwnd(), record);
    host->Pump();
    EXPECT_EQ(+record->Zoomed, 0);
    EXPECT_EQ(+record->PictureMode, 2);
    EXPECT_EQ(+record->ScrollRange.y, 0);
    EXPECT_EQ(TAVIMG_GetGraphicsMode(record), 1);
    EXPECT_EQ(TAVIMG_GetBildMitte(record), (LONGLONG)25 << 32);
    EXPECT_TRUE(ShowsBlocksFitted(Shown(), 25)) << mode;
  }
  EXPECT_EQ(XY(record->ScaledClientSize), "200,100");
  const Pixels fitted = Shown();

  // Hotspots at their fitted places (half the picture's coordinates, moved
  // by BildMitte) from the next paint on; a marked one is framed there,
  // across repaints too.
  FrameSetHotspots(record, {{{40, 20, 100, 60}, "field", ""}});
  InvalidateRect(host->hwnd(), nullptr, TRUE);
  host->Pump();
  EXPECT_EQ(Sides(record->Hotspots[0].ScreenRect), "20,35,50,55");
  TAVIMG_SetHotspotNr(host->hwnd(), 0, 1, record);
  EXPECT_TRUE(InvertedWhere(fitted, Shown(), Inverts({{20, 35, 50, 55}})));
  InvalidateRect(host->hwnd(), nullptr, TRUE);
  EXPECT_EQ(host->Pump(), 1);
  EXPECT_TRUE(InvertedWhere(fitted, Shown(), Inverts({{20, 35, 50, 55}})));
}

// Display mode 4: a 400 x 1200 picture in a window of 217 x 167, a drawing
// area of 200 x 150 beside the scroll bars. The whole width is shown from
// the top: 398 x 298 picture pixels.
TEST_F(ViewDisplay, FitToWidthScrollsVertically) {
  ASSERT_TRUE(Show(217, 167, PictureTiff(StripeBlack, 400, 1200), "", 4, TAVIMG_FILE_TIFF, false));
  ASSERT_EQ(TAVIMG_UpdateBars(host->hwnd(), record), 1u);
  EXPECT_EQ(ViewState(record), "zoomed 1, mode 1, area 200,150, page 398,298 at 0,0");
  EXPECT_EQ(+record->ScrollRange.x, 0); // 2 picture pixels are not worth a scroll bar
  EXPECT_DOUBLE_EQ(TAVIMG_GetZoomFactor(record).x, 200.0 / 216);
  EXPECT_EQ(host->ScrollRange(SB_VERT), std::make_pair(0, 1200 - 298));
  // Both bars are shown, the horizontal one with nothing to scroll.
  EXPECT_EQ(host->Rect(GetClientRect), "0,0,200,150");

  // A line is 10 picture pixels and a page the area's 150, of the 298 shown:
  // the viewer turns its steps into thumb positions.
  auto expectSection = [&](int position) {
    host->Pump();
    EXPECT_TRUE(ShowsStripes(Shown(), position, 298, 150)) << "at " << position;
  };
  expectSection(0);
  struct Step {
    int code, thumb, position;
  } steps[] = {{SB_LINEDOWN, 0, 10}, {SB_PAGEDOWN, 0, 160},          {SB_THUMBTRACK, 800, 800}, {SB_PAGEDOWN, 0, 902},
               {SB_LINEUP, 0, 892},  {SB_THUMBPOSITION, 40000, 902}, {SB_PAGEUP, 0, 902 - 150}};
  for (const Step& step : steps) {
    host->Send(WM_VSCROLL, MAKEWPARAM(step.code, step.thumb));
    EXPECT_EQ(+record->ScrollPos.y, step.position) << step.code;
    EXPECT_EQ(GetScrollPos(host->hwnd(), SB_VERT), step.position);
    EXPECT_TRUE(host->HasInvalidArea());
    expectSection(step.position);
  }

  // Requests that do not move the section repaint nothing.
  host->Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 902));
  host->Pump();
  host->Send(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0));
  host->Send(WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0)); // no horizontal range
  host->Send(WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0));
  EXPECT_EQ(XY(record->ScrollPos), "0,902");
  EXPECT_EQ(host->Pump(), 0);

  // The command that sets the scroll ranges again keeps the section, as
  // there is no earlier area to scale it from.
  SetScrollRange(host->hwnd(), SB_VERT, 0, 5, FALSE);
  EXPECT_EQ(TAVIMG_MAIN(14, record, host->hwnd(), 0, 0, 0), 1);
  EXPECT_EQ(host->ScrollRange(SB_VERT), std::make_pair(0, 902));
  EXPECT_EQ(+record->ScrollPage.y, 298);
}

// A 1600 x 1200 picture of 2 x 2 blocks, fitted into a 400 x 400 window:
// 400 x 300 pixels, 50 pixels down.
class ViewZoom : public HostedTest {
protected:
  void SetUp() override {
    HostedTest::SetUp();
    ASSERT_TRUE(Show(400, 400, PictureTiff(BlockBlack, 1600, 1200), "", 1, TAVIMG_FILE_TIFF));
    ASSERT_EQ(TAVIMG_GetBildMitte(record), (LONGLONG)50 << 32);
    before = Shown();
  }
  void Drag(int x0, int y0, int x1, int y1, bool release = true) {
    host->Mouse(WM_LBUTTONDOWN, x0, y0, MK_LBUTTON);
    host->Mouse(WM_MOUSEMOVE, x1, y1, MK_LBUTTON);
    if (release)
      host->Mouse(WM_LBUTTONUP, x1, y1);
  }
  // The window's scroll bars show the record's ranges and positions; the
  // ranges are the picture less the section.
  void ExpectBars() {
    EXPECT_EQ(host->ScrollRange(SB_HORZ), std::make_pair(0, (int)record->ScrollRange.x));
    EXPECT_EQ(host->ScrollRange(SB_VERT), std::make_pair(0, (int)record->ScrollRange.y));
    EXPECT_EQ(GetScrollPos(host->hwnd(), SB_HORZ), +record->ScrollPos.x);
    EXPECT_EQ(GetScrollPos(host->hwnd(), SB_VERT), +record->ScrollPos.y);
    EXPECT_EQ(+record->ScrollRange.x, 1600 - record->ScrollPage.x);
    EXPECT_EQ(+record->ScrollRange.y, 1200 - record->ScrollPage.y);
  }
  Pixels before;
};

TEST_F(ViewZoom, BandIsDrawnByInversionAndHeldInsideTheArea) {
  TAVIMG_SetZoomMode(record);
  EXPECT_EQ(TAVIMG_InZoomAction(record), 1u);
  host->Mouse(WM_LBUTTONDOWN, 100, 100, MK_LBUTTON);
  EXPECT_EQ(Sides(record->ZoomRect), "100,100,100,100");
  // Beyond the lower right the band stops at (width, height - 1) of the
  // drawing area, beyond the upper left at (1, 1).
  struct Move {
    int x, y;
    const char* zoomRect;
    RECT band;
  } const moves[] = {{200, 175, "100,100,200,175", {100, 100, 200, 175}},
                     {500, 500, "100,100,400,399", {100, 100, 400, 399}},
                     {-20, -30, "100,100,1,1", {1, 1, 100, 100}}};
  for (const Move& m : moves) {
    host->Mouse(WM_MOUSEMOVE, m.x, m.y, MK_LBUTTON);
    EXPECT_EQ(GetCapture(), host->hwnd());
    EXPECT_EQ(Sides(record->ZoomRect), m.zoomRect);
    EXPECT_TRUE(InvertedWhere(before, Shown(), Inverts({m.band}, true))) << m.x << "," << m.y;
  }
  // Moves without the button leave the band where it is; nothing is
  // invalidated while dragging.
  host->Mouse(WM_MOUSEMOVE, 300, 300, 0);
  EXPECT_EQ(+record->ZoomRect.right, 1);
  EXPECT_FALSE(host->HasInvalidArea());
}

TEST_F(ViewZoom, ReleaseZoomsAndASecondBandZoomsFurther) {
  TAVIMG_SetZoomMode(record);
  Drag(100, 100, 300, 250);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(TAVIMG_InZoomAction(record), 0u);
  EXPECT_EQ(+record->DisplayMode, 4u);
  // The band, 200 x 150 window pixels of the picture fitted 1:4, widened to
  // the square area: 800 x 800 picture pixels around its centre (800, 500).
  // The scroll bars then take 17 pixels of the area each way; the section
  // shrinks with it at the same scale.
  EXPECT_EQ(TAVIMG_GetZoomFactor(record).x, 2.0);
  EXPECT_EQ(TAVIMG_GetZoomFactor(record).y, 2.0);
  EXPECT_EQ(host->Rect(GetClientRect), "0,0,383,383");
  EXPECT_EQ(ViewState(record), "zoomed 1, mode 1, area 383,383, page 766,766 at 400,100");
  ExpectBars();
  // Drawn 2:1: every block of the section is one pixel of its grey level
  // (the bottom row of a drawing keeps the background).
  host->Pump();
  EXPECT_TRUE(
      PixelsAre(Shown(), 0, 0, 383, 382, [](int x, int y) { return LevelColour(BlockCount(200 + x, 50 + y)); }));

  // A band of 100 x 100 inside the zoomed view, around picture point
  // (700, 400): widened to the 1:1 limit, 4 x 96 picture pixels for the 383
  // of the area.
  TAVIMG_SetZoomMode(record);
  Drag(100, 100, 200, 200);
  EXPECT_DOUBLE_EQ(TAVIMG_GetZoomFactor(record).x, 383.0 / 96);
  EXPECT_DOUBLE_EQ(TAVIMG_GetZoomFactor(record).y, 383.0 / 96);
  // Placed at the centre less 192 each way.
  EXPECT_EQ(ViewState(record), "zoomed 1, mode 1, area 383,383, page 384,384 at 508,208");
  ExpectBars();
  // Nearly one window pixel per picture pixel: black and white only, but
  // for the first column and row, where two picture pixels share one.
  // Scrolling moves the section by picture pixels and repaints.
  for (int left : {508, 518}) {
    EXPECT_EQ(host->Pump(), 1);
    EXPECT_TRUE(PixelsAre(Shown(), 1, 1, 383, 382, [left](int x, int y) {
      return BlockBlack(left + 1 + x, 208 + 1 + y) ? Grey(0) : Grey(255);
    })) << left;
    host->Send(WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0));
  }
  EXPECT_EQ(+record->ScrollPos.x, 528);
  ExpectBars();
}

TEST_F(ViewZoom, ClicksAndBandsBesideThePictureAreDropped) {
  struct Case {
    const char* what;
    bool armed;
    int x0, y0, x1, y1;
    bool drawn; // while dragged, erased on release
  } const cases[] = {
      {"a click", true, 100, 100, 100, 100, false},
      {"a band wholly in the margin above the picture", true, 100, 10, 200, 40, true},
      {"a band anchored on the area's edge", true, 0, 100, 200, 200, false},
      {"a band not armed", false, 100, 100, 200, 200, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.armed)
      TAVIMG_SetZoomMode(record);
    Drag(c.x0, c.y0, c.x1, c.y1, false);
    const std::vector<RECT> band = {{c.x0, c.y0, c.x1, c.y1}};
    EXPECT_TRUE(InvertedWhere(before, Shown(), Inverts(c.drawn ? band : std::vector<RECT>{}, true)));
    ExpectDropped(c.x1, c.y1, before, 1);
  }
}

// Pictures without their TIFF view, a kind-5 DRF whose companion TIFF is
// missing and a kind-6 DRF, which has no TIFF part: the band is not drawn.
TEST_F(ViewDisplay, BandsOverAPictureWithoutItsTiffViewAreDropped) {
  const std::string kind5 = PictureDrf(drfenc::kKindFourColourTiff, 120, 80, 5);
  const std::string kind6 = PictureDrf(drfenc::kKindColour, 120, 80, 6);
  for (const auto& files :
       {std::make_pair(drftest::TempPath("view_missing.tif"), kind5), std::make_pair(std::string(), kind6)}) {
    SCOPED_TRACE(files.second);
    ASSERT_TRUE(Show(121, 81, files.first, files.second, 0, TAVIMG_FILE_DRF));
    const Pixels before = Shown();
    TAVIMG_SetZoomMode(record);
    host->Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    host->Mouse(WM_MOUSEMOVE, 60, 50, MK_LBUTTON);
    EXPECT_TRUE(InvertedWhere(before, Shown(), Inverts({})));
    ExpectDropped(60, 50, before, 0);
  }
}

} // namespace
