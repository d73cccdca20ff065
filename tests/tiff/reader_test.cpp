// The TIFF reader on hand-made files: the memory copy, the header, the
// directory and its numbers, and every error the load reports.
#include "tiff_files.h"

#include "core/core.h"
#include "tiff/tiff.h"

#include <afx.h>
#include <gtest/gtest.h>
#include <tavwin_test.h>

#include <string>

namespace {

// A directory with a picture size, a compression and one strip of made-up
// data; more entries can follow.
TiffFileBuilder Picture(bool bigEndian, uint16_t compression = 2) {
  TiffFileBuilder file(bigEndian);
  uint32_t strip = file.AddBytes(std::vector<uint8_t>(64, 0x5A));
  file.LongEntry(256, 100);
  file.LongEntry(257, 20);
  file.ShortEntry(259, compression);
  file.LongEntry(273, strip);
  return file;
}

std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
  std::string path = drftest::TempPath(name);
  EXPECT_TRUE(drftest::WriteBytes(path, bytes));
  return path;
}

// Width, height, compression, rows per strip, and the lengths of the strip
// offset and byte count tables.
std::vector<long> Numbers(const TiffRecord& record) {
  return {record->TIFFSize.x,
          record->TIFFSize.y,
          record->TiffCompression,
          record->TiffRowsPerStrip,
          (long)record->TiffStripOffsetsCount,
          (long)record->TiffStripCount};
}

// The values of a strip table.
std::vector<DWORD> Table(HGLOBAL table, DWORD count) {
  const DWORD* values = (const DWORD*)GlobalLock(table);
  std::vector<DWORD> result(values, values + count);
  GlobalUnlock(table);
  return result;
}

std::vector<uint8_t> WithEntry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
  TiffFileBuilder file = Picture(false);
  file.Entry(tag, type, count, value);
  return file.Build();
}

TEST(TiffReader, MemoryCopyInWholeBlocks) {
  // A file of exactly 10240 bytes is followed by a further block of zeros.
  std::vector<uint8_t> bytes = Picture(false).Build();
  bytes.resize(10240, 0xEE);
  TiffRecord record;
  ASSERT_EQ(record.Load(Write("block.tif", bytes)), 1);
  CMemFile* copy = record->PictureFile;
  ASSERT_NE(copy, nullptr);
  ASSERT_EQ(copy->GetLength(), 20480u);
  EXPECT_EQ(memcmp(copy->Data(), bytes.data(), bytes.size()), 0);
  for (size_t i = 10240; i < 20480; ++i)
    ASSERT_EQ(copy->Data()[i], 0) << i;
  // A short file: zeros up to the next block. Without tag 279 there is no
  // byte count table.
  ASSERT_EQ(record.Load(Write("small.tif", Picture(false).Build())), 1);
  EXPECT_EQ(+record->PictureFile->GetLength(), 10240u);
  EXPECT_EQ(+record->TiffStripByteCounts, nullptr);
  EXPECT_EQ(+record->TiffStripCount, 1u);
}

