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
    return std::all_of(values.begin() + n, values.end(), [](WORD v) { return v == 0; });
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
  // k * destWidth / sourceWidth = c, over all rows decoded into it; the
  // rows end where libtiff's code ends. The widest row is one black run:
  // white 0, black make-up 2560 (25 times), 1472, terminating 63.
  TiffBitmap random = TiffRandomBitmap(1500, 12, 11), widest(65535, 1);
  std::fill(widest.black.begin(), widest.black.end(), 1);
  struct Window {
    const TiffBitmap* bitmap;
    uint32_t xStart, xEnd;
    WORD destWidth;
  } windows[] = {
      {&random, 0, 1500, 750},    {&random, 0, 1500, 1500},   {&random, 0, 1500, 1},      {&random, 0, 1500, 1499},
      {&random, 0, 1000, 500},    {&random, 123, 1400, 471},  {&random, 700, 701, 1},     {&random, 1, 1500, 864},
      {&random, 0, 1500, 377},    {&widest, 0, 65535, 1},     {&widest, 0, 65535, 2},     {&widest, 0, 65535, 3},
      {&widest, 0, 65535, 471},   {&widest, 0, 65535, 12345}, {&widest, 0, 65535, 32768}, {&widest, 0, 65535, 40000},
      {&widest, 0, 65535, 65533}, {&widest, 0, 65535, 65534},
  };
  const std::vector<BYTE> randomRows = TiffEncodeRows(random), widestRows = TiffEncodeRows(widest);
  for (const Window& w : windows) {
    const TiffBitmap& bitmap = *w.bitmap;
    const std::vector<BYTE>& rows = w.bitmap == &random ? randomRows : widestRows;
    ASSERT_FALSE(rows.empty());
    std::vector<BYTE> strip = Strip(rows);
    WORD sourceWidth = WORD(w.xEnd - w.xStart);
    Counts counts(w.destWidth);
    DWORD position = 0;
    for (int row = 0; row < bitmap.height; ++row)
      DecodeMHRow(w.xStart, w.xEnd, WORD(bitmap.width), strip.data(), (DWORD)strip.size(), position, counts.data(),
                  w.destWidth, sourceWidth);
    EXPECT_EQ(position, rows.size());
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
