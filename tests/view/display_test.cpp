// Pictures shown in a host window through the exported API: a DRF at its own
// size, a TIFF fitted into the window, and the fit-to-width view of display
// mode 4 with its scroll bar.
#include "drf_files.h"
#include "view_host.h"
#include "view_pictures.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using viewtest::HostWindow;
using viewtest::Pixels;
using viewtest::ReadClient;

class ViewDisplay : public viewtest::HostedTest {
protected:
  void SetUp() override {
    TAVIMG_ShowErrorMessages(0);
    if (!viewtest::HaveLibtiff())
      GTEST_SKIP() << "libtiff is not installed: no test TIFFs can be written";
  }
};

TEST_F(ViewDisplay, Kind6DrfAtItsOwnSize) {
  drfenc::DrfPicture picture = drftest::RandomPicture(drfenc::kKindColour, 120, 80, 17);
  picture.hotspots = {{"door", "a door", 0, 10, 10, 40, 30}, {"roof", "", 0, 50, 5, 110, 25}};
  const std::string path = drftest::WritePicture("view_display6.drf", picture);
  ASSERT_TRUE(MakeHost(30, 20, 300, 200));

  record = host->Load("", path, 0, TAVIMG_FILE_DRF);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(+record->PictureMode, 0);
  EXPECT_EQ(TAVIMG_GetGraphicsMode(record), 2);
  EXPECT_EQ(TAVIMG_GetScaledClientSize(record), TAVIMG_GetDRFSize(record));
  ASSERT_EQ(+record->HotspotCount, 2);
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(record->Hotspots[i].HotspotState & TAVIMG_ACTIVE_BIT, TAVIMG_ACTIVE_BIT) << i;
  EXPECT_EQ(+record->Hotspots[1].ScreenRect.right, 110);

  // The host places its window for the view: at its origin, one pixel
  // larger than the picture each way.
  EXPECT_EQ(TAVIMG_MAIN(2, record, host->hwnd(), 0, 0, 0), 0);
  RECT placed = host->WindowRect();
  EXPECT_EQ(placed.left, 0);
  EXPECT_EQ(placed.top, 0);
  EXPECT_EQ(placed.right, 121);
  EXPECT_EQ(placed.bottom, 81);
  EXPECT_EQ(+record->ClientSize.x, 121); // re-measured before the first paint
  EXPECT_EQ(+record->ClientSize.y, 81);
  host->Pump();
  EXPECT_EQ(+record->Painted, 1);

  drftest::Dib dib;
  ASSERT_EQ(drftest::ExportDib(record, &dib), 1);
  const Pixels pixels = ReadClient(host->hwnd());
  EXPECT_TRUE(viewtest::PixelsAre(pixels, 0, 0, 120, 80, [&](int x, int y) {
    const RGBQUAD& c = dib.colours[dib.pixels[(size_t)y * 120 + x]];
    return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
  }));
  EXPECT_TRUE(viewtest::PixelsAre(pixels, 120, 0, 121, 81, [](int, int) { return viewtest::Grey(255); }));
  EXPECT_TRUE(viewtest::PixelsAre(pixels, 0, 80, 121, 81, [](int, int) { return viewtest::Grey(255); }));
}

// A 400 x 200 TIFF in a 200 x 150 window: fitted 2:1 to 200 x 100 and
// centred 25 pixels down.
TEST_F(ViewDisplay, TiffFittedAndCentred) {
  const std::string path =
      viewtest::WriteTiff("view_fitted.tif", 400, 200, viewtest::BlockPicture(400, 200),
                          {{40, 20, 60, 40, "field", "a field", 1}, {300, 100, 50, 50, "box", ""}});
  ASSERT_TRUE(MakeHost(0, 0, 200, 150));

  record = host->Load(path, "", 1, TAVIMG_FILE_TIFF);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(+record->PictureMode, 2);
  EXPECT_EQ(TAVIMG_GetGraphicsMode(record), 1);
  EXPECT_EQ(+record->ScaledClientSize.x, 200);
  EXPECT_EQ(+record->ScaledClientSize.y, 100);
  EXPECT_DOUBLE_EQ(+record->FitSize.x, 200.0);
  EXPECT_DOUBLE_EQ(+record->FitSize.y, 100.0);
  EXPECT_EQ(TAVIMG_GetBildMitte(record), (LONGLONG)25 << 32);
  EXPECT_DOUBLE_EQ(TAVIMG_GetBildFactor(record).x, 1.0);
  EXPECT_DOUBLE_EQ(TAVIMG_GetBildFactor(record).y, 1.0);
  host->Pump();

  // Each 2 x 2 block is one pixel of its grey level; the picture's bottom
  // row is not drawn and the margins keep the background.
  const Pixels fitted = ReadClient(host->hwnd());
  EXPECT_TRUE(viewtest::PixelsAre(fitted, 0, 25, 200, 124,
                                  [](int x, int y) { return viewtest::LevelColour(viewtest::BlockCount(x, y - 25)); }));
  EXPECT_TRUE(viewtest::PixelsAre(fitted, 0, 0, 200, 25, [](int, int) { return viewtest::Grey(255); }));
  EXPECT_TRUE(viewtest::PixelsAre(fitted, 0, 124, 200, 150, [](int, int) { return viewtest::Grey(255); }));

  // Hotspots at their fitted places (half the picture's coordinates, moved
  // by BildMitte); a marked one is framed there, across repaints too.
  const TavRect& field = record->Hotspots[0].ScreenRect;
  EXPECT_EQ(+field.left, 20);
  EXPECT_EQ(+field.top, 35);
  EXPECT_EQ(+field.right, 50);
  EXPECT_EQ(+field.bottom, 55);
  const TavRect& box = record->Hotspots[1].ScreenRect;
  EXPECT_EQ(+box.left, 150);
  EXPECT_EQ(+box.bottom, 100);
  TAVIMG_SetHotspotNr(host->hwnd(), 0, 1, record);
  const Pixels marked = ReadClient(host->hwnd());
  EXPECT_TRUE(viewtest::InvertedWhere(fitted, marked, viewtest::Area(20, 35, 50, 55)));
  InvalidateRect(host->hwnd(), nullptr, TRUE);
  EXPECT_EQ(host->Pump(), 1);
  EXPECT_TRUE(viewtest::InvertedWhere(fitted, ReadClient(host->hwnd()), viewtest::Area(20, 35, 50, 55)));
}

