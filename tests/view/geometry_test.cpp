// View geometry on records alone (no window): fitting, zoom rectangles,
// scroll ranges after a resize, hotspot placement and the getters (whose
// refusals of records no slot holds are the slot suite's).
#include "view/view.h"
#include "hotspots/hotspots.h"

#include "frame_records.h"
#include "host_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

using viewtest::Sides;
using viewtest::XY;

// A record of a slot (the exports refuse records that no slot holds) with
// its defaults; window n only names the slot.
std::unique_ptr<FrameRecord> NewRecord(int n = 0) {
  auto record = std::make_unique<FrameRecord>(FrameFakeWindow(60 + n));
  EXPECT_NE(record->get(), nullptr);
  return record;
}

// A 1600 x 1200 picture fitted 1:4 into a 400 x 300 area, as after the first
// paint in display mode 1.
std::unique_ptr<FrameRecord> FittedRecord(int n = 0) {
  auto record = NewRecord(n);
  ImgStruct* r = record->get();
  r->DisplayMode = 1;
  r->PictureMode = 2;
  r->TIFFSize = TavPair{1600, 1200};
  r->ScaledClientSize = TavPair{400, 300};
  r->ClientSize = r->DrawSize = TavPair{400, 300};
  r->FitSize = TavDoublePair{400.0, 300.0};
  r->ZoomedShown = 1;
  return record;
}

TEST(ViewGeometry, FitKeepsTheAspectInsideTheArea) {
  struct Case {
    LONG cw, ch;
    double ratio, fitX, fitY;
  } cases[] = {
      {400, 300, 0.5, 400.0, 200.0},     // wider than the area: full width
      {400, 300, 0.9, 300 / 0.9, 300.0}, // taller than the area, though wider than high: full height
      {300, 400, 2.0, 200.0, 400.0},     // taller than the area: full height
      {100, 100, 0.75, 100.0, 75.0},     // a picture smaller than the area is enlarged
      {400, 300, 0.0, 0.0, 0.0},         // no picture size: nothing to fit
      {400, 300, std::numeric_limits<double>::infinity(), 0.0, 0.0},
  };
  auto record = NewRecord();
  for (const Case& c : cases) {
    (*record)->ClientSize = TavPair{c.cw, c.ch};
    FitPictureToView(record->get(), c.ratio);
    EXPECT_DOUBLE_EQ(+(*record)->FitSize.x, c.fitX) << c.cw << "x" << c.ch << " ratio " << c.ratio;
    EXPECT_DOUBLE_EQ(+(*record)->FitSize.y, c.fitY) << c.cw << "x" << c.ch << " ratio " << c.ratio;
  }
}

TEST(ViewGeometry, RefusedZoomsFallBackToAWholePicture) {
  // A band that starts beyond the shown picture is refused at once instead
  // of leaving a zoom waiting that never draws; in display mode 0 the
  // fallback is the DRF at its own size.
  auto beyond = FittedRecord();
  (*beyond)->ZoomedShown = 0;
  (*beyond)->DisplayMode = 4;
  (*beyond)->Zoomed = 2;
  (*beyond)->ZoomRect = TavRect{450, 10, 480, 40};
  ApplyZoomState(beyond->get());
  EXPECT_EQ(+(*beyond)->Zoomed, 0);
  EXPECT_EQ(+(*beyond)->PictureMode, 2);
  EXPECT_EQ(+(*beyond)->ZoomRect.right, 400); // clipped to the shown extent
  auto drf = FittedRecord(1);
  (*drf)->DisplayMode = 0;
  (*drf)->Zoomed = 2;
  (*drf)->ZoomRect = TavRect{0, 0, 400, 300}; // the whole picture: no zoom
  ApplyZoomState(drf->get());
  EXPECT_EQ(+(*drf)->Zoomed, 0);
  EXPECT_EQ(+(*drf)->PictureMode, 0);

  // Pictures without a TIFF part, a picture no larger than the area (it has
  // no 1:1 zoom to show), or degenerate scales: refused, and no field
  // receives a value made from a division by zero.
  const auto degenerate = {
      +[](ImgStruct* r) { r->TIFFSize = r->ScaledClientSize; },
      +[](ImgStruct* r) { r->TIFFSize = TavPair(); },
      +[](ImgStruct* r) { r->TIFFSize.y = 0; },
      +[](ImgStruct* r) { r->ScaledClientSize = TavPair(); },
      +[](ImgStruct* r) { r->ClientSize.y = 0; },
      +[](ImgStruct* r) { r->BildFactor.x = 0.0; },
      +[](ImgStruct* r) {
        r->ZoomedShown = 0;
        r->ZoomFactor.y = std::numeric_limits<double>::quiet_NaN();
      },
  };
  for (auto spoil : degenerate) {
    auto record = FittedRecord();
    ImgStruct* r = record->get();
    spoil(r);
    r->Zoomed = 2;
    r->ScrollPos = TavPair{7, 9};
    r->ZoomRect = TavRect{100, 75, 300, 225};
    EXPECT_EQ(ComputeZoomFromRect(r), 0);
    EXPECT_EQ(+r->Zoomed, 0);
    EXPECT_EQ(XY(r->ScrollPos), "7,9");
  }
}

