// The DRF-to-TIFF converter: the directory editing, the file it writes byte
// for byte, what libtiff and our own reader find in it, and the sources it
// refuses without writing anything.
#include <gtest/gtest.h>

#include <afx.h>
#include <tavoimg/tavoimg.h>

#include "drf/drf.h"
#include "core/core.h"
#include "tiff_files.h"
#include "write_limits.h"

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <memory>

namespace {

LONG Convert(ImgStruct* record, const std::string& output) {
  return FILE_DRF2TIFF_Hotspots(0, record, CString(output.c_str()));
}

#ifdef TAV_HAVE_LIBTIFF

// A libtiff file of a random picture, as the converter's source.
struct Source {
  Source(const std::string& name, int width, int height, TiffWriteOptions options)
      : bitmap(TiffRandomBitmap(width, height, width * 31 + height)), path(TiffWritten(name, bitmap, options)),
        bytes(TiffReadBytes(path)) {}
  TiffBitmap bitmap;
  std::string path;
  std::vector<uint8_t> bytes;
};

struct Hotspot {
  TavRect drfRect;
  TiffSpot stored;
};

// The converted file byte for byte, then libtiff's and our reader's view
// of it.
TEST(Drf2Tiff, WritesSourceCountsRecordsAndDirectory) {
  const std::vector<Hotspot> three = {
      {{7, 3, 41, 20}, {14, 3, 51, 25, "Pump", "Main pump, north", 5}},
      {{100, 50, 60, 30}, {153, 73, 60, 30, "Inverted", "", 0}}, // right and bottom before left and top
      {{0, 0, 0, 0}, {3, 65534, 0, 0, "", "", 3}}};              // the low 16 bits of a negative edge
  struct Case {
    int width, height;
    TiffWriteOptions options;
    TavPair drfSize; // 0: the TIFF's
    LONG spotOffset[2];
    std::vector<Hotspot> spots;
  } cases[] = {
      {300, 120, {16}, {200, 80}, {3, -2}, three},                                  // scaled by 1.5 both ways
      {64, 40, {40}, {0, 0}, {0, 0}, {}},                                           // one strip, no hotspots
      {80, 30, {10}, {0, 0}, {0, 0}, {{{1, 1, 5, 5}, {1, 1, 4, 4, "Odd", "", 1}}}}, // directory at an odd offset
      {40, 20, {20, false, true, 1}, {0, 0}, {0, 0}, {{{2, 3, 7, 9}, {2, 3, 5, 6, "P", "Photometric 1", 2}}}},
      // Without byte counts: tag 279 goes between the tags around it.
      {90, 50, {16, false, false}, {0, 0}, {0, 0}, {{{4, 4, 8, 8}, {4, 4, 4, 4, "No counts", "", 4}}}},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << n);
    Source s("drf2tiff-source" + std::to_string(n) + ".tif", c.width, c.height, c.options);
    TiffRecord record;
    ASSERT_EQ(record.Load(s.path), 1);
    record->DRFSize = c.drfSize;
    record->DRFSpotOffset[0] = c.spotOffset[0];
    record->DRFSpotOffset[1] = c.spotOffset[1];
    std::vector<TiffSpot> stored;
    for (const Hotspot& h : c.spots) {
      HotspotEntry& e = record->Hotspots[record->HotspotCount++];
      e.PictureRect = h.drfRect;
      lstrcpynA(e.HotspotName, h.stored.name.c_str(), sizeof e.HotspotName);
      lstrcpynA(e.HotspotText, h.stored.text.c_str(), sizeof e.HotspotText);
      e.HotspotKind = (signed char)h.stored.kind;
      stored.push_back(h.stored);
    }
    TAVIMG_ShowErrorMessages(0);
    ReportError(TAV_ERR_TIFF_DISPLAY, "x");
    std::string out = drftest::TempPath("drf2tiff-out" + std::to_string(n++) + ".tif");
    ASSERT_EQ(Convert(record.get(), out), 1);
    EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_TIFF_DISPLAY); // kept
    TAVIMG_ShowErrorMessages(1);
    // The record was put into TIFF coordinates and stays so.
    EXPECT_EQ(std::vector<long>(
                  {record->PictureMode, record->TiffShown, record->ScaledClientSize.x, record->ScaledClientSize.y}),
              std::vector<long>({0, 1, c.width, c.height}));

