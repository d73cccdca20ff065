// The DRF-to-TIFF converter: the directory editing, the layout of the file it
// writes, what libtiff and our own reader find in it, and the sources it
// refuses without writing anything.
#include <gtest/gtest.h>

#include <afx.h>
#include <tavoimg/tavoimg.h>

#include "convert_files.h"
#include "drf_files.h"
#include "drf/drf.h"
#include "frame/frame.h"
#include "tiff/tiff.h"

#include <string.h>

using namespace convert;
using drftest::TempPath;
using drftest::WriteBytes;

namespace {

// A directory in memory: count, entries (tag, type, count, value), next
// offset, and room for two more entries.
std::vector<BYTE> MakeIfd(const std::vector<IfdEntry>& entries, uint32_t next) {
  std::vector<BYTE> ifd(2 + 12 * entries.size() + 4 + 24, 0xEE);
  auto put16 = [&](size_t at, uint16_t v) {
    ifd[at] = (BYTE)v;
    ifd[at + 1] = (BYTE)(v >> 8);
  };
  auto put32 = [&](size_t at, uint32_t v) {
    put16(at, (uint16_t)v);
    put16(at + 2, (uint16_t)(v >> 16));
  };
  put16(0, (uint16_t)entries.size());
  for (size_t i = 0; i < entries.size(); i++) {
    put16(2 + 12 * i, entries[i].tag);
    put16(4 + 12 * i, entries[i].type);
    put32(6 + 12 * i, entries[i].count);
    put32(10 + 12 * i, entries[i].value);
  }
  put32(2 + 12 * entries.size(), next);
  return ifd;
}

Directory ReadIfd(const std::vector<BYTE>& ifd) {
  // Parse it as the directory of a file whose header points at byte 8.
  std::vector<uint8_t> file(8 + ifd.size());
  const uint8_t header[8] = {'I', 'I', 42, 0, 8, 0, 0, 0};
  memcpy(file.data(), header, 8);
  memcpy(file.data() + 8, ifd.data(), ifd.size());
  return ParseFirstDirectory(file);
}

std::vector<uint16_t> Tags(const Directory& d) {
  std::vector<uint16_t> tags;
  for (const IfdEntry& e : d.entries)
    tags.push_back(e.tag);
  return tags;
}

LONG Convert(ImgStruct* record, const std::string& output) {
  return FILE_DRF2TIFF_Hotspots(0, record, CString(output.c_str()));
}

} // namespace

TEST(SetIFDEntry, AddsInTagOrderAndReplacesExistingTags) {
  std::vector<BYTE> ifd = MakeIfd({{256, 3, 1, 300}, {259, 3, 1, 2}, {273, 4, 8, 1000}}, 0x11223344);
  WORD count = 3;
  DWORD size = 2 + 36 + 4;

  SetIFDEntry(&count, ifd.data(), &size, 258, 3, 1, 1);      // between 256 and 259
  SetIFDEntry(&count, ifd.data(), &size, 65024, 4, 7, 4242); // after all
  EXPECT_EQ(count, 5);
  EXPECT_EQ(size, 2u + 60 + 4);
  Directory d = ReadIfd(ifd);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(Tags(d), (std::vector<uint16_t>{256, 258, 259, 273, 65024}));
  EXPECT_EQ(d.next, 0x11223344u);
  EXPECT_EQ(d.entries[1].value, 1u);
  EXPECT_EQ(d.entries[4].count, 7u);
  EXPECT_EQ(d.entries[4].value, 4242u);

  // A tag already present is overwritten in place: same count, same size.
  SetIFDEntry(&count, ifd.data(), &size, 259, 4, 9, 77);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(size, 2u + 60 + 4);
  d = ReadIfd(ifd);
  EXPECT_EQ(Tags(d), (std::vector<uint16_t>{256, 258, 259, 273, 65024}));
  EXPECT_EQ(d.entries[2].type, 4);
  EXPECT_EQ(d.entries[2].count, 9u);
  EXPECT_EQ(d.entries[2].value, 77u);
  EXPECT_EQ(d.next, 0x11223344u);
}

