// Hotspot frames on a real (stand-in) window, checked pixel by pixel: every
// frame is an inversion, so what is drawn can be told from what lay below.
#include "frame/frame.h"
#include "frame_pixels.h"
#include "frame_records.h"
#include "hotspots/hotspots.h"

#include <tavwin_test.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

const int kWidth = 64, kHeight = 48;

class HotspotFrames : public ::testing::Test {
protected:
  void SetUp() override {
    gdiBefore_ = tavwin::LiveGdiObjects();
    window_ = std::make_unique<FrameWindow>(kWidth, kHeight);
    ASSERT_NE(window_->hwnd(), nullptr);
    record_ = std::make_unique<FrameRecord>(window_->hwnd());
    ASSERT_NE(record_->get(), nullptr);
    (*record_)->ClientSize = {kWidth, kHeight};
    HDC dc = GetDC(window_->hwnd());
    FramePaintPattern(dc, RECT{0, 0, kWidth, kHeight});
    ReleaseDC(window_->hwnd(), dc);
    background_ = FrameTakeSnapshot(*window_);
  }
  void TearDown() override {
    record_.reset();
    window_.reset();
    EXPECT_EQ(tavwin::LiveGdiObjects(), gdiBefore_); // pens, regions and the brush all went
  }

  ImgStruct* record() const { return record_->get(); }
  HWND hwnd() const { return window_->hwnd(); }
  FrameSnapshot Shot() const { return FrameTakeSnapshot(*window_); }
  FrameInversion None() const { return FrameInversion(kWidth, kHeight); }

  long gdiBefore_ = 0;
  std::unique_ptr<FrameWindow> window_;
  std::unique_ptr<FrameRecord> record_;
  FrameSnapshot background_;
};

TEST_F(HotspotFrames, MarkingByNumberInvertsScreenRectOnePixelRightAndDownInPictureMode0) {
  FrameSetHotspots(record(), {{{10, 10, 20, 20}, "A", ""}, {{30, 5, 40, 25}, "B", ""}});
  ASSERT_EQ(FrameValue(record()->PictureMode), 0);
  EXPECT_EQ(TAVIMG_SetHotspotNr(hwnd(), 0, 1, record()), 1);
  FrameInversion expected = None();
  expected.AddRectangle(11, 11, 21, 21, 0, false);
  EXPECT_TRUE(FrameMatches(background_, expected, Shot()));
  EXPECT_EQ(FrameState(record(), 0), TAVIMG_ACTIVE_BIT | TAVIMG_MARKED_BIT | TAVIMG_DRAWN_BIT);

  // Drawing again finds the frame drawn and draws nothing.
  EXPECT_EQ(DrawMarkedHotspots(hwnd(), record(), 0), 1u);
  EXPECT_EQ(TAVIMG_SetHotspotNr(hwnd(), 0, 1, record()), 1);
  EXPECT_TRUE(FrameMatches(background_, expected, Shot()));

  // Erasing restores the window exactly; drawing again brings the frame back.
  EXPECT_EQ(DrawMarkedHotspots(hwnd(), record(), 1), 1u);
  EXPECT_TRUE(FrameMatches(background_, None(), Shot()));
  EXPECT_EQ(DrawMarkedHotspots(hwnd(), record(), 0), 1u);
  EXPECT_TRUE(FrameMatches(background_, expected, Shot()));
  EXPECT_EQ(TAVIMG_SetHotspotNr(hwnd(), 0, 0, record()), 1);
  EXPECT_TRUE(FrameMatches(background_, None(), Shot()));
  EXPECT_EQ(FrameState(record(), 0), TAVIMG_ACTIVE_BIT);
}

TEST_F(HotspotFrames, MarkingByNameFramesEveryEntryOfThatNameWithoutShiftInPictureMode2) {
  FrameSetHotspots(record(), {{{2, 2, 12, 8}, "X", ""}, {{20, 20, 30, 30}, "Y", ""}, {{40, 4, 50, 44}, "Y", ""}});
  record()->PictureMode = 2;
  EXPECT_EQ(TAVIMG_SetHotspot(hwnd(), "Y", 1, record()), 1);
  FrameInversion expected = None();
  expected.AddRectangle(20, 20, 30, 30, 0, false);
  expected.AddRectangle(40, 4, 50, 44, 0, false);
  EXPECT_TRUE(FrameMatches(background_, expected, Shot()));
  EXPECT_NE(FrameState(record(), 1) & TAVIMG_DRAWN_BIT, 0);

  // An inactive entry is neither drawn nor erased.
  EXPECT_EQ(TAVIMG_ActivateHotspotNr(0, 0, record()), 1);
  EXPECT_EQ(TAVIMG_SetAllHotspots(hwnd(), 1, record()), 1);
  EXPECT_TRUE(FrameMatches(background_, expected, Shot()));
  EXPECT_EQ(TAVIMG_SetAllHotspots(hwnd(), 0, record()), 1);
  EXPECT_TRUE(FrameMatches(background_, None(), Shot()));
}

