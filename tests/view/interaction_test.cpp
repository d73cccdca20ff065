// The host's side of a shown picture: the hover frame over overlapping and
// inactive hotspots and the commands of TAVIMG_MAIN. (What a host sees step
// by step in every display mode, and that unloading leaves nothing behind,
// is the steps suite's.)
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
  EXPECT_EQ(TAVIMG_DisplayPicture(host->hwnd(), record, 1), 1u);
}

TEST_F(ViewInteraction, CommandsOfTheCommandEntry) {
  ASSERT_TRUE(Show(300, 200, "", HotspotDrf(), 0, TAVIMG_FILE_DRF, false));
  HWND window = host->hwnd();

  // 0: the message handling.
  EXPECT_EQ(TAVIMG_MAIN(0, record, window, WM_LBUTTONDBLCLK, 0, 0), 0);
  EXPECT_EQ(TAVIMG_MAIN(0, record, window, WM_RBUTTONUP, 0, 0), 1);
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

} // namespace