TEST(SetIFDEntry, FirstEntryOfAnEmptyDirectoryAndInsertBeforeAll) {
  std::vector<BYTE> ifd = MakeIfd({}, 0);
  WORD count = 0;
  DWORD size = 6;
  SetIFDEntry(&count, ifd.data(), &size, 300, 4, 1, 5);
  SetIFDEntry(&count, ifd.data(), &size, 100, 4, 1, 6);
  Directory d = ReadIfd(ifd);
  EXPECT_EQ(Tags(d), (std::vector<uint16_t>{100, 300}));
  EXPECT_EQ(d.next, 0u);
  EXPECT_EQ(size, 30u);
}

#ifdef TAV_HAVE_LIBTIFF

namespace {

struct Source {
  std::string path;
  Bilevel picture;
  LibtiffView view;
  std::vector<uint8_t> bytes;
};

Source MakeSource(const std::string& name, int width, int height, int rowsPerStrip, int photometric = 0,
                  bool bigEndian = false) {
  Source s;
  s.path = TempPath(name);
  s.picture = MakePattern(width, height, (unsigned)width * 31 + height);
  EXPECT_TRUE(WriteTiff(s.path, s.picture, rowsPerStrip, photometric, bigEndian));
  s.view = ReadWithLibtiff(s.path);
  s.bytes = ReadBytes(s.path);
  return s;
}

RecordPtr RecordFor(const Source& s) {
  RecordPtr record = NewRecord();
  std::vector<uint32_t> offsets(s.view.stripOffsets.begin(), s.view.stripOffsets.end());
  FillTiffByHand(record.get(), s.path, s.picture.width, s.picture.height, offsets);
  return record;
}

} // namespace

