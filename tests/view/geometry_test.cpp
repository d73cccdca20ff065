// View geometry on records alone (no window): fitting, zoom rectangles,
// scroll ranges after a resize, hotspot placement and the getters.
#include "view/view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

// A record held by a slot of a window that only names it (the exports
// refuse records that no slot holds), with the defaults the geometry relies
// on; the slot is freed with the pointer.
struct SlotRelease {
  HWND window;
  void operator()(ImgStruct* record) const { TAVIMG_UnloadPicture(window, record); }
};
using Record = std::unique_ptr<ImgStruct, SlotRelease>;

Record NewRecord() {
  static uintptr_t next = 0x7B000000;
  next += 0x10;
  const HWND window = reinterpret_cast<HWND>(next);
  Record record(TAVIMG_GetImgStruct(window), SlotRelease{window});
  EXPECT_NE(record, nullptr);
  record->ZoomFactor = TavDoublePair{1.0, 1.0};
  record->BildFactor = TavDoublePair{1.0, 1.0};
  record->HoverHotspot = TAVIMG_NO_HOTSPOT;
  return record;
}

// A 1600 x 1200 picture fitted 1:4 into a 400 x 300 area, as after the first
// paint in display mode 1.
Record FittedRecord() {
  auto record = NewRecord();
  record->DisplayMode = 1;
  record->PictureMode = 2;
  record->TIFFSize = TavPair{1600, 1200};
  record->ScaledClientSize = TavPair{400, 300};
  record->ClientSize = record->DrawSize = TavPair{400, 300};
  record->FitSize = TavDoublePair{400.0, 300.0};
  record->ZoomedShown = 1;
  return record;
}

LONG Low(LONGLONG pair) {
  return static_cast<LONG>(static_cast<uint32_t>(pair));
}
LONG High(LONGLONG pair) {
  return static_cast<LONG>(static_cast<uint64_t>(pair) >> 32);
}

