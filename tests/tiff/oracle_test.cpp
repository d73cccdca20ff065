// The 1-bit export against libtiff's decode of the same file: files written
// by libtiff from known bitmaps and the sample drawings rendered by
// Ghostscript; and what the export refuses.
#include "tiff_files.h"

#include <gtest/gtest.h>
#include <tavwin_test.h>

#include <stdlib.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

// The first of rows 0 to rows - 1 in which a and b differ, or rows.
int FirstDifferentRow(const TiffBitmap& a, const TiffBitmap& b, int rows) {
  const auto end = a.black.begin() + (size_t)rows * a.width;
  return int(std::mismatch(a.black.begin(), end, b.black.begin()).first - a.black.begin()) / a.width;
}

// Loads path, exports it and compares every row but the last with the
// oracle, libtiff's decode of the file or of its twin with byte counts.
// Rows that begin in the last 4 bytes of their strip as the library holds
// it (a strip without byte count reaching to the next strip, the last one to
// the end of the memory copy) are not decoded and stay white, and so does
// the picture's last row. With source, the bitmap the file was written from,
// the oracle is checked against it on the other rows (libtiff itself
// stumbles over a short last row of a strip).
void ExpectExportMatches(const std::string& path, const TiffBitmap& oracle, const TiffBitmap* source = nullptr) {
  TiffBitmap expected = oracle, written = source != nullptr ? *source : oracle;
  ASSERT_EQ(expected.black.size(), written.black.size()) << path;
  const std::vector<uint8_t> file = TiffReadBytes(path);
  const TiffDirectory d = TiffReadDirectory(file);
  const TiffDirEntry *offsets = d.Find(273), *counts = d.Find(279), *perStrip = d.Find(278);
  std::vector<uint32_t> lengths;
  TiffEncodeRows(written, &lengths);
  const size_t rows = written.height, copyLength = (file.size() / 10240 + 1) * 10240;
  const size_t each = perStrip != nullptr && !perStrip->values.empty() ? perStrip->values[0] : rows;
  ASSERT_TRUE(offsets != nullptr && lengths.size() == rows) << path << ": no strips";
  const std::vector<uint32_t>& at = offsets->values;
  for (size_t s = 0; s < at.size() && s * each < rows; ++s) {
    const size_t held = counts != nullptr   ? counts->values[s]
                        : s + 1 < at.size() ? at[s + 1] - at[s]
                                            : copyLength - at[s];
    size_t start = 0, white = 0, end = std::min(rows, (s + 1) * each);
    for (size_t r = s * each; r < end; start += lengths[r++]) {
      if (start + 4 < held)
        continue;
      ++white;
      std::fill_n(expected.black.begin() + r * expected.width, expected.width, 0);
      std::fill_n(written.black.begin() + r * written.width, written.width, 0);
    }
    // The rows libtiff encodes for the bitmap add up to the file's strips.
    ASSERT_FALSE(start - lengths[end - 1] >= held || (counts != nullptr && start > held) || white > 4)
        << path << ": strip " << s << " holds " << held << " bytes, its rows " << start;
  }
  ASSERT_EQ(FirstDifferentRow(expected, written, written.height - 1), written.height - 1) << path << ": the writer";
  TiffRecord record;
  ASSERT_EQ(record.Load(path), 1) << path;
  TiffBitmap exported = TiffExport(record.get());
  ASSERT_EQ(exported.width, oracle.width) << path;
  ASSERT_EQ(exported.height, oracle.height) << path;
  EXPECT_EQ(FirstDifferentRow(exported, expected, oracle.height - 1), oracle.height - 1) << path;
  for (int x = 0; x < exported.width; ++x)
    ASSERT_EQ(exported.at(x, exported.height - 1), 0) << "last row, column " << x;
}

#ifdef TAV_HAVE_LIBTIFF

TEST(TiffOracle, LibtiffFilesOfEveryWidthAndLayout) {
  struct Layout {
    const char* name;
    TiffWriteOptions options;
  } layouts[] = {
      {"one-strip", {0, false, true}},      {"rows1", {1, false, true}},         {"rows7", {7, false, true}},
      {"rows64", {64, false, true}},        {"big-endian", {7, true, true}},     {"no-byte-counts", {7, false, false}},
      {"big-no-counts", {64, true, false}}, {"big-one-strip", {0, true, false}},
  };
  const int widths[] = {1, 7, 8, 9, 1727, 1728, 2048, 2560, 13, 333, 1000, 4001};
  uint32_t seed = 1;
  for (int width : widths) {
    for (const Layout& layout : layouts) {
      TiffBitmap bitmap = TiffRandomBitmap(width, 37 + int(seed % 50), seed);
      ++seed;
      const std::string name = "w" + std::to_string(width) + "-" + layout.name + ".tif";
      const std::string path = TiffWritten(name, bitmap, layout.options);
      // libtiff does not read a file without byte counts: its twin with
      // them holds the same strips.
      TiffWriteOptions twin = layout.options;
      twin.byteCounts = true;
      TiffBitmap oracle;
      ASSERT_TRUE(TiffDecodeWithLibtiff(TiffWritten(name + ".twin.tif", bitmap, twin), &oracle)) << path;
      ExpectExportMatches(path, oracle, &bitmap);
      if (HasFatalFailure())
        return;
    }
  }
}

