// Hotspot frames on a real (stand-in) window, checked pixel by pixel: every
// frame is an inversion, so what is drawn can be told from what lay below.
#include "core/core.h"
#include "frame_records.h"
#include "hotspots/hotspots.h"
#include "pixel_checks.h"

#include <tavwin_test.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

using viewtest::InvertedWhere;
using viewtest::Inverts;

// A background in which every pixel differs from its inversion.
void PaintPattern(HDC dc, const RECT& area) {
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      SetPixel(dc, x, y, RGB((x * 7) & 0xFF, (y * 5) & 0xFF, 0x30 + ((x + 3 * y) & 0x7F)));
}

// A 64 x 48 host window showing the pattern, nothing left to paint, and its
// record; all GDI objects are given back at the end.
class HotspotFrames : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(window_.hwnd(), nullptr);
    ValidateRect(hwnd(), nullptr); // the tests paint themselves
    ASSERT_NE(record(), nullptr);
    record()->ClientSize = {64, 48};
    HDC dc = GetDC(hwnd());
    PaintPattern(dc, RECT{0, 0, 64, 48});
    ReleaseDC(hwnd(), dc);
    background_ = Shot();
  }
  void TearDown() override {
    record_.reset();
    EXPECT_EQ(tavwin::LiveGdiObjects(), gdiBefore_); // pens, regions and the brush all went
  }

  ImgStruct* record() const { return record_->get(); }
  HWND hwnd() const { return window_.hwnd(); }
  viewtest::Pixels Shot() const { return viewtest::ReadClient(hwnd()); }
  // The window shows the background inverted where region says.
  ::testing::AssertionResult Shows(const viewtest::Region& region) const {
    return InvertedWhere(background_, Shot(), region);
  }

  long gdiBefore_ = tavwin::LiveGdiObjects();
  viewtest::HostWindow window_{0, 0, 64, 48};
  std::unique_ptr<FrameRecord> record_ = std::make_unique<FrameRecord>(window_.hwnd());
  viewtest::Pixels background_;
};

TEST_F(HotspotFrames, MarkingByNumberInvertsScreenRectOnePixelRightAndDownInPictureMode0) {
  FrameSetHotspots(record(), {{{10, 10, 20, 20}, "A", ""}, {{30, 5, 40, 25}, "B", ""}});
  ASSERT_EQ(+record()->PictureMode, 0);
  const auto framed = Inverts({{11, 11, 21, 21}}), none = Inverts({});
  EXPECT_EQ(TAVIMG_SetHotspotNr(hwnd(), 0, 1, record()), 1);
  EXPECT_TRUE(Shows(framed));
  EXPECT_EQ(FrameState(record(), 0), TAVIMG_ACTIVE_BIT | TAVIMG_MARKED_BIT | TAVIMG_DRAWN_BIT);

  // Drawing again finds the frame drawn and draws nothing.
  EXPECT_EQ(DrawMarkedHotspots(hwnd(), record(), 0), 1u);
  EXPECT_EQ(TAVIMG_SetHotspotNr(hwnd(), 0, 1, record()), 1);
  EXPECT_TRUE(Shows(framed));

  // Erasing restores the window exactly; drawing again brings the frame back.
  EXPECT_EQ(DrawMarkedHotspots(hwnd(), record(), 1), 1u);
  EXPECT_TRUE(Shows(none));
  EXPECT_EQ(DrawMarkedHotspots(hwnd(), record(), 0), 1u);
  EXPECT_TRUE(Shows(framed));
  EXPECT_EQ(TAVIMG_SetHotspotNr(hwnd(), 0, 0, record()), 1);
  EXPECT_TRUE(Shows(none));
  EXPECT_EQ(FrameState(record(), 0), TAVIMG_ACTIVE_BIT);
}

TEST_F(HotspotFrames, MarkingByNameFramesEveryEntryOfThatNameUnshiftedAndClippedInPictureMode2) {
  FrameSetHotspots(record(), {{{2, 2, 12, 8}, "X", ""}, {{20, 20, 30, 30}, "Y", ""}, {{40, 4, 50, 44}, "Y", ""}});
  record()->PictureMode = 2;
  EXPECT_EQ(TAVIMG_SetHotspot(hwnd(), "Y", 1, record()), 1);
  const auto framed = Inverts({{20, 20, 30, 30}, {40, 4, 50, 44}});
  EXPECT_TRUE(Shows(framed));
  EXPECT_NE(FrameState(record(), 1) & TAVIMG_DRAWN_BIT, 0);

  // An inactive entry is neither drawn nor erased.
  EXPECT_EQ(TAVIMG_ActivateHotspotNr(0, 0, record()), 1);
  EXPECT_EQ(TAVIMG_SetAllHotspots(hwnd(), 1, record()), 1);
  EXPECT_TRUE(Shows(framed));
  EXPECT_EQ(TAVIMG_SetAllHotspots(hwnd(), 0, record()), 1);
  EXPECT_TRUE(Shows(Inverts({})));

  // Frames stay inside the drawing area.
  record()->ClientSize = {45, 40};
  EXPECT_EQ(TAVIMG_SetHotspot(hwnd(), "Y", 1, record()), 1);
  EXPECT_TRUE(Shows(Inverts({{20, 20, 30, 30}, {40, 4, 45, 40}})));
}