TEST(TiffReader, NumbersInEitherByteOrderAndEntryType) {
  for (bool big : {false, true}) {
    for (bool shorts : {false, true}) {
      TiffFileBuilder file(big);
      auto number = [&](uint16_t tag, uint16_t value) {
        shorts ? file.ShortEntry(tag, value) : file.LongEntry(tag, value);
      };
      uint32_t offsets = file.AddNumbers({100, 200, 300}, shorts ? 2 : 4);
      number(256, 1728);
      number(257, 2200);
      file.ShortEntry(259, 2);
      file.Entry(273, shorts ? 3 : 4, 3, offsets);
      file.ShortEntry(278, 7); // after the array: the walk goes on there
      number(279, 40);
      TiffRecord record;
      ASSERT_EQ(record.Load(Write("order.tif", file.Build())), 1) << big << shorts;
      EXPECT_EQ(Numbers(record), (std::vector<long>{1728, 2200, 2, 7, 3, 1})); // tag 279 came last
      EXPECT_EQ(Table(record->TiffStripOffsets, 3), (std::vector<DWORD>{100, 200, 300}));
      EXPECT_EQ(Table(record->TiffStripByteCounts, 1), (std::vector<DWORD>{40}));
    }
  }
  // One LONG, or two SHORTs, stand in the value field itself.
  TiffFileBuilder file = Picture(true);
  file.Entry(279, 3, 2, 11u << 16 | 22);
  TiffRecord record;
  ASSERT_EQ(record.Load(Write("in-field.tif", file.Build())), 1);
  EXPECT_EQ(Numbers(record), (std::vector<long>{100, 20, 2, 0, 1, 2}));
  EXPECT_EQ(Table(record->TiffStripOffsets, 1), (std::vector<DWORD>{8}));
  EXPECT_EQ(Table(record->TiffStripByteCounts, 2), (std::vector<DWORD>{11, 22}));
  // A table may end at the last byte of the memory copy (10240), not after it.
  for (uint16_t type : {3, 4})
    for (uint32_t beyond : {0u, 1u}) {
      const uint32_t bytes = type == 3 ? 6 : 12;
      ASSERT_EQ(record.Load(Write("table-end.tif", WithEntry(279, type, 3, 10240 - bytes + beyond))), beyond ? 0 : 1)
          << type;
    }
  // Rows per strip are the low 16 bits of the value.
  const std::pair<uint32_t, long> rows[] = {{65537, 1}, {65536, 0}, {0xFFFFFFFF, 65535}, {65535, 65535}};
  for (const auto& r : rows) {
    ASSERT_EQ(record.Load(Write("rows-per-strip.tif", WithEntry(278, 4, 1, r.first))), 1);
    EXPECT_EQ(+record->TiffRowsPerStrip, r.second) << r.first;
  }
}

TEST(TiffReader, RepeatedTagsReplaceAndNothingLeaks) {
  long before = tavwin::LiveGlobalBlocks();
  {
    TiffFileBuilder file = Picture(false);
    uint32_t more = file.AddNumbers({1, 2, 3, 4}, 4);
    file.Entry(273, 4, 4, more);
    file.Entry(279, 4, 4, more);
    file.Entry(279, 4, 2, more);
    file.LongEntry(256, 640);
    std::string path = Write("repeat.tif", file.Build());
    TiffRecord record;
    ASSERT_EQ(record.Load(path), 1);
    EXPECT_EQ(Numbers(record), (std::vector<long>{640, 20, 2, 0, 4, 2}));
    ASSERT_EQ(record.Load(path), 1); // the tables of the first load go
    TiffExport(record.get());
  }
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), before);
}

