// The private hotspot tag 65024: records written here, read back into the
// hotspot table.
#include "tiff_files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Spot {
  uint16_t x, y, width, height;
  std::string name, text;
  uint8_t kind;
};

std::vector<uint8_t> Records(const TiffFileBuilder& file, const std::vector<Spot>& spots) {
  std::vector<uint8_t> bytes;
  for (const Spot& s : spots) {
    file.PutShort(bytes, uint16_t(12 + s.name.size() + s.text.size()));
    file.PutShort(bytes, s.x);
    file.PutShort(bytes, s.y);
    file.PutShort(bytes, s.width);
    file.PutShort(bytes, s.height);
    bytes.push_back(uint8_t(s.name.size()));
    bytes.insert(bytes.end(), s.name.begin(), s.name.end());
    bytes.push_back(uint8_t(s.text.size()));
    bytes.insert(bytes.end(), s.text.begin(), s.text.end());
    bytes.push_back(s.kind);
    bytes.push_back(0);
  }
  return bytes;
}

// A picture 1728 x 2200 with a hotspot tag of count records at offset.
TiffFileBuilder PictureWithTag(bool big, uint32_t count, uint32_t offset) {
  TiffFileBuilder file(big);
  file.LongEntry(256, 1728);
  file.LongEntry(257, 2200);
  file.ShortEntry(259, 2);
  file.LongEntry(273, 8);
  file.Entry(65024, 4, count, offset);
  return file;
}

std::string Save(const std::string& name, const TiffFileBuilder& file) {
  std::string path = TiffScratchPath(name);
  EXPECT_TRUE(file.Write(path));
  return path;
}

TEST(TiffHotspotTag, RecordsOfEveryShape) {
  for (bool big : {false, true}) {
    std::vector<Spot> spots = {
        {1, 2, 3, 4, "", "", 0},
        {101, 50, 10, 20, std::string(40, 'N'), std::string(30, 't'), 7},
        {65535, 65535, 65535, 65535, "Edge", "x", 255},
        {10, 10, 5, 5, "Last", "Text", 1},
    };
    TiffFileBuilder probe(big);
    TiffFileBuilder file(big);
    uint32_t offset = file.AddBytes(Records(probe, spots));
    file.LongEntry(256, 1728);
    file.ShortEntry(259, 2);
    file.Entry(65024, 4, (uint32_t)spots.size(), offset);
    file.LongEntry(257, 2200); // after the tag: the walk went on
    TiffRecord record;
    record->Hotspots[3].HotspotState = 0x0F;
    ASSERT_EQ(record.Load(Save("spots.tif", file)), 1);
    EXPECT_EQ(+record->TIFFSize.y, 2200);
    ASSERT_EQ(+record->HotspotCount, 4);
    const HotspotEntry* h = record->Hotspots;
    EXPECT_STREQ(h[0].HotspotName, "");
    EXPECT_STREQ(h[0].HotspotText, "");
    EXPECT_EQ(+h[0].HotspotKind, 0);
    EXPECT_EQ(+h[0].PictureRect.left, 1);
    EXPECT_EQ(+h[0].PictureRect.bottom, 6);
    EXPECT_EQ(std::string(h[1].HotspotName), std::string(31, 'N'));
    EXPECT_EQ(std::string(h[1].HotspotText), std::string(24, 't'));
    EXPECT_EQ(+h[1].HotspotKind, 7);
    EXPECT_EQ(+h[2].PictureRect.right, 131070);
    EXPECT_EQ(+h[2].PictureRect.bottom, 131070);
    EXPECT_EQ((uint8_t)h[2].HotspotKind, 255);
    EXPECT_STREQ(h[3].HotspotName, "Last");
    EXPECT_STREQ(h[3].HotspotText, "Text");
    EXPECT_EQ(+h[3].PictureRect.right, 15);
    EXPECT_EQ(+h[3].HotspotState, 0);
  }
}

