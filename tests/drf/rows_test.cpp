// Row records of kinds 5, 6 and 7 and the pixels they decode to, as whole
// padded rows of the bands: one table.
#include "drf_files.h"

#include "drf/drf.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Kind 6 colour block: colour 9 is the only light one, so that it is the
// palette entry nearest to white, the fill of every started row.
std::vector<uint8_t> ColourBlock() {
  std::vector<uint8_t> block(drfenc::kColourBlockBytes, 0);
  for (int c = 0; c < drfenc::kColourCount; ++c)
    block[2 + 3 * c] = (uint8_t)(c % 40);
  block[2 + 3 * 9] = block[3 + 3 * 9] = block[4 + 3 * 9] = 63;
  return block;
}
constexpr int kFill = 9;

struct RowCase {
  const char* name;
  int kind;
  int width;
  const char* data; // the row records, hexadecimal
  // Each row: its first pixels, then "F*" (fill) or "0*" for the rest of
  // the padded row; "F" alone is one fill pixel, "N*k" k pixels of N.
  std::vector<const char*> rows;
};

const RowCase kCases[] = {
    // Kind 6: pixel codes 16 and up, runs of 0 to 15; the record's last byte
    // never begins a code; the next record starts L bytes on.
    {"kind 6 example", 6, 8, "00 07 25 03 30 11 FF  00 05 10 11 00", {"21 32 32 32 1 F*", "0 1 F*"}},
    {"kind 6 records of length 2, 3 and 1", 6, 4, "00 02  00 03 25  00 01", {"F*", "F*", "F*"}},
    {"kind 6 run of count 0", 6, 4, "00 06 00 30 25 00", {"21 F*"}},
    {"kind 6 record of length 0", 6, 4, "00 00 25 25", {"F*", "F*", "F*"}},
    {"kind 6 pixels past the padded row are dropped",
     6,
     1,
     "00 17 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F 20 21 22 23 00  00 04 12 00",
     {"0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15", "2 F*"}},
    {"kind 6 run stops at the padded row", 6, 10, "00 06 0F 20 0F 21", {"16*15 17"}},
    {"kind 6 data ending inside a row", 6, 4, "00 09 25 26", {"21 22 F*", "0*"}},
    // Kind 7: (count - 1) << 6 | grey; grey 0 skips; a code crossing the
    // padded row writes nothing.
    {"kind 7 example", 7, 4, "00 05 45 00 3F  00 03 FF", {"5 5 0 63 0*", "63 63 63 63 0*"}},
    {"kind 7 code crossing the padded row", 7, 16, "00 07 FF FF FF 41 C2", {"63*12 1 1 0 0"}},
    {"kind 7 data ending inside a row", 7, 4, "00 05 45", {"5 5 0*", "0*"}},
    {"kind 7 codes run on past a short record", 7, 3, "00 02 C2 03 C3", {"2*4 0*", "3*4 0*"}},
    // Kind 5: runs (count << 3 | colour << 1 | 1) and literals (n << 1, then
    // n pixels of 2 bits); the next record starts 2 + L bytes on.
    {"kind 5 example", 5, 4, "00 03 0B 06 E4  00 01 FF", {"1 0 1 2 0*", "3*16"}},
    {"kind 5 literal of 0 pixels", 5, 2, "00 03 00 AA 13", {"1 1 0*"}},
    {"kind 5 run of colour 0 with an odd count", 5, 2, "00 02 09 0F", {"0 3 0*"}},
    {"kind 5 literal over two packed bytes", 5, 6, "00 03 0C E4 0B", {"0 1 2 3 3 2 0*"}},
    {"kind 5 literal at an odd pixel", 5, 7, "00 04 09 0C E4 0B", {"0 0 1 2 3 3 2 0*"}},
    {"kind 5 run stops at the padded row", 5, 3, "00 02 09 FB", {"0 1*15"}},
    {"kind 5 data ending inside a length", 5, 2, "00 01 0B 00", {"1 0*", "0*"}},
    // A literal that ends past the row's last pixel ends the row: the run
    // after it is not read.
    {"kind 5 row ended inside a literal",
     5,
     130,
     "00 23 81 FE 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00 47",
     {"0*"}},
    {"kind 8 has colour 0 only", 8, 5, "", {"0*", "0*"}},
};

// Expands a row description to a padded row.
std::vector<int> ExpandRow(const char* text, int padded) {
  std::vector<int> row;
  std::istringstream in(text);
  std::string token;
  while (in >> token) {
    const size_t star = token.find('*');
    const std::string value = token.substr(0, star);
    const int pixel = value == "F" ? kFill : std::stoi(value);
    if (star == std::string::npos)
      row.push_back(pixel);
    else if (star + 1 < token.size())
      row.insert(row.end(), (size_t)std::stoi(token.substr(star + 1)), pixel);
    else
      row.resize((size_t)padded, pixel);
  }
  return row;
}

TEST(DrfRows, DecodeToTheirPixels) {
  for (const RowCase& c : kCases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> data = drftest::Hex(c.data);
    if (c.kind == 6) {
      const std::vector<uint8_t> block = ColourBlock();
      data.insert(data.begin(), block.begin(), block.end());
    }
    std::vector<std::vector<uint8_t>> rows = drftest::DecodedRows(c.kind, c.width, (int)c.rows.size(), data);
    ASSERT_EQ(rows.size(), c.rows.size());
    for (size_t y = 0; y < rows.size(); ++y) {
      std::vector<int> expected = ExpandRow(c.rows[y], (int)rows[y].size());
      std::vector<int> got(rows[y].begin(), rows[y].end());
      EXPECT_EQ(got, expected) << "row " << y;
    }
  }
}

} // namespace