// The converted file, byte by byte: the source with the new header offset,
// the derived byte counts, the scaled hotspot records and the new directory.
TEST(Drf2Tiff, WritesSourceCountsRecordsAndDirectory) {
  Source s = MakeSource("layout_src.tif", 300, 120, 16); // 8 strips
  ASSERT_EQ(s.view.stripOffsets.size(), 8u);
  RecordPtr record = RecordFor(s);
  record->DRFSize = {200, 80}; // TIFF / DRF = 1.5 both ways
  record->DRFSpotOffset[0] = 3;
  record->DRFSpotOffset[1] = -2;
  SetHotspot(record.get(), 0, {7, 3, 41, 20}, "Pump", "Main pump, north", 5);
  SetHotspot(record.get(), 1, {100, 50, 60, 30}, "Inverted", "", 0); // right/bottom before left/top
  SetHotspot(record.get(), 2, {0, 0, 0, 0}, "", "", 3);
  std::string out = TempPath("layout_out.tif");

  ASSERT_EQ(Convert(record.get(), out), 1);
  std::vector<uint8_t> file = ReadBytes(out);
  const uint32_t S = (uint32_t)s.bytes.size(), n = 8;

  // The record was put into TIFF coordinates and stays so.
  EXPECT_EQ(record->PictureMode, 0);
  EXPECT_EQ(record->TiffShown, 1);
  EXPECT_EQ(record->ScaledClientSize.x, 300);
  EXPECT_EQ(record->ScaledClientSize.y, 120);

  // The source, byte for byte, apart from the first directory's offset.
  ASSERT_GT(file.size(), S);
  EXPECT_TRUE(std::equal(s.bytes.begin(), s.bytes.begin() + 4, file.begin()));
  EXPECT_TRUE(std::equal(s.bytes.begin() + 8, s.bytes.end(), file.begin() + 8));

  // Byte counts from the offsets: to the next strip, the last to the end.
  for (uint32_t i = 0; i < n; i++) {
    uint32_t end = i + 1 < n ? (uint32_t)s.view.stripOffsets[i + 1] : S;
    EXPECT_EQ(Le32(file, S + 4 * i), end - s.view.stripOffsets[i]) << "strip " << i;
  }

  // Hotspot records, scaled by 1.5 (nearest) and moved by the spot offset.
  bool ok = false;
  std::vector<StoredHotspot> spots = ParseHotspotRecords(file, S + 4 * n, 3, &ok);
  ASSERT_TRUE(ok);
  ASSERT_EQ(spots.size(), 3u);
  EXPECT_EQ(spots[0].length, 12 + 4 + 16);
  EXPECT_EQ(spots[0].x, 14);      // trunc(10.5 + 0.5) + 3
  EXPECT_EQ(spots[0].y, 3);       // trunc(4.5 + 0.5) - 2
  EXPECT_EQ(spots[0].width, 51);  // 62 - 11
  EXPECT_EQ(spots[0].height, 25); // 30 - 5
  EXPECT_EQ(spots[0].name, "Pump");
  EXPECT_EQ(spots[0].text, "Main pump, north");
  EXPECT_EQ(spots[0].kind, 5);
  EXPECT_EQ(spots[0].pad, 0);
  EXPECT_EQ(spots[1].x, 153);     // left as stored: 150 + 3
  EXPECT_EQ(spots[1].width, 60);  // |150 - 90|
  EXPECT_EQ(spots[1].height, 30); // |75 - 45|
  EXPECT_EQ(spots[2].length, 12);
  EXPECT_EQ(spots[2].x, 3);
  EXPECT_EQ(spots[2].y, (uint16_t)-2); // low 16 bits of a negative edge
  EXPECT_EQ(spots[2].kind, 3);
  uint32_t H = 14 * 3 + 4 + 16 + 8;

  // The new directory: right after the records, ascending, 279 and 65024 set.
  Directory d = ParseFirstDirectory(file);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.offset, S + 4 * n + H);
  EXPECT_EQ(file.size(), (size_t)d.offset + 2 + 12 * d.entries.size() + 4);
  Directory original = ParseFirstDirectory(s.bytes);
  ASSERT_TRUE(original.ok);
  EXPECT_EQ(d.next, original.next);
  for (size_t i = 1; i < d.entries.size(); i++)
    EXPECT_LT(d.entries[i - 1].tag, d.entries[i].tag);
  const IfdEntry* counts = d.Find(279);
  ASSERT_NE(counts, nullptr); // libtiff's own counts were replaced, not doubled
  EXPECT_EQ(counts->type, 4);
  EXPECT_EQ(counts->count, n);
  EXPECT_EQ(counts->value, S);
  const IfdEntry* hotspots = d.Find(65024);
  ASSERT_NE(hotspots, nullptr);
  EXPECT_EQ(hotspots->type, 4);
  EXPECT_EQ(hotspots->count, 3u);
  EXPECT_EQ(hotspots->value, S + 4 * n);
  EXPECT_EQ(d.entries.size(), original.entries.size() + 1);
  for (const IfdEntry& e : original.entries) {
    if (e.tag != 279) {
      EXPECT_NE(d.Find(e.tag), nullptr) << e.tag;
    }
  }

  // libtiff reads the result: same pixels, our byte counts, the private tag.
  LibtiffView view = ReadWithLibtiff(out);
  ASSERT_TRUE(view.opened);
  EXPECT_EQ(view.picture.black, s.picture.black);
  ASSERT_EQ(view.stripByteCounts.size(), n);
  for (uint32_t i = 0; i < n; i++)
    EXPECT_EQ(view.stripByteCounts[i], Le32(file, S + 4 * i));
  EXPECT_TRUE(view.hasHotspotTag);
  EXPECT_EQ(view.hotspotCount, 3u);
}