    // The source with the new directory offset (and photometric 0), the
    // byte counts derived from the strip offsets, the hotspot records scaled
    // to the TIFF (nearest) and moved by the spot offset, and the source's
    // directory with 279 (replaced, not doubled) and 65024 in tag order.
    TiffDirectory original = TiffReadDirectory(s.bytes);
    ASSERT_TRUE(original.ok);
    const std::vector<uint32_t>& offsets = original.Find(273)->values;
    const uint32_t S = (uint32_t)s.bytes.size(), strips = (uint32_t)offsets.size();
    std::vector<uint8_t> records = TiffSpotRecords(stored), expected(s.bytes.begin(), s.bytes.begin() + 4);
    TiffPut(expected, S + 4 * strips + (uint32_t)records.size(), 4, false);
    expected.insert(expected.end(), s.bytes.begin() + 8, s.bytes.end());
    std::vector<std::array<uint32_t, 4>> entries = {{279, 4, strips, strips == 1 ? S - offsets[0] : S},
                                                    {65024, 4, (uint32_t)stored.size(), S + 4 * strips}};
    for (size_t i = 0; i < original.entries.size(); ++i) {
      const TiffDirEntry& e = original.entries[i];
      if (e.tag == 262)
        expected[original.offset + 2 + 12 * i + 8] = 0;
      if (e.tag != 279)
        entries.push_back({e.tag, e.type, e.count, e.tag == 262 ? 0 : e.value});
    }
    for (uint32_t i = 0; i < strips; i++)
      TiffPut(expected, (i + 1 < strips ? offsets[i + 1] : S) - offsets[i], 4, false);
    expected.insert(expected.end(), records.begin(), records.end());
    std::sort(entries.begin(), entries.end());
    TiffPut(expected, (uint32_t)entries.size(), 2, false);
    for (const std::array<uint32_t, 4>& e : entries)
      for (int k = 0; k < 4; ++k)
        TiffPut(expected, e[k], k < 2 ? 2 : 4, false);
    TiffPut(expected, original.next, 4, false);
    std::vector<uint8_t> file = TiffReadBytes(out);
    ASSERT_EQ(file.size(), expected.size());
    EXPECT_EQ(std::mismatch(file.begin(), file.end(), expected.begin()).first - file.begin(), (long)file.size())
        << "the first byte that differs";

    // libtiff reads the pixels; our reader finds the picture and the hotspots.
    TiffBitmap decoded;
    ASSERT_TRUE(TiffDecodeWithLibtiff(out, &decoded));
    EXPECT_EQ(decoded.black, s.bitmap.black);
    TiffRecord back;
    ASSERT_EQ(back.Load(out), 1);
    EXPECT_EQ(TiffExport(back.get()).black, TiffExport(record.get()).black);
    EXPECT_EQ(+back->HotspotCount, (LONG)stored.size());
    EXPECT_EQ(TiffReadBytes(s.path), s.bytes); // the source file is untouched
  }
}

void Poke(ImgStruct* record, uint32_t at, uint32_t value, int size) {
  std::vector<uint8_t> bytes;
  TiffPut(bytes, value, size, false);
  record->PictureFile->Seek(at, CFile::begin);
  record->PictureFile->Write(bytes.data(), (UINT)size);
}

