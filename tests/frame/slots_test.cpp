// The slot table: one record per window, twenty windows at most, records in
// global memory that unloading gives back with everything they hold.
#include "core/core.h"
#include "frame_records.h"
#include "host_window.h"

#include <tavwin_test.h>

#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

bool AllZero(const void* data, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; });
}

class SlotTable : public ::testing::Test {
protected:
  void SetUp() override {
    tavwin::ClearMessageBoxLog();
    blocksBefore_ = tavwin::LiveGlobalBlocks();
    gdiBefore_ = tavwin::LiveGdiObjects();
  }
  void TearDown() override {
    EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocksBefore_);
    EXPECT_EQ(tavwin::LiveGdiObjects(), gdiBefore_);
  }
  long blocksBefore_ = 0, gdiBefore_ = 0;
};

TEST_F(SlotTable, TwentyWindowsHoldRecordsTheTwentyFirstIsRefused) {
  ImgStruct* records[TAV_SLOT_COUNT];
  for (int i = 0; i < TAV_SLOT_COUNT; ++i) {
    records[i] = TAVIMG_GetImgStruct(FrameFakeWindow(i));
    ASSERT_NE(records[i], nullptr) << i;
    EXPECT_TRUE(AllZero(records[i], sizeof(ImgStruct))) << i;
    EXPECT_EQ(TAVIMG_GetLastError(nullptr), 1);
  }
  EXPECT_EQ(TAVIMG_GetImgStruct(nullptr), nullptr); // refused quietly
  EXPECT_EQ(TAVIMG_GetLastError(nullptr), 1);
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocksBefore_ + TAV_SLOT_COUNT);
  EXPECT_EQ(TAVIMG_GetImgStruct(FrameFakeWindow(0)), records[0]); // known windows still find theirs

  EXPECT_EQ(TAVIMG_GetImgStruct(FrameFakeWindow(20)), nullptr);
  EXPECT_EQ(TAVIMG_GetLastError(nullptr), 1 - 20);
  ASSERT_EQ(tavwin::MessageBoxLog().size(), 1u);
  EXPECT_EQ(tavwin::MessageBoxLog()[0].text, "Too much Window Handles left");
  EXPECT_EQ(FindWindowSlot(FrameFakeWindow(20)), -1);

  // Unloading one window leaves the others their records as they are.
  records[8]->DisplayMode = 3;
  TAVIMG_UnloadPicture(FrameFakeWindow(7), nullptr); // no record: nothing happens
  EXPECT_EQ(TAVIMG_GetImgStruct(FrameFakeWindow(7)), records[7]);
  TAVIMG_UnloadPicture(FrameFakeWindow(7), records[7]);
  EXPECT_EQ(TAVIMG_GetImgStruct(FrameFakeWindow(8)), records[8]);
  EXPECT_EQ(+records[8]->DisplayMode, 3u);
  ImgStruct* late = TAVIMG_GetImgStruct(FrameFakeWindow(20));
  ASSERT_NE(late, nullptr);
  EXPECT_EQ(SlotWindow(7), FrameFakeWindow(20)); // the freed slot is taken again
  EXPECT_EQ(SlotTableCount(), TAV_SLOT_COUNT);

  for (int i = 0; i < TAV_SLOT_COUNT; ++i)
    TAVIMG_UnloadPicture(nullptr, i == 7 ? late : records[i]); // by record
  for (int i = 0; i < SlotTableCount(); ++i) {
    EXPECT_EQ(SlotWindow(i), nullptr) << i;
    EXPECT_EQ(SlotRecord(i), nullptr) << i;
  }
}

TEST_F(SlotTable, AFailedAllocationLeavesTheSlotTakenWithoutARecord) {
  tavwin::FailGlobalAllocAt(1);
  EXPECT_EQ(TAVIMG_GetImgStruct(FrameFakeWindow(5)), nullptr);
  int slot = FindWindowSlot(FrameFakeWindow(5));
  ASSERT_GE(slot, 0);
  EXPECT_EQ(SlotRecord(slot), nullptr);

  tavwin::FailGlobalLockAt(1); // the block is given back when it cannot be locked
  EXPECT_EQ(TAVIMG_GetImgStruct(FrameFakeWindow(5)), nullptr);
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocksBefore_);

  ImgStruct* record = TAVIMG_GetImgStruct(FrameFakeWindow(5)); // the next try succeeds
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(FindWindowSlot(FrameFakeWindow(5)), slot);
  TAVIMG_UnloadPicture(FrameFakeWindow(5), record);
  FreeWindowSlot(-1); // nothing
}