// No hotspots: the tag is there with count 0 and the directory follows the
// byte counts directly. One strip: its byte count stands in the entry.
TEST(Drf2Tiff, NoHotspotsAndOneStrip) {
  Source s = MakeSource("single_src.tif", 64, 40, 40);
  ASSERT_EQ(s.view.stripOffsets.size(), 1u);
  RecordPtr record = RecordFor(s);
  std::string out = TempPath("single_out.tif");
  ASSERT_EQ(Convert(record.get(), out), 1);

  std::vector<uint8_t> file = ReadBytes(out);
  const uint32_t S = (uint32_t)s.bytes.size();
  Directory d = ParseFirstDirectory(file);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.offset, S + 4);
  const IfdEntry* spots = d.Find(65024);
  ASSERT_NE(spots, nullptr);
  EXPECT_EQ(spots->count, 0u);
  EXPECT_EQ(spots->value, S + 4);
  const IfdEntry* counts = d.Find(279);
  ASSERT_NE(counts, nullptr);
  EXPECT_EQ(counts->count, 1u);
  EXPECT_EQ(counts->value, S - s.view.stripOffsets[0]);
  EXPECT_EQ(Le32(file, S), counts->value);

  LibtiffView view = ReadWithLibtiff(out);
  ASSERT_TRUE(view.opened);
  EXPECT_EQ(view.picture.black, s.picture.black);
  // libtiff cannot hold a tag of count 0 and leaves it out (with a warning).
}

// Records of odd total length put the directory at an odd offset; both
// readers still find it.
TEST(Drf2Tiff, DirectoryAtAnOddOffset) {
  Source s = MakeSource("odd_src.tif", 80, 30, 10);
  RecordPtr record = RecordFor(s);
  SetHotspot(record.get(), 0, {1, 1, 5, 5}, "Odd", "", 1); // 17 bytes
  std::string out = TempPath("odd_out.tif");
  ASSERT_EQ(Convert(record.get(), out), 1);
  std::vector<uint8_t> file = ReadBytes(out);
  Directory d = ParseFirstDirectory(file);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.offset, s.bytes.size() + 4 * 3 + 17);
  EXPECT_EQ(d.offset % 2, s.bytes.size() % 2 == 0 ? 1u : 0u);

  LibtiffView view = ReadWithLibtiff(out);
  ASSERT_TRUE(view.opened);
  EXPECT_EQ(view.picture.black, s.picture.black);
  RecordPtr back = NewRecord();
  snprintf(back->TiffPath, sizeof back->TiffPath, "%s", out.c_str());
  ASSERT_EQ(LoadTIFF(back.get()), 1);
  ASSERT_EQ(back->HotspotCount, 1);
  EXPECT_STREQ(back->Hotspots[0].HotspotName, "Odd");
  EXPECT_EQ(back->Hotspots[0].PictureRect.right, 5);
}

TEST(Drf2Tiff, PhotometricOneBecomesZeroOthersStay) {
  for (int photometric : {0, 1}) {
    Source s = MakeSource("photo_src.tif", 40, 20, 20, photometric);
    RecordPtr record = RecordFor(s);
    std::string out = TempPath("photo_out.tif");
    ASSERT_EQ(Convert(record.get(), out), 1);
    LibtiffView view = ReadWithLibtiff(out);
    ASSERT_TRUE(view.opened);
    EXPECT_EQ(view.photometric, 0) << "source " << photometric;
    EXPECT_EQ(view.picture.black, s.picture.black); // stored bits unchanged
    EXPECT_EQ(ReadBytes(s.path), s.bytes);          // the source file is untouched
  }
}

TEST(Drf2Tiff, KeepsTheLastErrorCode) {
  Source s = MakeSource("keep_src.tif", 40, 20, 20);
  RecordPtr record = RecordFor(s);
  SetHotspot(record.get(), 0, {1, 1, 5, 5}, "K", "", 1);
  TAVIMG_ShowErrorMessages(0);
  ReportError(TAV_ERR_TIFF_DISPLAY, "x");
  ASSERT_EQ(Convert(record.get(), TempPath("keep_out.tif")), 1);
  EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_TIFF_DISPLAY);
  ClearLastErrorCode();
}