TEST(TiffOracle, EveryCodeOfBothColours) {
  // Row r holds a white run of r pixels and then black to the end.
  TiffBitmap bitmap(2560, 2561);
  for (int y = 0; y < bitmap.height; ++y)
    for (int x = y; x < bitmap.width; ++x)
      bitmap.at(x, y) = 1;
  const std::string path = TiffWritten("every-run.tif", bitmap, {100, true, true});
  TiffBitmap oracle;
  ASSERT_TRUE(TiffDecodeWithLibtiff(path, &oracle));
  ExpectExportMatches(path, oracle, &bitmap);
}

TEST(TiffOracle, GhostscriptPages) {
  if (system("gs --version >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "Ghostscript is not installed (scripts/deps)";
  // The parts diagram (text, rules, hatching) on a fax page, cut short and
  // wider than a fax; the shaded bearing cap in halftone dots (many short
  // runs).
  const std::string src = std::string(TAV_SOURCE_DIR) + "/samples/src/";
  struct Page {
    const char* drawing;
    int width, height, dpi;
  } pages[] = {{"drive-unit", 1728, 2200, 200},
               {"drive-unit", 1728, 300, 200},
               {"drive-unit", 2560, 1200, 296},
               {"bearing-cap", 1111, 833, 200},
               {"control-panel", 500, 700, 100}};
  for (const Page& p : pages) {
    // Ghostscript's tiffcrle device writes Compression 2.
    const std::string size = std::to_string(p.width) + "x" + std::to_string(p.height);
    const std::string path = drftest::TempPath(std::string("gs-") + p.drawing + "-" + size + ".tif");
    const std::string command = "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=tiffcrle -r" + std::to_string(p.dpi) + " -g" +
                                size + " -sOutputFile='" + path + "' '" + src + "spots.ps' '" + src + p.drawing +
                                ".ps' >/dev/null 2>&1";
    ASSERT_TRUE(system(command.c_str()) == 0 && !TiffReadBytes(path).empty()) << path;
    TiffBitmap oracle;
    ASSERT_TRUE(TiffDecodeWithLibtiff(path, &oracle)) << path;
    ExpectExportMatches(path, oracle);
  }
}

// What the 1-bit export refuses, and how it fails (its windows are the
// clipboard suite's sections).
TEST(TiffExport, RefusalsAndFailures) {
  TiffBitmap bitmap = TiffRandomBitmap(64, 30, 6);
  TiffRecord record;
  ASSERT_EQ(record.Load(TiffWritten("refuse.tif", bitmap)), 1);
  std::vector<uint8_t> dib(48 + 8 * 30, 0xAB);
  EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(nullptr, dib.data()), 0);
  EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(record.get(), nullptr), 0);
  auto foreign = std::make_unique<ImgStruct>();
  *foreign = *record.get();
  EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(foreign.get(), dib.data()), 0);
  foreign->PictureFile = nullptr; // not ours to free
  LONG width = record->TIFFSize.x;
  record->TIFFSize.x = 0;
  EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(record.get(), dib.data()), 0);
  record->TIFFSize.x = width;
  EXPECT_EQ(dib, std::vector<uint8_t>(dib.size(), 0xAB)); // nothing written

  // Without its working row the export gives 0; without its strip, white.
  long blocks = tavwin::LiveGlobalBlocks();
  std::fill(dib.begin(), dib.end(), 0);
  tavwin::FailGlobalAllocAt(1);
  EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(record.get(), dib.data()), 0);
  tavwin::FailGlobalAllocAt(2);
  EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(record.get(), dib.data()), 1);
  tavwin::FailGlobalAllocAt(0);
  for (size_t i = 48; i < dib.size(); ++i)
    ASSERT_EQ(dib[i], 0) << i;
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocks);

  // The stride in bits is a 16-bit signed number: from a width of 32,737 on
  // the rows stay white.
  for (int width : {32736, 32737}) {
    TiffBitmap black(width, 3);
    std::fill(black.black.begin(), black.black.end(), 1);
    ASSERT_EQ(record.Load(TiffWritten("wide.tif", black)), 1);
    const TiffBitmap exported = TiffExport(record.get());
    ASSERT_EQ(exported.width, width);
    EXPECT_EQ(std::count(exported.black.begin(), exported.black.begin() + width, 1), width < 32737 ? width : 0);
  }
}

#endif

} // namespace