// A zoom of 2 on a 1600 x 1200 picture in a 400 x 300 area (800 x 600
// picture pixels shown), then the window is resized.
TEST(ViewGeometry, ResizeKeepsTheScaleOfTheSection) {
  auto record = FittedRecord();
  ImgStruct* r = record->get();
  r->ZoomRect = TavRect{100, 75, 300, 225}; // the middle half
  ASSERT_EQ(ComputeZoomFromRect(r), 1);
  EXPECT_EQ(+r->ScrollPage.x, 800);
  EXPECT_EQ(+r->ScrollPos.x, 400);

  const std::pair<LONG, const char*> resizes[] = {
      {500, "drawn 500, page 1000,600, range 600 at 400, zoomed 800"},
      // Wider than the zoomed picture: all of its width is shown.
      {900, "drawn 800, page 1600,600, range 0 at 0, zoomed 800"},
      // Narrower again: scaled from the section saved at 500.
      {450, "drawn 450, page 900,600, range 700 at 0, zoomed 800"},
  };
  for (const auto& s : resizes) {
    r->PrevClientSize = TavDoublePair{double(r->ClientSize.x), double(r->ClientSize.y)};
    r->ClientSize = r->DrawSize = TavPair{s.first, 300};
    UpdateScrollRanges(nullptr, r, 1600, 1200);
    EXPECT_EQ("drawn " + std::to_string(r->DrawSize.x) + ", page " + XY(r->ScrollPage) + ", range " +
                  std::to_string(r->ScrollRange.x) + " at " + std::to_string(r->ScrollPos.x) + ", zoomed " +
                  std::to_string(r->ZoomedSize.x),
              s.second);
  }
  EXPECT_EQ(+r->PrevScrollPage.x, 1000);
  EXPECT_DOUBLE_EQ(+r->SavedClientSize.x, 500.0);
}

TEST(ViewGeometry, HotspotPlacement) {
  auto record = NewRecord();
  ImgStruct* r = record->get();
  r->HotspotCount = 2;
  r->Hotspots[0].PictureRect = TavRect{-3, 5, 7, 9};
  r->Hotspots[1].PictureRect = TavRect{100, 40, 200, 80};

  // The DRF at its own size: moved by ZoomStart and DRFSpotOffset, rounded
  // toward zero after adding one half.
  r->ZoomStart = TavPair{3, 4};
  r->DRFSpotOffset[0] = 10;
  r->DRFSpotOffset[1] = 20;
  ASSERT_EQ(PlaceHotspots(1.0, 1.0, r), 1u);
  EXPECT_EQ(Sides(r->Hotspots[0].ScreenRect), "11,29,20,33"); // -2 + 13, 5 + 24, 7 + 13, 9 + 24

  // The fitted view of a DRF over its TIFF: DRF coordinates are taken to
  // the TIFF's scale, then to the window's, then by the factor.
  r->PictureMode = 2;
  r->TiffShown = 1;
  r->TIFFSize = TavPair{1600, 1200};
  r->ScaledClientSize = TavPair{400, 300};
  r->DRFSize = TavPair{800, 600};
  r->BildMitte = TavPair{10, 5};
  ASSERT_EQ(TAVIMG_GetNewHotspotPositions(0.5, 0.5, r), 1u);
  const TavRect& b = r->Hotspots[1].ScreenRect;
  EXPECT_EQ(Sides(b), "35,15,60,25"); // 25 + 10, 10 + 5, 50 + 10, 20 + 5

  // A TIFF part of no size leaves the base scale at 1.
  r->TIFFSize = TavPair{0, 0};
  ASSERT_EQ(PlaceHotspots(1.0, 1.0, r), 1u);
  EXPECT_EQ(+b.right, 200 + 10);

  // A count beyond the table is held to the table; huge factors saturate.
  r->HotspotCount = 5000;
  r->BildMitte = TavPair{0, 0};
  EXPECT_EQ(TAVIMG_GetNewHotspotPositions(1e300, -1e300, r), 1u);
  EXPECT_EQ(+b.left, INT32_MAX);
  EXPECT_EQ(+b.top, INT32_MIN);

  // Without hotspots nothing is placed.
  r->HotspotCount = 0;
  EXPECT_EQ(TAVIMG_GetNewHotspotPositions(1.0, 1.0, r), 0u);
  EXPECT_EQ(+b.left, INT32_MAX);
}

TEST(ViewGeometry, GettersPackPairsLowHalfFirst) {
  auto record = NewRecord();
  ImgStruct* r = record->get();
  r->BildMitte = TavPair{-3, 7};
  r->ZoomStart = TavPair{5, -6};
  r->DRFSpotOffset[0] = -2;
  r->DRFSpotOffset[1] = 300;
  EXPECT_EQ(TAVIMG_GetBildMitte(r), static_cast<LONGLONG>(0x00000007FFFFFFFDull));
  EXPECT_EQ(TAVIMG_GetZoomStart(r), static_cast<LONGLONG>(0xFFFFFFFA00000005ull));
  EXPECT_EQ(TAVIMG_GetDRFSpotOffset(r), static_cast<LONGLONG>(0x0000012CFFFFFFFEull));

  // The graphics mode: what is shown, the TIFF before the DRF before a
  // zoomed view; none, -1.
  EXPECT_EQ(TAVIMG_GetGraphicsMode(r), -1);
  r->ZoomedShown = 1;
  EXPECT_EQ(TAVIMG_GetGraphicsMode(r), 4);
  r->DrfShown = 1;
  EXPECT_EQ(TAVIMG_GetGraphicsMode(r), 2);
  r->TiffShown = 1;
  EXPECT_EQ(TAVIMG_GetGraphicsMode(r), 1);
}

} // namespace