TEST_F(SlotTable, InitImgStructSetsTheDefaultsAndKeepsBrushAndHotspotStates) {
  ImgStruct* record = TAVIMG_GetImgStruct(FrameFakeWindow(6));
  ASSERT_NE(record, nullptr);
  memset(record->Hotspots, 0x5A, sizeof record->Hotspots);
  record->HotspotCount = 12;
  record->ZoomFactor = {3.0, 4.0};
  record->ClientSize = {7, 8};
  record->FitMode = 2;

  InitImgStruct(record);
  ASSERT_NE(+record->BkBrush, nullptr);
  EXPECT_EQ(viewtest::XY(record->ClientSize), "100,100");
  EXPECT_EQ(+record->ZoomFactor.x, 1.0);
  EXPECT_EQ(+record->BildFactor.y, 1.0);
  EXPECT_EQ(+record->BkRgb[0], 255);
  EXPECT_EQ(+record->HoverHotspot, TAVIMG_NO_HOTSPOT);
  EXPECT_EQ(+record->HotspotCount, 0);
  EXPECT_EQ(+record->FitMode, 2);                 // not a default: kept
  for (int i = 0; i < TAVIMG_MAX_HOTSPOTS; ++i) { // names, texts, rectangles and kinds cleared, states kept
    const HotspotEntry& e = record->Hotspots[i];
    ASSERT_EQ(+e.HotspotName[0], 0);
    ASSERT_EQ(+e.HotspotText[0], 0);
    ASSERT_TRUE(AllZero(&e.ScreenRect, sizeof e.ScreenRect));
    ASSERT_TRUE(AllZero(&e.PictureRect, sizeof e.PictureRect));
    ASSERT_EQ(+e.HotspotKind, 0);
    ASSERT_EQ(+e.HotspotState, 0x5A);
  }
  EXPECT_EQ(+record->Hotspots[600].HotspotKind, 0x5A); // the spare entry is never touched

  HBRUSH brush = record->BkBrush;
  long gdi = tavwin::LiveGdiObjects();
  InitImgStruct(record);
  EXPECT_EQ(+record->BkBrush, brush);
  EXPECT_EQ(tavwin::LiveGdiObjects(), gdi);
  TAVIMG_UnloadPicture(FrameFakeWindow(6), record);
}

TEST_F(SlotTable, SetBkColorReplacesTheBrushAndUnloadingDeletesIt) {
  ImgStruct* record = TAVIMG_GetImgStruct(FrameFakeWindow(8));
  ASSERT_NE(record, nullptr);
  InitImgStruct(record);
  long gdi = tavwin::LiveGdiObjects();

  // The colour is the paint suite's to see.
  TAVIMG_SetBkColor(record, 0x000000FF, 7);
  EXPECT_EQ(+record->BkValue, 7u);
  EXPECT_EQ(tavwin::LiveGdiObjects(), gdi); // the white brush went

  // A palette of the record goes with it too.
  struct {
    WORD version, count;
    PALETTEENTRY entries[2];
  } palette = {0x300, 2, {{0, 0, 0, 0}, {255, 255, 255, 0}}};
  record->Palette = CreatePalette(reinterpret_cast<const LOGPALETTE*>(&palette));
  ASSERT_NE(+record->Palette, nullptr);
  TAVIMG_UnloadPicture(nullptr, record);
}

// A record that no slot holds (here one of the host's own making) is
// treated as no record and left as it is.
TEST_F(SlotTable, ExportsRefuseANullOrForeignRecord) {
  auto stranger = std::make_unique<ImgStruct>();
  stranger->HotspotCount = 5;
  HotspotDataRecord data = {};
  char out1[18], out2[25];
  const HWND window = FrameFakeWindow(10);
  for (ImgStruct* r : {static_cast<ImgStruct*>(nullptr), stranger.get()}) {
    for (auto getter : {TAVIMG_GetDRFSize, TAVIMG_GetTIFFSize, TAVIMG_GetScaledClientSize, TAVIMG_GetBildMitte,
                        TAVIMG_GetZoomStart, TAVIMG_GetDRFSpotOffset, TAVIMG_GetHotspotOffset})
      EXPECT_EQ(getter(r), -1); // both halves -1
    for (auto getter : {TAVIMG_GetZoomFactor, TAVIMG_GetBildFactor}) {
      EXPECT_EQ(getter(r).x, -1.0);
      EXPECT_EQ(getter(r).y, -1.0);
    }
    TAVIMG_SetZoomMode(r);
    TAVIMG_SetBkColor(r, 0, 1);
    using Results = std::vector<long long>;
    EXPECT_EQ((Results{TAVIMG_GetPictureMode(r), TAVIMG_GetGraphicsMode(r), TAVIMG_GetHotspotCount(r),
                       TAVIMG_GetHotspotNr(r, out1, out2), TAVIMG_GetHotspotMode(0, 0, 0, r)}),
              Results(5, -1));
    EXPECT_EQ(
        (Results{TAVIMG_InZoomAction(r), TAVIMG_RecalcLayout(nullptr, r), TAVIMG_UpdateBars(nullptr, r),
                 TAVIMG_GetNewHotspotPositions(1.0, 1.0, r), TAVIMG_OnMessage(nullptr, WM_PAINT, 0, 0, r),
                 TAVIMG_RedrawPicture(nullptr, r), TAVIMG_OnDraw(nullptr, r, nullptr),
                 TAVIMG_DisplayPicture(nullptr, r, 1), TAVIMG_MAIN(5, r, nullptr, 0, 0, 0),
                 TAVIMG_SetHotspotCount(r, 1), TAVIMG_SetHotspotData(r, 0, &data), TAVIMG_GetHotspotData(r, 0, &data),
                 TAVIMG_ActivateHotspotNr(0, 1, r), TAVIMG_ActivateHotspot("A", 1, r), TAVIMG_ActivateAllHotspots(1, r),
                 TAVIMG_SetHotspotNr(window, 0, 1, r), TAVIMG_SetHotspot(window, "A", 1, r),
                 TAVIMG_SetAllHotspots(window, 1, r), TAVIMG_SetHotspotMode(0, 1, 0, 0, r)}),
        Results(19, 0));
  }
  EXPECT_EQ(+stranger->HotspotCount, 5);
  EXPECT_EQ(+stranger->Hotspots[0].HotspotState, 0);
  EXPECT_EQ(+stranger->InZoomAction, 0);
  EXPECT_EQ(+stranger->BkBrush, nullptr);
}

} // namespace
