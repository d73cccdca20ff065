// The private hotspot tag 65024: records written here, read back into the
// hotspot table.
#include "tiff_files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A picture 1728 x 2200 with a tag of count records at offset, or of spots
// after the header when offset is 0, and a second tag of count2 records
// when count2 is not 0; 9 rows per strip after the tag show that the walk
// went on.
std::string PictureWithTag(const std::string& name, const std::vector<TiffSpot>& spots, uint32_t count,
                           uint32_t offset = 0, bool big = false, uint32_t count2 = 0) {
  TiffFileBuilder file(big);
  uint32_t at = file.AddBytes(TiffSpotRecords(spots, big));
  file.LongEntry(256, 1728);
  file.LongEntry(257, 2200);
  file.ShortEntry(259, 2);
  file.Entry(65024, 4, count, offset != 0 ? offset : at);
  if (count2 != 0)
    file.Entry(65024, 4, count2, at);
  file.ShortEntry(278, 9);
  std::string path = drftest::TempPath(name);
  EXPECT_TRUE(file.Write(path));
  return path;
}

TEST(TiffHotspotTag, RecordsOfEveryShape) {
  std::vector<TiffSpot> spots = {
      {1, 2, 3, 4, "", "", 0},
      {101, 50, 10, 20, std::string(40, 'N'), std::string(30, 't'), 7},
      {65535, 65535, 65535, 65535, "Edge", "x", 255},
      {10, 10, 5, 5, "Last", "Text", 1},
  };
  for (bool big : {false, true}) {
    TiffRecord record;
    record->Hotspots[3].HotspotState = 0x0F;
    ASSERT_EQ(record.Load(PictureWithTag("spots.tif", spots, 4, 0, big)), 1);
    EXPECT_EQ(+record->TiffRowsPerStrip, 9);
    ASSERT_EQ(+record->HotspotCount, 4);
    // Names of up to 31 characters, texts of up to 24.
    for (size_t i = 0; i < spots.size(); ++i) {
      const HotspotEntry& h = record->Hotspots[i];
      const TiffSpot& spot = spots[i];
      EXPECT_EQ(h.HotspotName, spot.name.substr(0, 31));
      EXPECT_EQ(h.HotspotText, spot.text.substr(0, 24));
      EXPECT_EQ((uint8_t)h.HotspotKind, spot.kind);
      const TavRect& r = h.PictureRect;
      EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}),
                std::vector<LONG>({spot.x, spot.y, spot.x + spot.width, spot.y + spot.height}));
    }
    EXPECT_EQ(+record->Hotspots[3].HotspotState, 0);
  }
}

TEST(TiffHotspotTag, ScreenRectanglesFollowTheView) {
  std::string path = PictureWithTag("screen.tif", {{101, 40, 100, 60, "A", "", 1}}, 1);
  struct Case {
    SHORT mode;
    LONG ox, oy;
  } cases[] = {{2, 10, 20}, {0, 3 + 5, 4 + 6}, {1, 3, 4}};
  for (const Case& c : cases) {
    TiffRecord record;
    record->AltSize = {864, 1100}; // half the picture
    record->PictureMode = c.mode;
    record->BildMitte = {10, 20};
    record->ZoomStart = {3, 4};
    record->DRFSpotOffset[0] = 5;
    record->DRFSpotOffset[1] = 6;
    ASSERT_EQ(record.Load(path), 1);
    const TavRect& r = record->Hotspots[0].ScreenRect;
    // Left 50.5 + 0.5 truncated, right 100.5 + 0.5.
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}),
              std::vector<LONG>({51 + c.ox, 20 + c.oy, 101 + c.ox, 50 + c.oy}))
        << "mode " << c.mode;
  }
}

TEST(TiffHotspotTag, CountsAreCutToTheTable) {
  // 700 records: the table takes 600, the 600th read in full. Only the low
  // 16 bits of the count, sign-extended, count: 65,538 is 2, 65,536 is 0 and
  // 65,535 is -1, none. Without records, in a file whose copy is 10240
  // bytes: a record may begin in the copy's zero tail, none beyond it, and
  // an offset of 2^31 or more reads nothing; the count stays the tag's, the
  // entries not read stay empty.
  std::vector<TiffSpot> spots;
  for (int i = 0; i < 700; ++i)
    spots.push_back({uint16_t(i), uint16_t(2 * i), 1, 1, "S" + std::to_string(i), "", uint8_t(i)});
  struct Case {
    bool records;
    uint32_t count, offset;
    bool big;
    LONG expected;
  } cases[] = {{true, 700, 0, false, 600},       {true, 65536 + 2, 0, false, 2},   {true, 65536, 0, false, 0},
               {true, 0xFFFF, 0, false, -1},     {true, 0x8001, 0, false, -32767}, {false, 5, 10230, false, 5},
               {false, 3, 0x90000000u, true, 3}, {false, 0, 8, false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    TiffRecord record;
    ASSERT_EQ(
        record.Load(PictureWithTag("many.tif", c.records ? spots : std::vector<TiffSpot>(), c.count, c.offset, c.big)),
        1);
    ASSERT_EQ(+record->HotspotCount, c.expected);
    EXPECT_STREQ(record->Hotspots[0].HotspotName, c.records && c.expected > 0 ? "S0" : "");
    EXPECT_STREQ(record->Hotspots[2].HotspotName, c.records && c.expected > 2 ? "S2" : "");
    EXPECT_EQ(+record->Hotspots[2].PictureRect.bottom, c.records && c.expected > 2 ? 5 : 0);
    if (c.expected == 600) {
      EXPECT_STREQ(record->Hotspots[599].HotspotName, "S599");
      EXPECT_EQ(+record->Hotspots[599].PictureRect.top, 1198);
      EXPECT_EQ(+record->Hotspots[600].HotspotName[0], 0); // the spare entry is never written
    }
    EXPECT_EQ(+record->TiffRowsPerStrip, 9);
  }
  // A second tag is ignored.
  TiffRecord record;
  ASSERT_EQ(record.Load(PictureWithTag("two-tags.tif", spots, 2, 0, false, 1)), 1);
  EXPECT_EQ(+record->HotspotCount, 2);
}

} // namespace
