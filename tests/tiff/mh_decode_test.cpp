// The Modified Huffman row decoder on hand-written and libtiff-encoded rows.
#include "tiff_files.h"

#include "tiff/tiff.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Counters with a guard zone behind them that must stay untouched.
struct Counts {
  explicit Counts(int n) : n(n), values(n + 64, 0) {}
  WORD* data() { return values.data(); }
  WORD operator[](int i) const { return values[i]; }
  bool GuardIntact() const {
    for (size_t i = n; i < values.size(); ++i)
      if (values[i] != 0)
        return false;
    return true;
  }
  int n;
  std::vector<WORD> values;
};

// The strip: the rows, then padding so that the last row is decoded.
std::vector<BYTE> Strip(std::vector<BYTE> rows, size_t padding = 8) {
  rows.insert(rows.end(), padding, 0);
  return rows;
}

// White 95 (make-up 64 + 31), black 10, white 95: 200 pixels.
const char* const kRow95 = "11011 00011010  0000100  11011 00011010";

TEST(TiffMHRow, FullWhiteRowOfFaxWidth) {
  // White make-up 1728, white terminating 0: 17 bits, so the next row
  // begins 3 bytes on.
  std::vector<BYTE> strip = Strip(TiffBits("010011011 00110101"));
  Counts counts(1728);
  DWORD position = 0;
  DecodeMHRow(0, 1728, 1728, strip.data(), (DWORD)strip.size(), position, counts.data(), 1728, 1728);
  EXPECT_EQ(position, 3u);
  for (int c = 0; c < 1728; ++c)
    ASSERT_EQ(counts[c], 0) << c;
  EXPECT_TRUE(counts.GuardIntact());
}

TEST(TiffMHRow, WindowCutsBlackRuns) {
  // The row twice: the second must be found where the first ended, whether
  // the window ended its painting early or not.
  std::vector<BYTE> one = TiffBits(kRow95);
  std::vector<BYTE> rows = one;
  rows.insert(rows.end(), one.begin(), one.end());
  std::vector<BYTE> strip = Strip(rows);
  struct Case {
    uint32_t xStart, xEnd;
    std::vector<int> black; // window columns
  } cases[] = {
      {100, 200, {0, 1, 2, 3, 4}}, // columns 100 to 104 of the run 95..104
      {100, 102, {0, 1}},          // cut at xEnd
      {0, 200, {95, 96, 97, 98, 99, 100, 101, 102, 103, 104}},
      {105, 200, {}}, // the run lies wholly left of the window
      {0, 95, {}},    // and wholly right of this one
      {97, 98, {0}},
  };
  for (const Case& c : cases) {
    int width = int(c.xEnd - c.xStart);
    DWORD position = 0;
    for (int row = 0; row < 2; ++row) {
      Counts counts(width);
      DecodeMHRow(c.xStart, c.xEnd, 200, strip.data(), (DWORD)strip.size(), position, counts.data(), (WORD)width,
                  (WORD)width);
      std::vector<int> black;
      for (int x = 0; x < width; ++x) {
        ASSERT_LE(counts[x], 1);
        if (counts[x] != 0)
          black.push_back(x);
      }
      EXPECT_EQ(black, c.black) << "window " << c.xStart << ".." << c.xEnd << ", row " << row;
      EXPECT_TRUE(counts.GuardIntact());
      EXPECT_EQ(position, (row + 1) * one.size());
    }
  }
}

TEST(TiffMHRow, RowsNearTheStripEndAreNotDecoded) {
  // A row is decoded only while at least 5 bytes of the strip remain.
  std::vector<BYTE> row = TiffBits(kRow95); // 5 bytes
  std::vector<BYTE> strip = row;
  strip.insert(strip.end(), row.begin(), row.end());
  for (size_t start : {strip.size() - 4, strip.size() - 1, strip.size(), strip.size() + 10}) {
    Counts counts(200);
    DWORD position = (DWORD)start;
    DecodeMHRow(0, 200, 200, strip.data(), (DWORD)strip.size(), position, counts.data(), 200, 200);
    EXPECT_EQ(position, start);
    EXPECT_EQ(counts[95], 0);
  }
  // Exactly 5 bytes left: decoded.
  Counts counts(200);
  DWORD position = (DWORD)row.size();
  DecodeMHRow(0, 200, 200, strip.data(), (DWORD)strip.size(), position, counts.data(), 200, 200);
  EXPECT_EQ(position, strip.size());
  EXPECT_EQ(counts[95], 1);
}

TEST(TiffMHRow, EightZeroBitsStopTheRow) {
  // White 10, black 2, then zeros: the black run is counted, and the stop
  // uses no bits, so the next row begins after the byte of the last code.
  std::vector<BYTE> strip = Strip(TiffBits("00111 11 0"), 12);
  Counts counts(100);
  DWORD position = 0;
  DecodeMHRow(0, 100, 100, strip.data(), (DWORD)strip.size(), position, counts.data(), 100, 100);
  EXPECT_EQ(position, 1u);
  EXPECT_EQ(counts[10] + counts[11], 2);
  EXPECT_EQ(counts[9] + counts[12], 0);
  // A stop as the first code: nothing moves.
  position = 1;
  DecodeMHRow(0, 100, 100, strip.data(), (DWORD)strip.size(), position, counts.data(), 100, 100);
  EXPECT_EQ(position, 1u);
}