TEST_F(HotspotFrames, HollowFramesInvertAnOutlineOfThePenWidth) {
  FrameSetHotspots(record(), {{{10, 10, 30, 24}, "A", ""}});
  record()->PictureMode = 1;
  ASSERT_EQ(TAVIMG_SetHotspotMode(TAVIMG_HOLLOW_FRAMES, 1, 0, 0, record()), 1);
  ASSERT_EQ(TAVIMG_SetHotspotNr(hwnd(), 0, 1, record()), 1);
  FrameInversion thin = None();
  thin.AddRectangle(10, 10, 30, 24, 1, true);
  EXPECT_TRUE(FrameMatches(background_, thin, Shot()));

  // A new mode takes the frame off and draws it again with the new pen.
  ASSERT_EQ(TAVIMG_SetHotspotMode(TAVIMG_HOLLOW_FRAMES, 2, 0, 0, record()), 1);
  FrameInversion wide = None();
  wide.AddRectangle(10, 10, 30, 24, 2, true);
  EXPECT_TRUE(FrameMatches(background_, wide, Shot()));
  ASSERT_EQ(TAVIMG_SetHotspotMode(0, 2, 0, 0, record()), 1); // solid again
  FrameInversion solid = None();
  solid.AddRectangle(10, 10, 30, 24, 2, false);
  EXPECT_TRUE(FrameMatches(background_, solid, Shot()));
}

TEST_F(HotspotFrames, ANewModeKeepsExactlyTheMarkedHotspotsMarkedAndDrawn) {
  FrameSetHotspots(
      record(),
      {{{2, 2, 10, 10}, "A", ""}, {{12, 2, 20, 10}, "B", ""}, {{22, 2, 30, 10}, "C", ""}, {{32, 2, 40, 10}, "D", ""}});
  record()->PictureMode = 2;
  ASSERT_EQ(TAVIMG_SetHotspotNr(hwnd(), 0, 1, record()), 1);
  ASSERT_EQ(TAVIMG_SetHotspotNr(hwnd(), 2, 1, record()), 1);
  ASSERT_EQ(TAVIMG_SetHotspotNr(hwnd(), 3, 1, record()), 1); // the last one selected
  LONG current = record()->CurrentHotspot;

  ASSERT_EQ(TAVIMG_SetHotspotMode(TAVIMG_HOLLOW_FRAMES, 2, 0, 0, record()), 1);
  FrameInversion expected = None();
  for (int i : {0, 2, 3}) {
    const TavRect& r = record()->Hotspots[i].ScreenRect;
    expected.AddRectangle(r.left, r.top, r.right, r.bottom, 2, true);
    EXPECT_EQ(FrameState(record(), i), TAVIMG_ACTIVE_BIT | TAVIMG_MARKED_BIT | TAVIMG_DRAWN_BIT) << i;
  }
  EXPECT_EQ(FrameState(record(), 1), TAVIMG_ACTIVE_BIT);
  EXPECT_TRUE(FrameMatches(background_, expected, Shot()));
  EXPECT_EQ(FrameValue(record()->CurrentHotspot), current);
}

TEST_F(HotspotFrames, APaintRedrawsTheFramesInsideItsBoxOnly) {
  FrameSetHotspots(record(), {{{4, 4, 30, 30}, "A", ""}, {{40, 30, 60, 44}, "B", ""}});
  record()->PictureMode = 2;
  ASSERT_EQ(TAVIMG_SetHotspotMode(TAVIMG_HOLLOW_FRAMES, 2, 0, 0, record()), 1);
  ASSERT_EQ(TAVIMG_SetAllHotspots(hwnd(), 1, record()), 1);
  FrameSnapshot framed = Shot();

  // The box cuts frame A and misses frame B; the paint draws the picture
  // over the old frames, then the frames again.
  RECT box = {10, 0, 36, 20};
  InvalidateRect(hwnd(), &box, FALSE);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd(), &paint);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(paint.rcPaint.left, box.left);
  EXPECT_EQ(paint.rcPaint.bottom, box.bottom);
  FramePaintPattern(dc, paint.rcPaint);
  EXPECT_EQ(PaintMarkedHotspots(record(), dc, &paint.rcPaint), 1u);
  EndPaint(hwnd(), &paint);
  EXPECT_TRUE(FrameMatches(framed, None(), Shot()));

  // A host's own device context, clipped to a box: nothing outside it changes.
  dc = GetDC(hwnd());
  RECT hostBox = {0, 20, 64, 48};
  FramePaintPattern(dc, hostBox);
  HRGN clip = CreateRectRgnIndirect(&hostBox);
  SelectClipRgn(dc, clip);
  EXPECT_EQ(PaintMarkedHotspots(record(), dc, &hostBox), 1u);
  ReleaseDC(hwnd(), dc);
  DeleteObject(clip);
  EXPECT_TRUE(FrameMatches(framed, None(), Shot()));

  EXPECT_EQ(PaintMarkedHotspots(nullptr, dc, &box), 0u);
  TAVIMG_SetHotspotCount(record(), 0);
  EXPECT_EQ(PaintMarkedHotspots(record(), dc, &box), 0u);
  EXPECT_EQ(DrawMarkedHotspots(hwnd(), record(), 0), 0u);
}

TEST_F(HotspotFrames, FramesStayInsideTheDrawingArea) {
  FrameSetHotspots(record(), {{{20, 20, 60, 40}, "A", ""}});
  record()->PictureMode = 2;
  record()->ClientSize = {30, 30};
  ASSERT_EQ(TAVIMG_SetHotspotNr(hwnd(), 0, 1, record()), 1);
  FrameInversion expected = None();
  expected.AddRectangle(20, 20, 30, 30, 0, false);
  EXPECT_TRUE(FrameMatches(background_, expected, Shot()));
  ASSERT_EQ(TAVIMG_SetAllHotspots(hwnd(), 0, record()), 1);
  EXPECT_TRUE(FrameMatches(background_, None(), Shot()));
}

} // namespace