// Each new mode takes the frames off and draws them again with its pen,
// keeping exactly the marked hotspots marked and drawn.
TEST_F(HotspotFrames, ANewModeRedrawsTheMarkedFramesWithItsPen) {
  FrameSetHotspots(
      record(),
      {{{2, 2, 10, 10}, "A", ""}, {{12, 2, 20, 10}, "B", ""}, {{22, 2, 30, 10}, "C", ""}, {{32, 12, 60, 30}, "D", ""}});
  record()->PictureMode = 2;
  for (DWORD i : {0, 2, 3})
    ASSERT_EQ(TAVIMG_SetHotspotNr(hwnd(), i, 1, record()), 1);
  const LONG current = record()->CurrentHotspot; // the last one selected
  const int framed = TAVIMG_ACTIVE_BIT | TAVIMG_MARKED_BIT | TAVIMG_DRAWN_BIT;
  struct Mode {
    DWORD mode;
    LONG pen;
    bool hollow;
  } const modes[] = {{TAVIMG_HOLLOW_FRAMES, 1, true}, {TAVIMG_HOLLOW_FRAMES, 2, true}, {0, 2, false}};
  for (const Mode& m : modes) {
    ASSERT_EQ(TAVIMG_SetHotspotMode(m.mode, m.pen, 0, 0, record()), 1);
    EXPECT_EQ(FrameStates(record(), 4), (std::vector<int>{framed, TAVIMG_ACTIVE_BIT, framed, framed}));
    EXPECT_TRUE(Shows(Inverts({{2, 2, 10, 10}, {22, 2, 30, 10}, {32, 12, 60, 30}}, m.hollow, m.pen)))
        << m.mode << " pen " << m.pen;
  }
  EXPECT_EQ(+record()->CurrentHotspot, current);
}

TEST_F(HotspotFrames, APaintRedrawsTheFramesInsideItsBoxOnly) {
  FrameSetHotspots(record(), {{{4, 4, 30, 30}, "A", ""}, {{40, 30, 60, 44}, "B", ""}});
  record()->PictureMode = 2;
  ASSERT_EQ(TAVIMG_SetHotspotMode(TAVIMG_HOLLOW_FRAMES, 2, 0, 0, record()), 1);
  ASSERT_EQ(TAVIMG_SetAllHotspots(hwnd(), 1, record()), 1);
  const viewtest::Pixels framed = Shot();
  // An entry beyond the count is never drawn, whatever its state.
  record()->Hotspots[2] = record()->Hotspots[0];
  record()->Hotspots[2].ScreenRect = TavRect{12, 2, 20, 10};

  // The box cuts frame A and misses frame B; the paint draws the picture
  // over the old frames, then the frames again.
  RECT box = {10, 0, 36, 20};
  InvalidateRect(hwnd(), &box, FALSE);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd(), &paint);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(paint.rcPaint.left, box.left);
  EXPECT_EQ(paint.rcPaint.bottom, box.bottom);
  PaintPattern(dc, paint.rcPaint);
  EXPECT_EQ(PaintMarkedHotspots(record(), dc, &paint.rcPaint), 1u);
  EndPaint(hwnd(), &paint);
  EXPECT_TRUE(InvertedWhere(framed, Shot(), Inverts({})));

  // A host's own device context, clipped to a box: nothing outside it changes.
  dc = GetDC(hwnd());
  RECT hostBox = {0, 20, 64, 48};
  PaintPattern(dc, hostBox);
  HRGN clip = CreateRectRgnIndirect(&hostBox);
  SelectClipRgn(dc, clip);
  EXPECT_EQ(PaintMarkedHotspots(record(), dc, &hostBox), 1u);
  ReleaseDC(hwnd(), dc);
  DeleteObject(clip);
  EXPECT_TRUE(InvertedWhere(framed, Shot(), Inverts({})));

  EXPECT_EQ(PaintMarkedHotspots(nullptr, dc, &box), 0u);
  TAVIMG_SetHotspotCount(record(), 0);
  EXPECT_EQ(PaintMarkedHotspots(record(), dc, &box), 0u);
  EXPECT_EQ(DrawMarkedHotspots(hwnd(), record(), 0), 0u);
}

} // namespace
