// The hotspot table through its exports: counts, whole entries, selection,
// activation, drawing mode, and what each refuses.
#include "core/core.h"
#include "frame_records.h"
#include "hotspots/hotspots.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

HotspotDataRecord Data(const char* name, const char* text, LONG kind = 0) {
  HotspotDataRecord data;
  memset(&data, 0, sizeof data);
  data.ScreenRect = {1, 2, 3, 4};
  data.PictureRect = {10, 20, 30, 40};
  lstrcpynA(data.Name, name, sizeof data.Name);
  lstrcpynA(data.Text, text, sizeof data.Text);
  data.Kind = kind;
  return data;
}

class HotspotTable : public ::testing::Test {
protected:
  FrameRecord record{FrameFakeWindow(40)};
  HWND window() const { return record.window(); }
  // '1' for each of the first four entries that is marked, '0' for the others.
  std::string Marked() const {
    std::string marked;
    for (int i = 0; i < 4; ++i)
      marked += (FrameState(record.get(), i) & TAVIMG_MARKED_BIT) ? '1' : '0';
    return marked;
  }
};

// From 600 on a count is refused; a negative one is stored and means none.
TEST_F(HotspotTable, CountIsRefusedFrom600) {
  EXPECT_EQ(TAVIMG_SetHotspotCount(record.get(), 599), 1);
  EXPECT_EQ(TAVIMG_GetHotspotCount(record.get()), 599);
  EXPECT_EQ(TAVIMG_SetHotspotCount(record.get(), 600), 0);
  EXPECT_EQ(TAVIMG_GetHotspotCount(record.get()), 599);
  EXPECT_EQ(TAVIMG_SetHotspotCount(record.get(), -1), 1);
  EXPECT_EQ(TAVIMG_GetHotspotCount(record.get()), -1);
  HotspotDataRecord data;
  EXPECT_EQ(TAVIMG_GetHotspotData(record.get(), 0, &data), 0);
  record->HoverHotspot = 3;
  EXPECT_EQ(TAVIMG_SetHotspotCount(record.get(), 0), 1);
  EXPECT_EQ(+record->HoverHotspot, TAVIMG_NO_HOTSPOT);
}

TEST_F(HotspotTable, EntriesGoInAndOutWholeAndLongTextsAreCut) {
  EXPECT_EQ(TAVIMG_SetHotspotCount(record.get(), 2), 1);
  HotspotDataRecord in = Data("0123456789012345678901234567890123", "abcdefghijklmnopqrstuvwxyz", 0x1FE);
  EXPECT_EQ(TAVIMG_SetHotspotData(record.get(), 1, &in), 1);
  EXPECT_EQ(TAVIMG_ActivateHotspotNr(1, 1, record.get()), 1);
  record->Hotspots[1].HotspotState |= (signed char)0x80;

  HotspotDataRecord out;
  memset(&out, 0x55, sizeof out);
  ASSERT_EQ(TAVIMG_GetHotspotData(record.get(), 1, &out), 1);
  EXPECT_EQ(+out.Number, 1);
  EXPECT_EQ(+out.ScreenRect.right, 3);
  EXPECT_EQ(+out.PictureRect.bottom, 40);
  EXPECT_STREQ(out.Name, "0123456789012345678901234567890"); // 31 characters
  EXPECT_STREQ(out.Text, "abcdefghijklmnopqrstuvwx");        // 24 characters
  EXPECT_EQ(+out.Kind, -2);                                  // low byte 0xFE, sign-extended
  EXPECT_EQ(+out.State, (LONG)(signed char)0x81);

  // Entries are read below the count and written anywhere in the table.
  for (LONG number : {2, -1, 599, 600}) {
    EXPECT_EQ(TAVIMG_GetHotspotData(record.get(), number, &out), 0) << number;
    EXPECT_EQ(TAVIMG_SetHotspotData(record.get(), number, &in), number == 2 || number == 599) << number;
  }
  EXPECT_EQ(TAVIMG_GetHotspotData(record.get(), 0, nullptr), 0);
  EXPECT_EQ(+record->Hotspots[600].HotspotName[0], 0);

  // Setting an entry leaves its state bits alone.
  HotspotDataRecord other = Data("n", "t");
  other.State = 0;
  EXPECT_EQ(TAVIMG_SetHotspotData(record.get(), 1, &other), 1);
  EXPECT_EQ(FrameState(record.get(), 1), 0x81);

  EXPECT_EQ(TAVIMG_SetHotspotCount(record.get(), 0), 1);
  EXPECT_EQ(TAVIMG_GetHotspotData(record.get(), 0, &out), 0); // no hotspots
}

