// The Modified Huffman row decoder on hand-written and libtiff-encoded rows.
#include "tiff_files.h"

#include "tiff/tiff.h"

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(TiffMHRow, HandWrittenRows) {
  // White 95 (make-up 64 + 31), black 10, white 95: 200 pixels, twice.
  const std::string twice = "11011 00011010  0000100  11011 00011010 | 11011 00011010  0000100  11011 00011010";
  const std::vector<int> run = {95, 96, 97, 98, 99, 100, 101, 102, 103, 104};
  // 0x36 is white make-up 320, and the last byte of a strip is read again
  // and again: a row of nothing but make-up codes must still end.
  std::string makeUps;
  for (int i = 0; i < 64; ++i)
    makeUps += "00110110";
  // position: where the next row begins, 0 for anywhere after start; black:
  // the window columns counted.
  struct Case {
    const char* what;
    std::string bits; // '|' fills up the byte
    size_t padding;
    DWORD start;
    WORD width;
    uint32_t xStart, xEnd;
    DWORD position;
    std::vector<int> black;
  } cases[] = {
      // White make-up 1728, white terminating 0: 17 bits.
      {"full white row of fax width", "010011011 00110101", 8, 0, 1728, 0, 1728, 3, {}},
      // Windows cutting the black run; the next row begins where it did.
      {"whole row", twice, 0, 0, 200, 0, 200, 5, run},
      {"columns 100 to 104 of the run", twice, 0, 0, 200, 100, 200, 5, {0, 1, 2, 3, 4}},
      {"cut at xEnd", twice, 0, 0, 200, 100, 102, 5, {0, 1}},
      {"run left of the window", twice, 0, 0, 200, 105, 200, 5, {}},
      {"run right of the window", twice, 0, 0, 200, 0, 95, 5, {}},
      {"one column", twice, 0, 0, 200, 97, 98, 5, {0}},
      // A row is decoded only while at least 5 bytes of the strip remain.
      {"5 bytes left", twice, 0, 5, 200, 0, 200, 10, run},
      {"4 bytes left", twice, 0, 6, 200, 0, 200, 6, {}},
      {"1 byte left", twice, 0, 9, 200, 0, 200, 9, {}},
      {"none left", twice, 0, 10, 200, 0, 200, 10, {}},
      {"beyond the strip", twice, 0, 20, 200, 0, 200, 20, {}},
      // White 10, black 2, then zeros: the stop uses no bits, so the next
      // row begins after the byte of the last code.
      {"eight zero bits stop the row", "00111 11 0", 12, 0, 100, 0, 100, 1, {10, 11}},
      {"a stop as the first code", "00111 11 0", 12, 1, 100, 0, 100, 1, {}},
      {"endless make-up codes", makeUps, 0, 0, 100, 0, 100, 0, {}},
  };
  for (const Case& c : cases) {
    std::vector<BYTE> strip = Strip(TiffBits(c.bits.c_str()), c.padding);
    WORD columns = WORD(c.xEnd - c.xStart);
    Counts counts(columns);
    DWORD position = c.start;
    DecodeMHRow(c.xStart, c.xEnd, c.width, strip.data(), (DWORD)strip.size(), position, counts.data(), columns,
                columns);
    EXPECT_EQ(position, c.position != 0 ? c.position : std::max(position, c.start + 1)) << c.what;
    std::vector<int> black;
    for (int x = 0; x < columns; ++x) {
      ASSERT_LE(counts[x], 1) << c.what;
      if (counts[x] != 0)
        black.push_back(x);
    }
    EXPECT_EQ(black, c.black) << c.what;
    EXPECT_TRUE(counts.GuardIntact()) << c.what;
  }
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
}
#endif

} // namespace
