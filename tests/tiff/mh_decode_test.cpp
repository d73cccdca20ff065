// The Modified Huffman row decoder on hand-written rows: where each row ends
// and which window columns come out black.
#include "tiff_files.h"

#include "tiff/tiff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Bytes from a string of '0' and '1' ('|' fills up the byte with zero bits,
// other characters are ignored), the last byte filled up too.
std::vector<uint8_t> Bits(const char* bits) {
  std::vector<uint8_t> bytes;
  int n = 0;
  for (const char* p = bits; *p != 0; ++p) {
    if (*p == '|')
      n = (n + 7) / 8 * 8;
    if (*p != '0' && *p != '1')
      continue;
    if (n % 8 == 0)
      bytes.push_back(0);
    if (*p == '1')
      bytes.back() |= uint8_t(0x80 >> (n % 8));
    ++n;
  }
  return bytes;
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
    std::vector<BYTE> strip = Bits(c.bits.c_str());
    strip.insert(strip.end(), c.padding, 0); // so that the last row is decoded
    int columns = int(c.xEnd - c.xStart);
    std::vector<BYTE> row((columns + 7) / 8 + 8, 0); // 8 bytes that must stay white behind the row
    DWORD position = c.start;
    DecodeMHRowBits(c.xStart, c.xEnd, c.width, strip.data(), (DWORD)strip.size(), position, row.data());
    EXPECT_EQ(position, c.position != 0 ? c.position : std::max(position, c.start + 1)) << c.what;
    std::vector<int> black;
    for (int x = 0; x < (int)row.size() * 8; ++x)
      if (row[x / 8] & (0x80 >> (x % 8)))
        black.push_back(x);
    EXPECT_EQ(black, c.black) << c.what;
  }
}

} // namespace