// Sources the converter refuses: it returns 0 and creates no file.
TEST(Drf2Tiff, RefusedSourcesWriteNothing) {
  Source s = MakeSource("refuse_src.tif", 50, 24, 8);
  const std::string out = TempPath("refused.tif");
  auto refused = [&](ImgStruct* record, const char* why) {
    EXPECT_EQ(Convert(record, out), 0) << why;
    EXPECT_FALSE(FileExists(out)) << why;
  };
  auto withBytes = [&](const std::vector<uint8_t>& bytes, const char* name) {
    std::string path = TempPath(name);
    WriteBytes(path, bytes);
    RecordPtr record = NewRecord();
    std::vector<uint32_t> offsets(s.view.stripOffsets.begin(), s.view.stripOffsets.end());
    FillTiffByHand(record.get(), path, 50, 24, offsets);
    return record;
  };

  refused(nullptr, "null record");
  {
    // A copy of a loaded record is no record of the library's.
    RecordPtr record = RecordFor(s);
    std::unique_ptr<ImgStruct> foreign(new ImgStruct(*record));
    refused(foreign.get(), "record no slot holds");
  }
  {
    RecordPtr record = RecordFor(s);
    record->TiffPath[0] = 0;
    refused(record.get(), "no companion TIFF path");
  }
  {
    RecordPtr record = RecordFor(s);
    delete record->PictureFile;
    record->PictureFile = nullptr;
    refused(record.get(), "no open TIFF");
  }
  {
    Source big = MakeSource("refuse_mm.tif", 50, 24, 8, 0, true);
    ASSERT_EQ(big.bytes[0], 'M');
    RecordPtr record = RecordFor(big);
    refused(record.get(), "big-endian source");
  }
  {
    std::vector<uint8_t> bytes = s.bytes;
    uint32_t beyond = (uint32_t)bytes.size() - 1;
    memcpy(&bytes[4], &beyond, 4);
    RecordPtr record = withBytes(bytes, "refuse_ifd_far.tif");
    refused(record.get(), "first directory beyond the file");
  }
  {
    // The entry count claims more entries than the file holds.
    std::vector<uint8_t> bytes = s.bytes;
    uint32_t at = Le32(bytes, 4);
    bytes[at] = 0xF0;
    bytes[at + 1] = 0x0F;
    RecordPtr record = withBytes(bytes, "refuse_ifd_cut.tif");
    refused(record.get(), "directory entries cut off");
  }
  {
    RecordPtr record = RecordFor(s);
    DWORD* offsets = (DWORD*)GlobalLock(record->TiffStripOffsets);
    offsets[2] = (DWORD)s.bytes.size() + 100;
    GlobalUnlock(record->TiffStripOffsets);
    refused(record.get(), "strip beyond the file");
  }
  {
    RecordPtr record = RecordFor(s);
    record->TiffStripCount = 50; // a longer StripByteCounts than StripOffsets
    refused(record.get(), "more strips than offsets");
  }
  {
    RecordPtr record = withBytes(s.bytes, "refuse_gone.tif");
    remove(record->TiffPath);
    refused(record.get(), "source file gone");
  }
  {
    // The file grew after it was read: the copy no longer holds it.
    RecordPtr record = withBytes(s.bytes, "refuse_grown.tif");
    std::vector<uint8_t> grown = s.bytes;
    grown.resize(grown.size() + 20000, 0);
    WriteBytes(record->TiffPath, grown);
    refused(record.get(), "source grown");
  }
}

TEST(Drf2Tiff, UnwritableOutputReturnsZero) {
  Source s = MakeSource("unwritable_src.tif", 40, 20, 20);
  RecordPtr record = RecordFor(s);
  EXPECT_EQ(Convert(record.get(), TempPath("no_such_dir") + "/out.tif"), 0);
  EXPECT_EQ(Convert(record.get(), ""), 0);
}

#endif