// Display mode 4: a 400 x 1200 picture in a window of 217 x 167, a drawing
// area of 200 x 150 beside the scroll bars. The whole width is shown from
// the top: 398 x 298 picture pixels.
TEST_F(ViewDisplay, FitToWidthScrollsVertically) {
  const std::string path = viewtest::WriteTiff("view_tall.tif", 400, 1200, viewtest::StripePicture(400, 1200));
  ASSERT_TRUE(MakeHost(0, 0, 217, 167));

  record = host->Load(path, "", 4, TAVIMG_FILE_TIFF);
  ASSERT_NE(record, nullptr);
  ASSERT_EQ(TAVIMG_UpdateBars(host->hwnd(), record), 1u);
  EXPECT_EQ(+record->Zoomed, 1);
  EXPECT_EQ(+record->PictureMode, 1);
  EXPECT_EQ(+record->ClientSize.x, 200);
  EXPECT_EQ(+record->ClientSize.y, 150);
  EXPECT_EQ(+record->ScrollPage.x, 398);
  EXPECT_EQ(+record->ScrollPage.y, 298);
  EXPECT_EQ(+record->ScrollRange.x, 0);
  EXPECT_EQ(+record->ScrollRange.y, 1200 - 298);
  EXPECT_EQ(+record->ScrollPos.y, 0);
  EXPECT_DOUBLE_EQ(TAVIMG_GetZoomFactor(record).x, 200.0 / 216);
  int low, high;
  host->ScrollRange(SB_VERT, &low, &high);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 902);
  RECT client = host->ClientRect();
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 150);

  // The stripe of picture row 100k + 5 lies at window row (100k + 5 - pos)
  // * 150 / 298, the middle between two stripes is white.
  auto expectSection = [&](int position) {
    host->Pump();
    const Pixels pixels = ReadClient(host->hwnd());
    for (int k = 0; k < 12; ++k) {
      const int stripe = 100 * k + 5 - position, gap = 100 * k + 55 - position;
      if (stripe >= 0 && stripe * 150 / 298 < 149) {
        EXPECT_EQ(pixels.at(100, stripe * 150 / 298), viewtest::Grey(0)) << "stripe " << k << " at " << position;
      }
      if (gap >= 0 && gap * 150 / 298 < 149) {
        EXPECT_EQ(pixels.at(100, gap * 150 / 298), viewtest::Grey(255)) << "gap " << k << " at " << position;
      }
    }
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
  EXPECT_EQ(+record->ScrollPos.y, 902);
  EXPECT_FALSE(host->HasInvalidArea());
  host->Send(WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0)); // no horizontal range
  host->Send(WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0));
  EXPECT_EQ(+record->ScrollPos.x, 0);
  EXPECT_FALSE(host->HasInvalidArea());
  EXPECT_EQ(host->Pump(), 0);
}

TEST_F(ViewDisplay, FitToWidthOfAShortPictureFallsBackToFitted) {
  const std::string path = viewtest::WriteTiff("view_short.tif", 400, 200, viewtest::BlockPicture(400, 200));
  ASSERT_TRUE(MakeHost(0, 0, 217, 167));

  record = host->Load(path, "", 4, TAVIMG_FILE_TIFF);
  ASSERT_NE(record, nullptr);
  TAVIMG_UpdateBars(host->hwnd(), record);
  EXPECT_EQ(+record->Zoomed, 0);
  EXPECT_EQ(+record->PictureMode, 2);
  EXPECT_EQ(+record->ScrollRange.y, 0);
  host->Pump();
  EXPECT_EQ(TAVIMG_GetBildMitte(record), (LONGLONG)25 << 32);
  EXPECT_TRUE(viewtest::PixelsAre(ReadClient(host->hwnd()), 0, 25, 200, 124,
                                  [](int x, int y) { return viewtest::LevelColour(viewtest::BlockCount(x, y - 25)); }));
}

} // namespace