TEST(TiffHotspotTag, ScreenRectanglesFollowTheView) {
  std::vector<Spot> spots = {{101, 40, 100, 60, "A", "", 1}};
  TiffFileBuilder probe;
  TiffFileBuilder file;
  uint32_t offset = file.AddBytes(Records(probe, spots));
  file.LongEntry(256, 1728);
  file.LongEntry(257, 2200);
  file.ShortEntry(259, 2);
  file.Entry(65024, 4, 1, offset);
  std::string path = Save("screen.tif", file);
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
    EXPECT_EQ(+r.left, 51 + c.ox) << "mode " << c.mode; // 50.5 + 0.5 truncated
    EXPECT_EQ(+r.top, 20 + c.oy);
    EXPECT_EQ(+r.right, 101 + c.ox); // 100.5 + 0.5
    EXPECT_EQ(+r.bottom, 50 + c.oy);
  }
}

TEST(TiffHotspotTag, CountsAreCutToTheTable) {
  // 700 records: the table takes 600, the 600th read in full.
  std::vector<Spot> spots;
  for (int i = 0; i < 700; ++i)
    spots.push_back({uint16_t(i), uint16_t(2 * i), 1, 1, "S" + std::to_string(i), "", uint8_t(i)});
  TiffFileBuilder probe;
  TiffFileBuilder file;
  uint32_t offset = file.AddBytes(Records(probe, spots));
  file.LongEntry(256, 1728);
  file.ShortEntry(259, 2);
  file.Entry(65024, 4, 700, offset);
  file.Entry(65024, 4, 1, 8); // a second tag: ignored
  file.LongEntry(257, 2200);
  TiffRecord record;
  ASSERT_EQ(record.Load(Save("many.tif", file)), 1);
  ASSERT_EQ(+record->HotspotCount, 600);
  EXPECT_STREQ(record->Hotspots[0].HotspotName, "S0");
  EXPECT_STREQ(record->Hotspots[599].HotspotName, "S599");
  EXPECT_EQ(+record->Hotspots[599].PictureRect.top, 1198);
  EXPECT_EQ(+record->Hotspots[600].HotspotName[0], 0); // the spare entry is never written
  EXPECT_EQ(+record->TIFFSize.y, 2200);

  // Counts of 2^16 and more are counts all the same.
  TiffFileBuilder wide;
  wide.AddBytes(Records(probe, spots));
  wide.LongEntry(256, 1728);
  wide.Entry(65024, 4, 65536 + 2, offset);
  TiffRecord big;
  big.Load(Save("count-64k.tif", wide));
  EXPECT_EQ(+big->HotspotCount, 600);
  EXPECT_STREQ(big->Hotspots[599].HotspotName, "S599");
}

TEST(TiffHotspotTag, RecordsBeyondTheCopyAreNotRead) {
  // The copy of a small file is 10240 bytes: a record may begin in its zero
  // tail, none beyond it; an offset of 2^31 or more reads nothing.
  TiffRecord record;
  ASSERT_EQ(record.Load(Save("tail.tif", PictureWithTag(false, 5, 10230))), 1);
  EXPECT_EQ(+record->HotspotCount, 1);
  EXPECT_EQ(+record->Hotspots[0].PictureRect.right, 0);

  TiffRecord far;
  TiffFileBuilder file = PictureWithTag(true, 3, 0x90000000u);
  file.ShortEntry(278, 9); // after the tag
  ASSERT_EQ(far.Load(Save("far.tif", file)), 1);
  EXPECT_EQ(+far->HotspotCount, 0);
  EXPECT_EQ(+far->TiffRowsPerStrip, 9);

  // With no records at all a later tag may still bring some.
  TiffRecord none;
  ASSERT_EQ(none.Load(Save("zero.tif", PictureWithTag(false, 0, 8))), 1);
  EXPECT_EQ(+none->HotspotCount, 0);
}

} // namespace