TEST_F(HotspotTable, SelectionByNumberAndByName) {
  FrameSetHotspots(record.get(), {{{0, 0, 5, 5}, "A", "first"},
                                  {{5, 5, 9, 9}, "", "nameless"},
                                  {{1, 1, 4, 4}, "B", "second"},
                                  {{2, 2, 8, 8}, "B", "third"}});
  char out1[18], out2[25];

  // An entry without a name is selected but not marked.
  EXPECT_EQ(TAVIMG_SetHotspotNr(window(), 1, 1, record.get()), 1);
  EXPECT_EQ(+record->CurrentHotspot, 1);
  EXPECT_EQ(Marked(), "0000");
  EXPECT_EQ(TAVIMG_GetHotspotNr(record.get(), out1, out2), 1);
  EXPECT_STREQ(out2, "nameless");
  EXPECT_STREQ(out1, ""); // kind 0

  EXPECT_EQ(TAVIMG_SetHotspotNr(window(), 0, 1, record.get()), 1);
  EXPECT_STREQ(record->SelectedHotspotName, "A");
  EXPECT_STREQ(TAVIMG_GetHotspot(record.get(), out1, out2), "A");
  EXPECT_STREQ(out2, "first");
  EXPECT_EQ(Marked(), "1000");
  EXPECT_EQ(TAVIMG_SetHotspotNr(window(), 4, 1, record.get()), 0); // = count
  EXPECT_EQ(TAVIMG_SetHotspotNr(window(), 0xFFFFFFFFu, 1, record.get()), 0);

  // By name: both entries called B are marked; names are case-sensitive.
  EXPECT_EQ(TAVIMG_SetHotspot(window(), "B", 1, record.get()), 1);
  EXPECT_EQ(Marked(), "1011");
  EXPECT_STREQ(record->CurrentHotspotName, "B");
  EXPECT_EQ(TAVIMG_SetHotspot(window(), "b", 1, record.get()), 0);
  EXPECT_EQ(TAVIMG_SetHotspot(window(), nullptr, 1, record.get()), 0);

  // Off unmarks every entry named like the selection and empties it.
  EXPECT_EQ(TAVIMG_SetHotspot(window(), "B", 0, record.get()), 1);
  EXPECT_EQ(Marked(), "1000");
  EXPECT_EQ(+record->SelectedHotspot, TAVIMG_NO_HOTSPOT);
  EXPECT_EQ(+record->SelectedHotspotName[0], 0);
  EXPECT_EQ(TAVIMG_GetHotspotNr(record.get(), out1, out2), -1); // 601 is no hotspot

  // All on, all off: the current hotspot is then none (-1) with no name.
  EXPECT_EQ(TAVIMG_SetAllHotspots(window(), 1, record.get()), 1);
  EXPECT_EQ(Marked(), "1111");
  EXPECT_EQ(TAVIMG_GetHotspotNr(record.get(), out1, out2), -1);
  EXPECT_STREQ(TAVIMG_GetHotspot(record.get(), out1, out2), "");
  EXPECT_EQ(TAVIMG_SetAllHotspots(window(), 0, record.get()), 1);
  EXPECT_EQ(Marked(), "0000");

  // A selection the host's lower count has left behind is not unmarked.
  EXPECT_EQ(TAVIMG_SetHotspotNr(window(), 3, 1, record.get()), 1);
  EXPECT_EQ(TAVIMG_SetHotspotCount(record.get(), 3), 1);
  TAVIMG_SetHotspotNr(window(), 0, 0, record.get());
  EXPECT_EQ(Marked(), "0001");
}

TEST_F(HotspotTable, TheKindBytesBufferNeverReadsPastTheEntry) {
  FrameSetHotspots(record.get(), {{{0, 0, 5, 5}, "A", "t"}});
  record->Hotspots[0].HotspotKind = 5;
  record->Hotspots[0].PictureRect = {0x0201, 0, 0, 0};
  record->CurrentHotspot = 0;
  char out1[18];
  EXPECT_EQ(TAVIMG_GetHotspotNr(record.get(), out1, nullptr), 0);
  EXPECT_EQ(std::string(out1), "\x05\x01\x02");

  // No zero byte anywhere after the kind: 17 bytes, then the terminator.
  memset(&record->Hotspots[0].PictureRect, 0x41, sizeof(TavRect));
  memset(&record->Hotspots[1], 0x42, sizeof(HotspotEntry));
  EXPECT_EQ(TAVIMG_GetHotspot(record.get(), out1, nullptr), +record->CurrentHotspotName);
  EXPECT_EQ(std::string(out1), "\x05" + std::string(16, 'A'));
  // The current hotspot is read from the table's 600 entries only.
  for (LONG current : {599, 600, -1}) {
    record->CurrentHotspot = current;
    EXPECT_EQ(TAVIMG_GetHotspotNr(record.get(), out1, nullptr), current == 599 ? 599 : -1) << current;
  }
}