// Sources the converter refuses: it returns 0 and creates no file.
TEST(Drf2Tiff, RefusedSourcesWriteNothing) {
  static const Source s("refuse-source.tif", 50, 24, {8}), big("refuse-big.tif", 50, 24, {8, true});
  static const uint32_t S = (uint32_t)s.bytes.size();
  const std::string out = drftest::TempPath("refused.tif");
  struct Case {
    const char* why;
    void (*spoil)(TiffRecord& record);
  } cases[] = {
      {"no companion TIFF path", [](TiffRecord& r) { r->TiffPath[0] = 0; }},
      {"no open TIFF",
       [](TiffRecord& r) {
         delete r->PictureFile;
         r->PictureFile = nullptr;
       }},
      {"big-endian source", [](TiffRecord& r) { ASSERT_EQ(r.Load(big.path), 1); }},
      {"first directory beyond the file", [](TiffRecord& r) { Poke(r.get(), 4, S - 1, 4); }},
      {"directory entries cut off", [](TiffRecord& r) { Poke(r.get(), TiffLe32(s.bytes, 4), 0x0FF0, 2); }},
      {"strip beyond the file",
       [](TiffRecord& r) {
         ((DWORD*)GlobalLock(r->TiffStripOffsets))[2] = S + 100;
         GlobalUnlock(r->TiffStripOffsets);
       }},
      {"more strips than offsets", [](TiffRecord& r) { r->TiffStripCount = 50; }},
      {"source file gone", [](TiffRecord& r) { remove(r->TiffPath); }},
      {"source grown after it was read",
       [](TiffRecord& r) { drftest::WriteBytes(r->TiffPath, std::vector<uint8_t>(S + 20000, 0)); }},
  };
  for (const Case& c : cases) {
    std::string path = drftest::TempPath("refuse-copy.tif");
    ASSERT_TRUE(drftest::WriteBytes(path, s.bytes));
    TiffRecord record;
    ASSERT_EQ(record.Load(path), 1);
    c.spoil(record);
    EXPECT_EQ(Convert(record.get(), out), 0) << c.why;
    EXPECT_FALSE(std::ifstream(out).good()) << c.why;
  }
  TiffRecord record;
  ASSERT_EQ(record.Load(s.path), 1);
  EXPECT_EQ(Convert(nullptr, out), 0);
  std::unique_ptr<ImgStruct> foreign(new ImgStruct(*record.get())); // no record of the library's
  EXPECT_EQ(Convert(foreign.get(), out), 0);
  EXPECT_FALSE(std::ifstream(out).good());
  EXPECT_EQ(Convert(record.get(), drftest::TempPath("no_such_dir") + "/out.tif"), 0);
  EXPECT_EQ(Convert(record.get(), ""), 0);
}

// Writes that fail (the file-size limit, a full file system) return 0 and
// leave nothing behind; a file that was at the output path stays as it was.
// What fits replaces that file whole.
TEST(Drf2Tiff, FailedWritesLeaveNoFileAndKeepTheOldOne) {
  const std::string big = std::string(TAV_SOURCE_DIR) + "/samples/drive-unit.tif"; // 87,037 bytes
  Source small("fitting-source.tif", 50, 24, {8});
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  auto check = [&](const std::string& folder, const char* where) {
    SCOPED_TRACE(where);
    const std::string out = folder + "/converted.tif";
    remove(out.c_str());
    TiffRecord record;
    ASSERT_EQ(record.Load(big), 1);
    EXPECT_EQ(Convert(record.get(), out), 0);
    EXPECT_EQ(writelimits::FolderEntries(folder), std::vector<std::string>{});
    ASSERT_TRUE(drftest::WriteBytes(out, old));
    EXPECT_EQ(Convert(record.get(), out), 0);
    EXPECT_EQ(TiffReadBytes(out), old);
    EXPECT_EQ(writelimits::FolderEntries(folder), std::vector<std::string>{"converted.tif"});
    TiffRecord fits;
    ASSERT_EQ(fits.Load(small.path), 1);
    EXPECT_EQ(Convert(fits.get(), out), 1);
    EXPECT_GT(TiffReadBytes(out).size(), small.bytes.size());
    EXPECT_EQ(writelimits::FolderEntries(folder), std::vector<std::string>{"converted.tif"});
    remove(out.c_str());
  };
  {
    const std::string folder = drftest::TempPath("drf2tiff-limit-" + std::to_string(getpid()));
    mkdir(folder.c_str(), 0755);
    {
      writelimits::FileSizeLimit limit(8192);
      ASSERT_TRUE(limit.Set());
      check(folder, "8 KiB file-size limit");
    }
    rmdir(folder.c_str());
  }
  writelimits::SmallTmpfs full("drf2tiff-full");
  if (!full.Mounted())
    GTEST_SKIP() << "the case of a full file system is skipped: " << full.Why();
  check(full.Folder(), "64 KiB tmpfs");
}

#endif

} // namespace