TEST(ViewGeometry, ConversionsNeverLeaveTheLongRange) {
  EXPECT_EQ(TruncToLong(-2.5), -2);
  EXPECT_EQ(TruncToLong(2.999), 2);
  EXPECT_EQ(NearToLong(-2.5), -2); // trunc(-2.0)
  EXPECT_EQ(NearToLong(-3.0), -2); // trunc(-2.5)
  EXPECT_EQ(TruncToLong(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(TruncToLong(std::numeric_limits<double>::infinity()), INT32_MAX);
  EXPECT_EQ(TruncToLong(-1e300), INT32_MIN);
  EXPECT_EQ(ClampToLong(1LL << 40), INT32_MAX);
  EXPECT_EQ(Quotient(5.0, 0.0), 0.0);
  EXPECT_EQ(ClampScroll(-5, 10), 0);
  EXPECT_EQ(ClampScroll(40000, 10), 10);
  EXPECT_EQ(ClampScroll(5, -3), 0);
}

TEST(ViewGeometry, FitKeepsTheAspectInsideTheArea) {
  struct Case {
    LONG cw, ch;
    double ratio, fitX, fitY;
  } cases[] = {
      {400, 300, 0.5, 400.0, 200.0}, // wide picture, wide area: full width
      {400, 300, 2.0, 150.0, 300.0}, // tall picture, wide area: full height
      {300, 400, 2.0, 200.0, 400.0}, // tall picture, tall area: full height
      {300, 400, 0.5, 300.0, 150.0}, // wide picture, tall area: full width
      {100, 100, 0.75, 100.0, 75.0}, // a picture smaller than the area is enlarged
      {400, 300, 0.0, 0.0, 0.0},     // no picture size: nothing to fit
      {400, 300, std::numeric_limits<double>::infinity(), 0.0, 0.0},
  };
  for (const Case& c : cases) {
    auto record = NewRecord();
    record->ClientSize = TavPair{c.cw, c.ch};
    FitPictureToView(record.get(), c.ratio);
    EXPECT_DOUBLE_EQ(+record->FitSize.x, c.fitX) << c.cw << "x" << c.ch << " ratio " << c.ratio;
    EXPECT_DOUBLE_EQ(+record->FitSize.y, c.fitY) << c.cw << "x" << c.ch << " ratio " << c.ratio;
  }
}

// The fit-to-width rectangle of display mode 4: a 1000 x 2000 picture in a
// window of 417 x 317 (a drawing area of 400 x 300 beside the scroll bars).
TEST(ViewGeometry, FitToWidthShowsTheWholeWidthFromTheTop) {
  auto record = NewRecord();
  record->DisplayMode = 4;
  record->PictureMode = 2;
  record->Zoomed = 2;
  record->TIFFSize = TavPair{1000, 2000};
  record->ScaledClientSize = TavPair{417, 834};
  record->ClientSize = record->DrawSize = TavPair{400, 300};
  record->ZoomRect = TavRect{1, 0, 417, 10};
  record->MinHScrollRange = 4; // trunc((1 - 416 / 417) * 1000) + 2

  ApplyZoomState(record.get());
  EXPECT_EQ(+record->Zoomed, 1);
  EXPECT_EQ(+record->PictureMode, 1);
  EXPECT_DOUBLE_EQ(+record->ZoomFactor.x, 400.0 / 416);
  EXPECT_DOUBLE_EQ(+record->ZoomFactor.y, 300.0 / 312);
  EXPECT_EQ(+record->ScrollPage.x, 998);
  EXPECT_EQ(+record->ScrollPage.y, 748);
  EXPECT_EQ(+record->ScrollRange.x, 0); // 2 picture pixels are not worth a scroll bar
  EXPECT_EQ(+record->ScrollRange.y, 2000 - 748);
  EXPECT_EQ(+record->ScrollPos.x, 0); // 2 before the position was brought into the range
  EXPECT_EQ(+record->ScrollPos.y, 0);
  EXPECT_EQ(+record->ZoomOrigin[0], 2);
  EXPECT_EQ(+record->ZoomOrigin[2], 2);
  EXPECT_EQ(+record->ZoomOrigin[1], 0);
}

TEST(ViewGeometry, BandOnTheFittedPictureAndASecondBandZoomFurther) {
  auto record = FittedRecord();
  record->ZoomRect = TavRect{100, 75, 300, 225}; // the middle half
  ASSERT_EQ(ComputeZoomFromRect(record.get()), 1);
  EXPECT_DOUBLE_EQ(+record->ZoomFactor.x, 2.0);
  EXPECT_DOUBLE_EQ(+record->ZoomFactor.y, 2.0);
  EXPECT_EQ(+record->ScrollPage.x, 800);
  EXPECT_EQ(+record->ScrollPage.y, 600);
  EXPECT_EQ(+record->ScrollRange.x, 800);
  EXPECT_EQ(+record->ScrollRange.y, 600);
  EXPECT_EQ(+record->ScrollPos.x, 400);
  EXPECT_EQ(+record->ScrollPos.y, 300);
  EXPECT_EQ(+record->ZoomedShown, 0);
  EXPECT_EQ(+record->PictureMode, 1);

  // Scrolled 100 picture pixels to the right, a band of 100 x 75 window
  // pixels: widened to the 1:1 limit around its centre.
  record->ScrollPos.x = 500;
  record->ZoomRect = TavRect{200, 150, 300, 225};
  ASSERT_EQ(ComputeZoomFromRect(record.get()), 1);
  EXPECT_DOUBLE_EQ(+record->ZoomFactor.x, 4.0);
  EXPECT_DOUBLE_EQ(+record->ZoomFactor.y, 4.0);
  EXPECT_EQ(+record->ScrollPage.x, 400);
  EXPECT_EQ(+record->ScrollPage.y, 300);
  EXPECT_EQ(+record->ScrollRange.x, 1200);
  EXPECT_EQ(+record->ScrollRange.y, 900);
  EXPECT_EQ(+record->ScrollPos.x, 800); // centre 1000 - 200
  EXPECT_EQ(+record->ScrollPos.y, 525); // centre 675 - 150
  EXPECT_EQ(+record->ZoomOrigin[0], 800);
  EXPECT_EQ(+record->ZoomOrigin[3], 525);
}

TEST(ViewGeometry, TinyBandBecomesOneToOneOrIsRefused) {
  auto record = FittedRecord();
  record->TIFFSize = TavPair{800, 600};
  record->ZoomRect = TavRect{100, 100, 101, 101};
  ASSERT_EQ(ComputeZoomFromRect(record.get()), 1);
  EXPECT_DOUBLE_EQ(+record->ZoomFactor.x, 2.0); // TIFFSize width / ScaledClientSize width
  EXPECT_EQ(+record->ScrollPage.x, 400);
  EXPECT_EQ(+record->ScrollPos.x, 1);  // centre 201 - 200
  EXPECT_EQ(+record->ScrollPos.y, 51); // centre 201 - 150

  // A picture no larger than the area has no 1:1 zoom to show.
  auto small = FittedRecord();
  small->TIFFSize = TavPair{400, 300};
  small->ZoomRect = TavRect{100, 100, 101, 101};
  small->Zoomed = 2;
  EXPECT_EQ(ComputeZoomFromRect(small.get()), 0);
  EXPECT_EQ(+small->Zoomed, 0);
  EXPECT_EQ(+small->PictureMode, 2);
}

TEST(ViewGeometry, RefusedZoomsFallBackToAWholePicture) {
  // A band that starts beyond the shown picture is refused at once instead
  // of leaving a zoom waiting that never draws.
  auto beyond = FittedRecord();
  beyond->ZoomedShown = 0;
  beyond->DisplayMode = 4;
  beyond->Zoomed = 2;
  beyond->ZoomRect = TavRect{450, 10, 480, 40};
  ApplyZoomState(beyond.get());
  EXPECT_EQ(+beyond->Zoomed, 0);
  EXPECT_EQ(+beyond->PictureMode, 2);
  EXPECT_EQ(+beyond->ZoomRect.right, 400); // clipped to the shown extent

  // In display mode 0 the fallback is the DRF at its own size.
  auto drf = FittedRecord();
  drf->DisplayMode = 0;
  drf->Zoomed = 2;
  drf->ZoomRect = TavRect{0, 0, 400, 300}; // the whole picture: no zoom
  ApplyZoomState(drf.get());
  EXPECT_EQ(+drf->Zoomed, 0);
  EXPECT_EQ(+drf->PictureMode, 0);

  // Pictures without a TIFF part, or degenerate scales: refused, and no
  // field receives a value made from a division by zero.
  const auto degenerate = {
      +[](ImgStruct* r) {
        r->TIFFSize = TavPair{0, 0};
      },
      +[](ImgStruct* r) { r->TIFFSize.y = 0; },
      +[](ImgStruct* r) {
        r->ScaledClientSize = TavPair{0, 0};
      },
      +[](ImgStruct* r) { r->ClientSize.y = 0; },
      +[](ImgStruct* r) { r->BildFactor.x = 0.0; },
      +[](ImgStruct* r) {
        r->ZoomedShown = 0;
        r->ZoomFactor.y = std::numeric_limits<double>::quiet_NaN();
      },
  };
  for (auto spoil : degenerate) {
    auto record = FittedRecord();
    spoil(record.get());
    record->Zoomed = 2;
    record->ScrollPos = TavPair{7, 9};
    record->ZoomRect = TavRect{100, 75, 300, 225};
    EXPECT_EQ(ComputeZoomFromRect(record.get()), 0);
    EXPECT_EQ(+record->Zoomed, 0);
    EXPECT_EQ(+record->ScrollPos.x, 7);
    EXPECT_EQ(+record->ScrollPos.y, 9);
  }
}

// A zoom of 2 on a 1600 x 1200 picture in a 400 x 300 area (800 x 600
// picture pixels shown), then the window is resized.
TEST(ViewGeometry, ResizeKeepsTheScaleOfTheSection) {
  auto record = FittedRecord();
  record->ZoomRect = TavRect{100, 75, 300, 225};
  ASSERT_EQ(ComputeZoomFromRect(record.get()), 1);

  auto resize = [&](LONG width) {
    record->PrevClientSize = TavDoublePair{double(record->ClientSize.x), double(record->ClientSize.y)};
    record->ClientSize = record->DrawSize = TavPair{width, 300};
    UpdateScrollRanges(nullptr, record.get(), 1600, 1200);
  };
  resize(500);
  EXPECT_EQ(+record->ZoomedSize.x, 800);
  EXPECT_EQ(+record->ScrollPage.x, 1000);
  EXPECT_EQ(+record->ScrollRange.x, 600);
  EXPECT_EQ(+record->ScrollPage.y, 600);
  EXPECT_EQ(+record->ScrollRange.y, 600);
  EXPECT_EQ(+record->ScrollPos.x, 400);

  resize(900); // wider than the zoomed picture: all of its width is shown
  EXPECT_EQ(+record->DrawSize.x, 800);
  EXPECT_EQ(+record->ScrollPage.x, 1600);
  EXPECT_EQ(+record->ScrollRange.x, 0);
  EXPECT_EQ(+record->ScrollPos.x, 0);
  EXPECT_EQ(+record->PrevScrollPage.x, 1000);
  EXPECT_DOUBLE_EQ(+record->SavedClientSize.x, 500.0);

  resize(450); // narrower again: scaled from the section saved at 500
  EXPECT_EQ(+record->ScrollPage.x, 900);
  EXPECT_EQ(+record->ScrollRange.x, 700);
}

TEST(ViewGeometry, ScrollRangesWithoutAnEarlierAreaKeepTheSection) {
  auto record = FittedRecord();
  record->ZoomRect = TavRect{100, 75, 300, 225};
  ASSERT_EQ(ComputeZoomFromRect(record.get()), 1);
  record->PrevClientSize = TavDoublePair{0.0, 0.0}; // never resized
  UpdateScrollRanges(nullptr, record.get(), 1600, 1200);
  EXPECT_EQ(+record->ScrollPage.x, 800);
  EXPECT_EQ(+record->ScrollPage.y, 600);
  EXPECT_EQ(+record->ScrollRange.x, 800);
  EXPECT_EQ(+record->ScrollRange.y, 600);
}

TEST(ViewGeometry, HotspotPlacement) {
  auto record = NewRecord();
  record->HotspotCount = 2;
  record->Hotspots[0].PictureRect = TavRect{-3, 5, 7, 9};
  record->Hotspots[1].PictureRect = TavRect{100, 40, 200, 80};

  // The DRF at its own size: moved by ZoomStart and DRFSpotOffset, rounded
  // toward zero after adding one half.
  record->PictureMode = 0;
  record->ZoomStart = TavPair{3, 4};
  record->DRFSpotOffset[0] = 10;
  record->DRFSpotOffset[1] = 20;
  ASSERT_EQ(PlaceHotspots(1.0, 1.0, record.get()), 1u);
  const TavRect& a = record->Hotspots[0].ScreenRect;
  EXPECT_EQ(+a.left, -2 + 13);
  EXPECT_EQ(+a.top, 5 + 24);
  EXPECT_EQ(+a.right, 7 + 13);
  EXPECT_EQ(+a.bottom, 9 + 24);

  // The fitted view of a DRF over its TIFF: DRF coordinates are taken to
  // the TIFF's scale, then to the window's, then by the factor.
  record->PictureMode = 2;
  record->TiffShown = 1;
  record->TIFFSize = TavPair{1600, 1200};
  record->ScaledClientSize = TavPair{400, 300};
  record->DRFSize = TavPair{800, 600};
  record->BildMitte = TavPair{10, 5};
  ASSERT_EQ(TAVIMG_GetNewHotspotPositions(0.5, 0.5, record.get()), 1u);
  const TavRect& b = record->Hotspots[1].ScreenRect;
  EXPECT_EQ(+b.left, 25 + 10);
  EXPECT_EQ(+b.top, 10 + 5);
  EXPECT_EQ(+b.right, 50 + 10);
  EXPECT_EQ(+b.bottom, 20 + 5);

  // A TIFF part of no size leaves the base scale at 1.
  record->TIFFSize = TavPair{0, 0};
  ASSERT_EQ(PlaceHotspots(1.0, 1.0, record.get()), 1u);
  EXPECT_EQ(+record->Hotspots[1].ScreenRect.right, 200 + 10);
}

TEST(ViewGeometry, HotspotPlacementRefusals) {
  EXPECT_EQ(TAVIMG_GetNewHotspotPositions(1.0, 1.0, nullptr), 0u);
  auto record = NewRecord();
  record->Hotspots[0].ScreenRect = TavRect{1, 2, 3, 4};
  record->Hotspots[0].PictureRect = TavRect{10, 20, 30, 40};
  EXPECT_EQ(TAVIMG_GetNewHotspotPositions(1.0, 1.0, record.get()), 0u);
  EXPECT_EQ(+record->Hotspots[0].ScreenRect.left, 1); // untouched without hotspots

  // A count beyond the table is held to the table; huge factors saturate.
  record->HotspotCount = 5000;
  EXPECT_EQ(TAVIMG_GetNewHotspotPositions(1e300, -1e300, record.get()), 1u);
  EXPECT_EQ(+record->Hotspots[0].ScreenRect.left, INT32_MAX);
  EXPECT_EQ(+record->Hotspots[0].ScreenRect.top, INT32_MIN);
}

TEST(ViewGeometry, DrawSizeFollowsTheZoomedPicture) {
  auto record = NewRecord();
  record->ScaledClientSize = TavPair{400, 300};
  record->ClientSize = TavPair{400, 300};
  record->DrawSize = TavPair{100, 300};
  record->ZoomFactor = TavDoublePair{0.5, 3.0};
  UpdateDrawSize(record.get());
  EXPECT_EQ(+record->ZoomedSize.x, 200);
  EXPECT_EQ(+record->DrawSize.x, 200);
  EXPECT_EQ(+record->ZoomedSize.y, 0); // DrawSize already reached the area: left
  EXPECT_EQ(+record->DrawSize.y, 300);
}

TEST(ViewGeometry, GettersOfANullOrForeignRecordAnswerMinusOne) {
  // A record that no slot holds (here one of the host's own making) is
  // treated as no record.
  auto foreign = std::make_unique<ImgStruct>();
  foreign->HotspotCount = 1;
  for (ImgStruct* record : {static_cast<ImgStruct*>(nullptr), foreign.get()}) {
    EXPECT_EQ(TAVIMG_GetDRFSize(record), -1);
    EXPECT_EQ(TAVIMG_GetTIFFSize(record), -1);
    EXPECT_EQ(TAVIMG_GetScaledClientSize(record), -1);
    EXPECT_EQ(TAVIMG_GetBildMitte(record), -1);
    EXPECT_EQ(TAVIMG_GetZoomStart(record), -1);
    EXPECT_EQ(TAVIMG_GetDRFSpotOffset(record), -1);
    EXPECT_EQ(TAVIMG_GetPictureMode(record), -1);
    EXPECT_EQ(TAVIMG_GetGraphicsMode(record), -1);
    TAVIMG_SetZoomMode(record);
    EXPECT_EQ(TAVIMG_InZoomAction(record), 0u);
    EXPECT_EQ(TAVIMG_RecalcLayout(nullptr, record), 0);
    EXPECT_EQ(TAVIMG_UpdateBars(nullptr, record), 0u);
    EXPECT_EQ(TAVIMG_GetNewHotspotPositions(1.0, 1.0, record), 0u);
    EXPECT_EQ(TAVIMG_OnMessage(nullptr, WM_PAINT, 0, 0, record), 0u);
    EXPECT_EQ(TAVIMG_RedrawPicture(nullptr, record), 0u);
    EXPECT_EQ(TAVIMG_OnDraw(nullptr, record, nullptr), 0u);
    EXPECT_EQ(TAVIMG_DisplayPicture(nullptr, record, 1), 0u);
    EXPECT_EQ(TAVIMG_MAIN(5, record, nullptr, 0, 0, 0), 0);
    TavDoublePair zoom = TAVIMG_GetZoomFactor(record);
    TavDoublePair fit = TAVIMG_GetBildFactor(record);
    EXPECT_EQ(zoom.x, -1.0);
    EXPECT_EQ(zoom.y, -1.0);
    EXPECT_EQ(fit.x, -1.0);
    EXPECT_EQ(fit.y, -1.0);
  }
  EXPECT_EQ(+foreign->InZoomAction, 0);
  EXPECT_EQ(+foreign->DisplayMode, 0u);
}

TEST(ViewGeometry, GettersPackPairsAndModes) {
  auto record = NewRecord();
  record->DRFSize = TavPair{640, 480};
  record->TIFFSize = TavPair{1728, 2200};
  record->ScaledClientSize = TavPair{417, 531};
  record->BildMitte = TavPair{-3, 7};
  record->ZoomStart = TavPair{5, -6};
  record->DRFSpotOffset[0] = -2;
  record->DRFSpotOffset[1] = 300;
  record->PictureMode = -5;
  record->ZoomFactor = TavDoublePair{0.25, 4.5};
  record->BildFactor = TavDoublePair{0.5, 0.75};

  EXPECT_EQ(Low(TAVIMG_GetDRFSize(record.get())), 640);
  EXPECT_EQ(High(TAVIMG_GetDRFSize(record.get())), 480);
  EXPECT_EQ(Low(TAVIMG_GetTIFFSize(record.get())), 1728);
  EXPECT_EQ(High(TAVIMG_GetTIFFSize(record.get())), 2200);
  EXPECT_EQ(High(TAVIMG_GetScaledClientSize(record.get())), 531);
  EXPECT_EQ(TAVIMG_GetBildMitte(record.get()), static_cast<LONGLONG>(0x00000007FFFFFFFDull));
  EXPECT_EQ(Low(TAVIMG_GetZoomStart(record.get())), 5);
  EXPECT_EQ(High(TAVIMG_GetZoomStart(record.get())), -6);
  EXPECT_EQ(Low(TAVIMG_GetDRFSpotOffset(record.get())), -2);
  EXPECT_EQ(High(TAVIMG_GetDRFSpotOffset(record.get())), 300);
  EXPECT_EQ(TAVIMG_GetPictureMode(record.get()), -5);
  EXPECT_EQ(TAVIMG_GetZoomFactor(record.get()).y, 4.5);
  EXPECT_EQ(TAVIMG_GetBildFactor(record.get()).x, 0.5);

  EXPECT_EQ(TAVIMG_GetGraphicsMode(record.get()), -1);
  record->ZoomedShown = 1;
  EXPECT_EQ(TAVIMG_GetGraphicsMode(record.get()), 4);
  record->DrfShown = 1;
  EXPECT_EQ(TAVIMG_GetGraphicsMode(record.get()), 2);
  record->TiffShown = 1;
  EXPECT_EQ(TAVIMG_GetGraphicsMode(record.get()), 1);

  EXPECT_EQ(TAVIMG_InZoomAction(record.get()), 0u);
  TAVIMG_SetZoomMode(record.get());
  EXPECT_EQ(TAVIMG_InZoomAction(record.get()), 1u);
}

} // namespace
