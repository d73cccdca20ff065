// The 1-bit export against libtiff's decode of the same file: files written
// by libtiff from known bitmaps and pages rendered by Ghostscript.
#include "tiff_files.h"

#include <tavwin_test.h>
#include <gtest/gtest.h>

#include <string>

namespace {

#ifndef TAV_HAVE_LIBTIFF
#  define SKIP_WITHOUT_LIBTIFF() GTEST_SKIP() << "libtiff is not installed (scripts/deps)"
#else
#  define SKIP_WITHOUT_LIBTIFF()
#endif

// Loads path, exports it and compares every row but the last with the
// oracle (libtiff's decode of the file or of its twin with byte counts).
// Rows that begin in the last 4 bytes of their strip are not decoded by the
// library and stay white, and so does the picture's last row. With source,
// the bitmap the file was written from, the oracle is checked against it on
// the other rows (libtiff itself stumbles over a short last row of a strip).
void ExpectExportMatches(const std::string& path, const TiffBitmap& oracle, const TiffBitmap* source = nullptr) {
  TiffStripLayout layout;
  ASSERT_TRUE(TiffReadStripLayout(path, &layout)) << path;
  std::vector<bool> atStripEnd;
  std::string message;
  ASSERT_TRUE(TiffRowsAtStripEnds(layout, TiffRowLengths(source != nullptr ? *source : oracle), &atStripEnd, &message))
      << path << ": " << message;
  TiffBitmap expected = oracle;
  int left = 0;
  for (int y = 0; y < expected.height; ++y) {
    if (!atStripEnd[y])
      continue;
    ++left;
    for (int x = 0; x < expected.width; ++x)
      expected.at(x, y) = 0;
  }
  EXPECT_LE(left, 4 * (int)layout.offsets.size()) << path;
  if (source != nullptr) {
    TiffBitmap written = *source;
    for (int y = 0; y < written.height; ++y)
      for (int x = 0; atStripEnd[y] && x < written.width; ++x)
        written.at(x, y) = 0;
    ASSERT_TRUE(TiffSameRows(expected, written, written.height - 1, &message)) << path << ": the writer: " << message;
  }
  TiffRecord record;
  ASSERT_EQ(record.Load(path), 1) << path;
  TiffBitmap exported = TiffExport(record.get());
  ASSERT_EQ(exported.width, oracle.width) << path;
  ASSERT_EQ(exported.height, oracle.height) << path;
  EXPECT_TRUE(TiffSameRows(exported, expected, oracle.height - 1, &message)) << path << ": " << message;
  int lastRow = exported.height - 1;
  for (int x = 0; x < exported.width; ++x)
    ASSERT_EQ(exported.at(x, lastRow), 0) << "last row, column " << x;
}

struct Layout {
  const char* name;
  TiffWriteOptions options;
};

const Layout kLayouts[] = {
    {"one-strip", {0, false, true}},      {"rows1", {1, false, true}},         {"rows7", {7, false, true}},
    {"rows64", {64, false, true}},        {"big-endian", {7, true, true}},     {"no-byte-counts", {7, false, false}},
    {"big-no-counts", {64, true, false}}, {"big-one-strip", {0, true, false}},
};

TEST(TiffOracle, LibtiffFilesOfEveryWidthAndLayout) {
  SKIP_WITHOUT_LIBTIFF();
  const int widths[] = {1, 7, 8, 9, 1727, 1728, 2048, 2560, 13, 333, 1000, 4001};
  uint32_t seed = 1;
  for (int width : widths) {
    for (const Layout& layout : kLayouts) {
      TiffBitmap bitmap = TiffRandomBitmap(width, 37 + int(seed % 50), seed);
      ++seed;
      std::string path = TiffScratchPath("w" + std::to_string(width) + "-" + layout.name + ".tif");
      ASSERT_TRUE(TiffWriteWithLibtiff(path, bitmap, layout.options)) << path;
      // libtiff does not read a file without byte counts: its twin with
      // them holds the same strips.
      TiffWriteOptions twin = layout.options;
      twin.byteCounts = true;
      std::string twinPath = path + ".twin.tif";
      ASSERT_TRUE(TiffWriteWithLibtiff(twinPath, bitmap, twin));
      TiffBitmap oracle;
      ASSERT_TRUE(TiffDecodeWithLibtiff(twinPath, &oracle)) << twinPath;
      ExpectExportMatches(path, oracle, &bitmap);
      if (HasFatalFailure())
        return;
    }
  }
}

TEST(TiffOracle, EveryCodeOfBothColours) {
  SKIP_WITHOUT_LIBTIFF();
  TiffBitmap bitmap = TiffEveryRunBitmap();
  std::string path = TiffScratchPath("every-run.tif");
  ASSERT_TRUE(TiffWriteWithLibtiff(path, bitmap, TiffWriteOptions{100, true, true}));
  TiffBitmap oracle;
  ASSERT_TRUE(TiffDecodeWithLibtiff(path, &oracle));
  ExpectExportMatches(path, oracle, &bitmap);
}

TEST(TiffOracle, GhostscriptPages) {
  SKIP_WITHOUT_LIBTIFF();
  if (!TiffHaveGhostscript())
    GTEST_SKIP() << "Ghostscript is not installed (scripts/deps)";
  // Text, rules, a grey disc (halftone dots: many short runs) and lines at
  // every slope, on a fax-width page and on a narrow one.
  const std::string page = R"(%!PS
/Times-Roman findfont 11 scalefont setfont
0 1 50 { /i exch def 20 760 i 14 mul sub moveto (Sphinx of black quartz, judge my vow 0123456789 !?) show } for
/Helvetica-Bold findfont 40 scalefont setfont 40 40 moveto (FAX 1728) show
3 setlinewidth 10 10 600 770 rectstroke
0.5 setgray 300 400 120 0 360 arc fill 0.9 setgray 200 200 60 0 360 arc fill
0 setgray 0.4 setlinewidth 0 10 350 { /a exch def 300 400 moveto a cos 280 mul 300 add a sin 280 mul 400 add lineto stroke } for
showpage
)";
  const int sizes[][2] = {{1728, 2200}, {1728, 300}, {500, 700}, {2560, 400}};
  for (const auto& size : sizes) {
    std::string path = TiffScratchPath("gs-" + std::to_string(size[0]) + "x" + std::to_string(size[1]) + ".tif");
    ASSERT_TRUE(TiffRenderPostScript(page, path, size[0], size[1])) << path;
    TiffBitmap oracle;
    ASSERT_TRUE(TiffDecodeWithLibtiff(path, &oracle)) << path;
    ExpectExportMatches(path, oracle);
  }
}

TEST(TiffOracle, NothingLeaksAfterUnload) {
  SKIP_WITHOUT_LIBTIFF();
  std::string path = TiffScratchPath("leak.tif");
  ASSERT_TRUE(TiffWriteWithLibtiff(path, TiffRandomBitmap(300, 90, 7), TiffWriteOptions{7, false, true}));
  long before = tavwin::LiveGlobalBlocks();
  {
    TiffRecord record;
    ASSERT_EQ(record.Load(path), 1);
    ASSERT_EQ(record.Load(path), 1); // a second load into the same record
    TiffExport(record.get());
  }
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), before);
}

} // namespace