TEST_F(HotspotTable, ActivationByNumberByNameAndAll) {
  FrameSetHotspots(record.get(), {{{0, 0, 5, 5}, "A", ""}, {{0, 0, 5, 5}, "B", ""}, {{0, 0, 5, 5}, "A", ""}});
  EXPECT_EQ(TAVIMG_ActivateHotspot("A", 0, record.get()), 1);
  EXPECT_EQ(FrameStates(record.get(), 3), (std::vector<int>{0, TAVIMG_ACTIVE_BIT, 0}));
  EXPECT_EQ(TAVIMG_ActivateHotspot("nobody", 0, record.get()), 1); // changes nothing
  EXPECT_EQ(TAVIMG_ActivateHotspotNr(2, 1, record.get()), 1);
  EXPECT_EQ(FrameStates(record.get(), 3), (std::vector<int>{0, TAVIMG_ACTIVE_BIT, TAVIMG_ACTIVE_BIT}));
  EXPECT_EQ(TAVIMG_ActivateHotspotNr(1, 2, record.get()), 1); // only 1 means on
  EXPECT_EQ(TAVIMG_ActivateHotspotNr(3, 1, record.get()), 0);
  EXPECT_EQ(FrameStates(record.get(), 3), (std::vector<int>{0, 0, TAVIMG_ACTIVE_BIT}));
  EXPECT_EQ(TAVIMG_ActivateAllHotspots(0, record.get()), 1);
  EXPECT_EQ(FrameStates(record.get(), 3), (std::vector<int>{0, 0, 0}));

  TAVIMG_SetHotspotCount(record.get(), 0);
  EXPECT_EQ(TAVIMG_ActivateAllHotspots(1, record.get()), 0);
  EXPECT_EQ(TAVIMG_ActivateHotspot("A", 1, record.get()), 0);
}

TEST_F(HotspotTable, ModeWidthAndTheTwoKeptValues) {
  EXPECT_EQ(TAVIMG_SetHotspotMode(0x20000, 3, 0, 0, record.get()), 0); // no hotspots yet
  EXPECT_EQ(TAVIMG_GetHotspotMode(0, 0, 0, record.get()), -1);
  FrameSetHotspots(record.get(), {{{0, 0, 5, 5}, "A", ""}});

  EXPECT_EQ(TAVIMG_SetHotspotMode(0x20000, 0, 0, 0, record.get()), 1);
  EXPECT_EQ(+record->HotspotPenWidth, 2);
  EXPECT_EQ(TAVIMG_GetHotspotMode(0, 0, 0, record.get()), 0x20000);
  EXPECT_EQ(TAVIMG_SetHotspotMode(0, -4, 0, 0, record.get()), 1); // only 0 becomes 2
  EXPECT_EQ(+record->HotspotPenWidth, -4);
  EXPECT_EQ(TAVIMG_SetHotspotMode(0, 5, 7, 0, record.get()), 1); // value3 takes value2
  EXPECT_EQ(+record->HotspotPenWidth, 5);
  EXPECT_EQ(+record->HotspotModeValue2, 7u);
  EXPECT_EQ(+record->HotspotModeValue3, 7u);
  EXPECT_EQ(TAVIMG_SetHotspotMode(0, 1, 0, 9, record.get()), 1);
  EXPECT_EQ(+record->HotspotModeValue2, 7u);
  EXPECT_EQ(+record->HotspotModeValue3, 9u);
}

TEST_F(HotspotTable, DisplayOffsetOfAZoomedView) {
  EXPECT_EQ(TAVIMG_GetHotspotOffset(record.get()), 0);
  record->Zoomed = 1;
  record->ScaledClientSize = {201, 101};
  record->TIFFSize = {101, 51};
  const LONG origin[4] = {30, 12, 5, 2};
  memcpy(record->ZoomOrigin, origin, sizeof origin);
  record->ScrollPos = {5, 3};
  record->ZoomFactor = {1.5, 2.0};
  // x: 200/100 * (30 - 5 + 5) * 1.5 + 0.5 = 90.5; y: 100/50 * (12 - 2 + 3) * 2 + 0.5 = 52.5
  EXPECT_EQ(TAVIMG_GetHotspotOffset(record.get()), (LONGLONG)52 << 32 | 90);

  record->ZoomOrigin[0] = -40; // negative: the scroll position instead
  record->TIFFSize.y = 1;      // no scale at all: the scroll position too
  LONG dx, dy;
  HotspotDisplayOffset(record.get(), &dx, &dy);
  EXPECT_EQ(dx, 5);
  EXPECT_EQ(dy, 3);
}

} // namespace
