// The TIFF reader on hand-made files: the memory copy, the header, the
// directory and its numbers, and every error the load reports.
#include "tiff_files.h"

#include "frame/frame.h"
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
  std::string path = TiffScratchPath(name);
  EXPECT_TRUE(TiffWriteBytes(path, bytes));
  return path;
}

std::string Write(const std::string& name, const TiffFileBuilder& file) {
  return Write(name, file.Build());
}

std::string LastBoxText() {
  const auto& log = tavwin::MessageBoxLog();
  return log.empty() ? std::string() : log.back().text;
}

const DWORD* Locked(HGLOBAL table) {
  return (const DWORD*)GlobalLock(table);
}

TEST(TiffReader, MemoryCopyInWholeBlocks) {
  // A file of exactly 10240 bytes is followed by a further block of zeros.
  TiffFileBuilder file = Picture(false);
  std::vector<uint8_t> bytes = file.Build();
  bytes.resize(10240, 0xEE);
  std::string path = Write("block.tif", bytes);
  TiffRecord record;
  ASSERT_EQ(record.Load(path), 1);
  CMemFile* copy = record->PictureFile;
  ASSERT_NE(copy, nullptr);
  ASSERT_EQ(copy->GetLength(), 20480u);
  EXPECT_EQ(memcmp(copy->Data(), bytes.data(), bytes.size()), 0);
  for (size_t i = 10240; i < 20480; ++i)
    ASSERT_EQ(copy->Data()[i], 0) << i;
  // A short file: zeros up to the next block.
  std::string small = Write("small.tif", Picture(false));
  ASSERT_EQ(record.Load(small), 1);
  EXPECT_EQ(+record->PictureFile->GetLength(), 10240u);
}

TEST(TiffReader, NumbersInEitherByteOrderAndEntryType) {
  for (bool big : {false, true}) {
    for (bool shorts : {false, true}) {
      TiffFileBuilder file(big);
      uint32_t offsets = shorts ? file.AddShorts({100, 200, 300}) : file.AddLongs({100, 200, 300});
      uint16_t arrayType = shorts ? 3 : 4;
      if (shorts) {
        file.ShortEntry(256, 1728);
        file.ShortEntry(257, 2200);
      } else {
        file.LongEntry(256, 1728);
        file.LongEntry(257, 2200);
      }
      file.ShortEntry(259, 2);
      file.Entry(273, arrayType, 3, offsets);
      file.ShortEntry(278, 7); // after the array: the walk goes on there
      if (shorts)
        file.ShortEntry(279, 40);
      else
        file.LongEntry(279, 40);
      std::string path =
          Write(std::string("order-") + (big ? "big" : "little") + (shorts ? "-short" : "-long") + ".tif", file);
      TiffRecord record;
      ASSERT_EQ(record.Load(path), 1) << big << shorts;
      EXPECT_EQ(+record->TIFFSize.x, 1728);
      EXPECT_EQ(+record->TIFFSize.y, 2200);
      EXPECT_EQ(+record->TiffCompression, 2);
      EXPECT_EQ(+record->TiffRowsPerStrip, 7);
      EXPECT_EQ(+record->TiffStripOffsetsCount, 3u);
      EXPECT_EQ(+record->TiffStripCount, 1u); // tag 279 came last
      const DWORD* o = Locked(record->TiffStripOffsets);
      EXPECT_EQ(o[0], 100u);
      EXPECT_EQ(o[1], 200u);
      EXPECT_EQ(o[2], 300u);
      GlobalUnlock(record->TiffStripOffsets);
      const DWORD* c = Locked(record->TiffStripByteCounts);
      EXPECT_EQ(c[0], 40u);
      GlobalUnlock(record->TiffStripByteCounts);
    }
  }
}

TEST(TiffReader, StripTablesInTheValueField) {
  // One LONG, or two SHORTs, stand in the value field itself.
  TiffFileBuilder file = Picture(true);
  std::vector<uint8_t> field;
  file.PutShort(field, 11);
  file.PutShort(field, 22);
  uint32_t value = uint32_t(field[0]) << 24 | field[1] << 16 | field[2] << 8 | field[3];
  file.Entry(279, 3, 2, value);
  std::string path = Write("in-field.tif", file);
  TiffRecord record;
  ASSERT_EQ(record.Load(path), 1);
  EXPECT_EQ(+record->TiffStripOffsetsCount, 1u);
  EXPECT_EQ(+record->TiffStripCount, 2u);
  EXPECT_EQ(Locked(record->TiffStripOffsets)[0], 8u);
  GlobalUnlock(record->TiffStripOffsets);
  const DWORD* counts = Locked(record->TiffStripByteCounts);
  EXPECT_EQ(counts[0], 11u);
  EXPECT_EQ(counts[1], 22u);
  GlobalUnlock(record->TiffStripByteCounts);
  // Without tag 279 there is no byte count table.
  ASSERT_EQ(record.Load(Write("no-counts.tif", Picture(false))), 1);
  EXPECT_EQ(+record->TiffStripByteCounts, nullptr);
  EXPECT_EQ(+record->TiffStripCount, 1u);
}

TEST(TiffReader, RepeatedTagsReplaceAndNothingLeaks) {
  long before = tavwin::LiveGlobalBlocks();
  {
    TiffFileBuilder file = Picture(false);
    uint32_t more = file.AddLongs({1, 2, 3, 4});
    file.Entry(273, 4, 4, more);
    file.Entry(279, 4, 4, more);
    file.Entry(279, 4, 2, more);
    file.LongEntry(256, 640);
    std::string path = Write("repeat.tif", file);
    TiffRecord record;
    ASSERT_EQ(record.Load(path), 1);
    EXPECT_EQ(+record->TIFFSize.x, 640);
    EXPECT_EQ(+record->TiffStripOffsetsCount, 4u);
    EXPECT_EQ(+record->TiffStripCount, 2u);
    ASSERT_EQ(record.Load(path), 1); // the tables of the first load go
    TiffExport(record.get());
  }
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), before);
}