TEST(TiffMHRow, EndlessMakeUpCodesEndTheRow) {
  // 0x36 is white make-up 320, and the last byte of a strip is read again
  // and again: a row of nothing but make-up codes must still end.
  std::vector<BYTE> strip(64, 0x36);
  Counts counts(100);
  DWORD position = 0;
  DecodeMHRow(0, 100, 100, strip.data(), (DWORD)strip.size(), position, counts.data(), 100, 100);
  EXPECT_GT(position, 0u);
  EXPECT_TRUE(counts.GuardIntact());
}

TEST(TiffMHRow, WidestRowsMapExactly) {
  // One black run over a whole row of 65535 pixels: white 0, black make-up
  // 2560 (25 times), 1472, terminating 63. Every counter must hold exactly
  // the source columns k with k * destWidth / 65535 = c.
  std::string bits = "00110101";
  for (int i = 0; i < 25; ++i)
    bits += "000000011111";
  bits += "0000001010101 000001100111";
  std::vector<BYTE> strip = Strip(TiffBits(bits.c_str()));
  for (WORD destWidth : {1, 2, 3, 471, 12345, 32768, 40000, 65533, 65534}) {
    Counts counts(destWidth);
    DWORD position = 0;
    DecodeMHRow(0, 65535, 65535, strip.data(), (DWORD)strip.size(), position, counts.data(), destWidth, 65535);
    std::vector<int> expected(destWidth, 0);
    for (uint64_t k = 0; k < 65535; ++k)
      ++expected[k * destWidth / 65535];
    for (int c = 0; c < destWidth; ++c)
      ASSERT_EQ(counts[c], expected[c]) << c << " of " << destWidth;
    EXPECT_TRUE(counts.GuardIntact());
    EXPECT_EQ(position, (8u + 25 * 12 + 13 + 12 + 7) / 8);
  }
}

TEST(TiffMHRow, RandomBytesStayInsideTheCounters) {
  std::mt19937 random(5);
  for (int round = 0; round < 300; ++round) {
    std::vector<BYTE> strip(5 + random() % 300);
    for (BYTE& b : strip)
      b = BYTE(random());
    WORD width = WORD(1 + random() % 3000);
    uint32_t xStart = random() % (width + 1u), xEnd = xStart + random() % (width + 50u);
    WORD sourceWidth = WORD(xEnd - xStart);
    if (sourceWidth == 0)
      continue;
    WORD destWidth = WORD(1 + random() % sourceWidth);
    Counts counts(destWidth);
    DWORD position = 0;
    for (int row = 0; row < 20; ++row) {
      DWORD before = position;
      DecodeMHRow(xStart, xEnd, width, strip.data(), (DWORD)strip.size(), position, counts.data(), destWidth,
                  sourceWidth);
      ASSERT_GE(position, before);
    }
    ASSERT_TRUE(counts.GuardIntact()) << "round " << round;
  }
}

#ifdef TAV_HAVE_LIBTIFF
TEST(TiffMHRow, ReductionCountsEachSourceColumnOnce) {
  // Counter c holds the black pixels of the window columns k with
  // k * destWidth / sourceWidth = c, over all rows decoded into it.
  TiffBitmap bitmap = TiffRandomBitmap(1500, 12, 11);
  std::vector<BYTE> strip = Strip(TiffEncodeRows(bitmap));
  ASSERT_GT(strip.size(), 8u);
  struct Window {
    uint32_t xStart, xEnd;
    WORD destWidth;
  } windows[] = {{0, 1500, 750},   {0, 1500, 1500}, {0, 1500, 1},   {0, 1500, 1499}, {0, 1000, 500},
                 {123, 1400, 471}, {700, 701, 1},   {1, 1500, 864}, {0, 1500, 377}};
  for (const Window& w : windows) {
    WORD sourceWidth = WORD(w.xEnd - w.xStart);
    Counts counts(w.destWidth);
    DWORD position = 0;
    for (int row = 0; row < bitmap.height; ++row)
      DecodeMHRow(w.xStart, w.xEnd, 1500, strip.data(), (DWORD)strip.size(), position, counts.data(), w.destWidth,
                  sourceWidth);
    std::vector<int> expected(w.destWidth, 0);
    for (int row = 0; row < bitmap.height; ++row)
      for (uint32_t k = 0; k < sourceWidth; ++k)
        expected[uint64_t(k) * w.destWidth / sourceWidth] += bitmap.at(int(w.xStart + k), row);
    for (int c = 0; c < w.destWidth; ++c)
      ASSERT_EQ(counts[c], expected[c]) << "counter " << c << " of " << w.destWidth << " from " << w.xStart;
    EXPECT_TRUE(counts.GuardIntact());
  }
  // Destination 500 of source 1000: one row gives counter values 0 to 2.
  Counts counts(500);
  DWORD position = 0;
  DecodeMHRow(0, 1000, 1500, strip.data(), (DWORD)strip.size(), position, counts.data(), 500, 1000);
  for (int c = 0; c < 500; ++c)
    ASSERT_EQ(counts[c], bitmap.at(2 * c, 0) + bitmap.at(2 * c + 1, 0));
}
#endif

} // namespace