// Every failing load: 0, its error code and message box; a failure of the
// directory keeps the new memory copy, one of the copy keeps the earlier.
TEST(TiffReader, FailedLoadsReportTheirErrors) {
  // A little-endian header of a file of size bytes whose first IFD is at ifd.
  auto header = [](size_t size, uint16_t ifd) {
    std::vector<uint8_t> bytes(size, 0);
    bytes[0] = bytes[1] = 'I';
    bytes[2] = 42;
    bytes[4] = uint8_t(ifd), bytes[5] = uint8_t(ifd >> 8);
    return bytes;
  };
  // An entry that runs past the end of the memory copy (10240 bytes): count
  // 1, and only two bytes of its entry.
  std::vector<uint8_t> cut = header(10239, 10236);
  cut[10236] = 1;
  // An IFD of no entries in the copy's last two bytes; a first IFD at 0,
  // whose entry count is the byte-order mark: 0x4949 entries of zeros, all
  // inside a file of 240,000 bytes.
  const std::vector<uint8_t> lastTwo = header(10239, 10238), atZero = header(240000, 0);
  const std::string missing = drftest::TempPath("no-such-file.tif");
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes; // empty: path is read as it is
    std::string path;
    UINT code;
    std::string box;
  } cases[] = {
      {"compression 1", Picture(false, 1).Build(), "", 13, "Unsupported TIFF-Compression (1)"},
      {"compression 3", Picture(false, 3).Build(), "", 13, "Unsupported TIFF-Compression (3)"},
      {"compression 4", Picture(true, 4).Build(), "", 13, "Unsupported TIFF-Compression (4)"},
      {"compression 32773", Picture(false, 32773).Build(), "", 13, "Unsupported TIFF-Compression (-32763)"},
      {"no compression tag", TiffFileBuilder().Build(), "", 13, "Unsupported TIFF-Compression (0)"},
      {"IFD at the copy's end", lastTwo, "", 13, "Unsupported TIFF-Compression (0)"},
      {"IFD at 0", atZero, "", 13, "Unsupported TIFF-Compression (0)"},
      {"short", {'I', 'I', 42, 0}, "", 12, "Error while displaying TIFF-File"},
      {"not a TIFF", std::vector<uint8_t>(100, 'x'), "", 12, "Error while displaying TIFF-File"},
      {"mixed byte order", {'I', 'M', 42, 0, 8, 0, 0, 0, 0, 0}, "", 12, "Error while displaying TIFF-File"},
      {"version 43", {'I', 'I', 43, 0, 8, 0, 0, 0, 0, 0}, "", 12, "Error while displaying TIFF-File"},
      {"IFD beyond the file", {'I', 'I', 42, 0, 0, 0, 1, 0, 0, 0}, "", 12, "Error while displaying TIFF-File"},
      {"IFD at 2^31", {'I', 'I', 42, 0, 0, 0, 0, 0x80, 0, 0}, "", 12, "Error while displaying TIFF-File"},
      {"IFD near 2^32", {'M', 'M', 0, 42, 0xFF, 0xFF, 0xFF, 0xF0}, "", 12, "Error while displaying TIFF-File"},
      {"entry cut off", cut, "", 12, "Error while displaying TIFF-File"},
      // Strip tables beyond the file, or that no file can hold.
      {"table past the end", WithEntry(279, 4, 40, 10200), "", 12, "Error while displaying TIFF-File"},
      {"table of 2^30", WithEntry(279, 4, 1u << 30, 8), "", 12, "Error while displaying TIFF-File"},
      {"table size wraps", WithEntry(279, 4, 0x40000001u, 16), "", 12, "Error while displaying TIFF-File"},
      {"table at 2^31", WithEntry(279, 4, 4, 0x80000000u), "", 12, "Error while displaying TIFF-File"},
      {"missing file", {}, missing, 14, "Unable to open Image\n" + missing},
      // A file whose length says 0 while reading it gives bytes.
      {"length 0", {}, "/proc/self/status", 15, "Unexpected end of file\n/proc/self/status"},
  };
  std::string good = Write("good.tif", Picture(false).Build());
  for (const Case& c : cases) {
    TiffRecord record;
    if (c.code >= 14) {
      ASSERT_EQ(record.Load(good), 1);
    }
    CMemFile* copy = record->PictureFile;
    tavwin::ClearMessageBoxLog();
    long blocks = tavwin::LiveGlobalBlocks();
    EXPECT_EQ(record.Load(c.bytes.empty() ? c.path : Write("failing.tif", c.bytes)), 0) << c.what;
    EXPECT_EQ(LastErrorCode(), c.code) << c.what;
    ASSERT_FALSE(tavwin::MessageBoxLog().empty()) << c.what;
    EXPECT_EQ(tavwin::MessageBoxLog().back().text, c.box) << c.what;
    EXPECT_TRUE(c.code >= 14 ? record->PictureFile == copy : record->PictureFile != nullptr) << c.what;
    EXPECT_LE(tavwin::LiveGlobalBlocks(), blocks + 1) << c.what;
  }
  // A strip table whose memory is refused.
  TiffRecord record;
  tavwin::FailGlobalAllocAt(1);
  EXPECT_EQ(record.Load(good), 0);
  tavwin::FailGlobalAllocAt(0);
  EXPECT_EQ(LastErrorCode(), 12u);
}

TEST(TiffReader, Error12GivesWayToAnEarlierFailure) {
  TiffRecord record;
  lstrcpyA(record->TiffPath, Write("not-tiff.tif", std::vector<uint8_t>(20, 'x')).c_str());
  ClearLastErrorCode();
  ReportError(TAV_ERR_GLOBAL_LOCK, record->TiffPath);
  EXPECT_EQ(LoadTIFF(record.get()), 0);
  EXPECT_EQ(LastErrorCode(), 2u);
}

} // namespace