TEST(TiffReader, CompressionOtherThanTwoIsError13) {
  struct Case {
    uint16_t compression;
    const char* insert;
  } cases[] = {{1, "1"}, {3, "3"}, {4, "4"}, {5, "5"}, {32773, "-32763"}};
  for (const Case& c : cases) {
    TiffRecord record;
    tavwin::ClearMessageBoxLog();
    EXPECT_EQ(record.Load(Write("compression.tif", Picture(false, c.compression))), 0);
    EXPECT_EQ(LastErrorCode(), 13u);
    EXPECT_NE(LastBoxText().find(std::string("(") + c.insert + ")"), std::string::npos) << LastBoxText();
    EXPECT_NE(+record->PictureFile, nullptr); // the copy is kept
  }
  // An empty directory leaves the compression of a fresh record: 0.
  TiffFileBuilder empty;
  TiffRecord record;
  EXPECT_EQ(record.Load(Write("empty-ifd.tif", empty)), 0);
  EXPECT_EQ(LastErrorCode(), 13u);
  EXPECT_NE(LastBoxText().find("(0)"), std::string::npos) << LastBoxText();
}

TEST(TiffReader, UnreadableDirectoryIsError12) {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
  files.push_back({"short", {'I', 'I', 42, 0}});
  files.push_back({"not-tiff", std::vector<uint8_t>(100, 'x')});
  files.push_back({"mixed-order", {'I', 'M', 42, 0, 8, 0, 0, 0, 0, 0}});
  files.push_back({"version", {'I', 'I', 43, 0, 8, 0, 0, 0, 0, 0}});
  files.push_back({"ifd-beyond", {'I', 'I', 42, 0, 0, 0, 1, 0, 0, 0}});
  files.push_back({"ifd-2g", {'I', 'I', 42, 0, 0, 0, 0, 0x80, 0, 0}});
  files.push_back({"ifd-4g", {'M', 'M', 0, 42, 0xFF, 0xFF, 0xFF, 0xF0}});
  // An entry that runs past the end of the memory copy (10240 bytes).
  std::vector<uint8_t> cut(10239, 0);
  cut[0] = cut[1] = 'I';
  cut[2] = 42;
  cut[4] = 0xFC; // IFD at 10236: count 1, and only two bytes of its entry
  cut[5] = 0x27;
  cut[10236] = 1;
  files.push_back({"cut-entry", cut});
  for (const auto& f : files) {
    TiffRecord record;
    tavwin::ClearMessageBoxLog();
    std::string path = Write(f.first + ".tif", f.second);
    EXPECT_EQ(record.Load(path), 0) << f.first;
    EXPECT_EQ(LastErrorCode(), 12u) << f.first;
    EXPECT_NE(LastBoxText().find("Error while displaying TIFF-File"), std::string::npos) << LastBoxText();
    EXPECT_NE(+record->PictureFile, nullptr) << f.first;
  }
}

TEST(TiffReader, StripTablesThatCannotBeHeldAreError12) {
  // Arrays beyond the file, a count no file can hold, and a table whose
  // memory is refused.
  struct Case {
    const char* name;
    uint32_t count, offset;
  } cases[] = {
      {"past-end", 40, 10200}, {"huge", 1u << 30, 8}, {"wrapping", 0x40000001u, 16}, {"offset-2g", 4, 0x80000000u}};
  for (const Case& c : cases) {
    TiffFileBuilder file = Picture(false);
    file.Entry(279, 4, c.count, c.offset);
    TiffRecord record;
    long blocks = tavwin::LiveGlobalBlocks();
    EXPECT_EQ(record.Load(Write(std::string(c.name) + ".tif", file)), 0) << c.name;
    EXPECT_EQ(LastErrorCode(), 12u) << c.name;
    EXPECT_LE(tavwin::LiveGlobalBlocks(), blocks + 1) << c.name;
  }
  TiffRecord record;
  std::string path = Write("alloc.tif", Picture(false));
  lstrcpyA(record->TiffPath, path.c_str());
  ClearLastErrorCode();
  tavwin::FailGlobalAllocAt(1);
  EXPECT_EQ(LoadTIFF(record.get()), 0);
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

TEST(TiffReader, FilesThatCannotBeCopiedAreErrors14And15) {
  TiffRecord record;
  std::string good = Write("good.tif", Picture(false));
  ASSERT_EQ(record.Load(good), 1);
  CMemFile* copy = record->PictureFile;
  tavwin::ClearMessageBoxLog();
  std::string missing = TiffScratchPath("no-such-file.tif");
  EXPECT_EQ(record.Load(missing), 0);
  EXPECT_EQ(LastErrorCode(), 14u);
  EXPECT_NE(LastBoxText().find("Unable to open Image\n" + missing), std::string::npos) << LastBoxText();
  EXPECT_EQ(+record->PictureFile, copy); // unchanged after 14 and 15
  // A file whose length says 0 while reading it gives bytes.
  EXPECT_EQ(record.Load("/proc/self/status"), 0);
  EXPECT_EQ(LastErrorCode(), 15u);
  EXPECT_NE(LastBoxText().find("Unexpected end of file\n/proc/self/status"), std::string::npos) << LastBoxText();
  EXPECT_EQ(+record->PictureFile, copy);
}

} // namespace
