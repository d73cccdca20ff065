// The row decoders against a plain reference decoder of the same codes, on
// random and hostile picture data: short and zero row lengths, codes past
// the row's end, data ending anywhere, rows crossing from one stripe to the
// next. The fast paths of the decoders must agree with it pixel for pixel.
#include "drf_files.h"

#include "drf/drf.h"
#include "core/core.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Rows = std::vector<std::vector<uint8_t>>;

// One pixel per byte, PaddedWidth pixels per row; rows that are not
// reached stay 0.
Rows Reference(int kind, int width, int height, const std::vector<uint8_t>& data, uint8_t fill) {
  const size_t padded = (size_t)(width + 15) / 16 * 16;
  const size_t limit = data.size();
  Rows rows((size_t)height, std::vector<uint8_t>(padded, 0));
  size_t pos = kind == 6 ? 722 : 0;
  for (auto& row : rows) {
    if (pos + 2 > limit)
      break;
    const size_t start = pos;
    const size_t length = (size_t)data[pos] << 8 | data[pos + 1];
    pos += 2;
    size_t x = 0;
    if (kind == 6) {
      size_t left = length > 0 ? length - 1 : 0;
      while (left > 2 && pos < limit) {
        const uint8_t c = data[pos++];
        --left;
        if (c >= 16) {
          if (x < padded)
            row[x] = (uint8_t)(c - 16);
          ++x;
          continue;
        }
        if (pos >= limit)
          break;
        const uint8_t colour = (uint8_t)(data[pos++] - 16);
        --left;
        for (int k = 0; k < c && x < padded; ++k)
          row[x++] = colour;
      }
      for (; x < padded; ++x)
        row[x] = fill;
      pos = start + length;
    } else if (kind == 7) {
      while (x < (size_t)width && pos < limit) {
        const uint8_t c = data[pos++];
        const size_t count = (c >> 6) + 1u;
        x += count;
        if (x <= padded)
          for (size_t k = x - count; k < x; ++k)
            row[k] = c & 63;
      }
      pos = start + length;
    } else {
      while (x < (size_t)width && pos < limit) {
        const uint8_t c = data[pos++];
        if (c & 1) {
          for (size_t k = 0; k < (size_t)(c >> 3); ++k, ++x)
            if (x < padded)
              row[x] = (c >> 1) & 3;
          continue;
        }
        const size_t n = c >> 1;
        if (pos >= limit)
          break;
        uint8_t packed = data[pos++];
        int pair = 0;
        for (size_t i = 0; i < n && x < padded; ++i) {
          if (pair == 4) {
            if (pos >= limit)
              break;
            packed = data[pos++];
            pair = 0;
          }
          row[x++] = (packed >> (2 * pair++)) & 3;
        }
      }
      pos = start + 2 + length;
    }
  }
  return rows;
}

// Random picture data: rows of random codes with lengths that are mostly
// right, sometimes 0, 1 or anything; optionally a first record that moves
// the rows up to the end of the first stripe; optionally cut short.
std::vector<uint8_t> RandomData(std::mt19937& random, int kind, int height, bool crossStripe) {
  std::uniform_int_distribution<int> byte(0, 255), small(0, 40), chance(0, 99);
  std::vector<uint8_t> data;
  if (kind == 6)
    for (int i = 0; i < 722; ++i)
      data.push_back((uint8_t)byte(random));
  auto appendRecord = [&](size_t codes, int lengthKind) {
    const size_t at = data.size();
    data.push_back(0);
    data.push_back(0);
    for (size_t i = 0; i < codes; ++i) {
      if (chance(random) < 3) {
        // A long stretch of one colour: the same run code many times over.
        const int colour = byte(random);
        const uint8_t code = kind == 5 ? (uint8_t)(0xF9 | (colour & 3) << 1) : (uint8_t)(0xC0 | (colour & 63));
        for (int k = small(random) + 8; k > 0; --k) {
          data.push_back(kind == 6 ? (uint8_t)15 : code);
          if (kind == 6)
            data.push_back((uint8_t)(16 + colour % 240));
        }
        continue;
      }
      // Mostly codes that make sense for the kind, and some of anything.
      int c = byte(random);
      if (kind == 6 && chance(random) < 60)
        c = 16 + byte(random) % 240;
      if (kind == 5 && chance(random) < 30)
        c = (byte(random) % 8) << 1; // short literals
      data.push_back((uint8_t)c);
    }
    size_t length = kind == 5 ? codes : codes + 2;
    if (lengthKind < 8)
      length = (size_t)lengthKind % 4; // 0 to 3
    else if (lengthKind < 12)
      length = (size_t)byte(random) << 8 | (size_t)byte(random);
    data[at] = (uint8_t)(length >> 8);
    data[at + 1] = (uint8_t)length;
  };
  if (crossStripe) {
    const size_t target = 65536 - (size_t)small(random) - data.size() - 2;
    const size_t at = data.size();
    const size_t length = kind == 5 ? target : target + 2;
    data.push_back((uint8_t)(length >> 8));
    data.push_back((uint8_t)length);
    data.resize(at + 2 + target, 0x41);
  }
  for (int y = 0; y < height; ++y)
    appendRecord((size_t)small(random) * (chance(random) < 20 ? 8 : 1), chance(random));
  if (chance(random) < 30)
    data.resize(data.size() - std::min(data.size(), (size_t)small(random)));
  return data;
}

TEST(DrfReference, DecodersAgreeWithThePlainDecoderOnRandomData) {
  std::mt19937 random(2024);
  std::uniform_int_distribution<int> widthOf(1, 700), heightOf(1, 40), chance(0, 99);
  const int kinds[] = {5, 6, 7};
  for (int round = 0; round < 900; ++round) {
    const int kind = kinds[round % 3];
    const int width = chance(random) < 10 ? 1 : widthOf(random);
    const int height = heightOf(random);
    const bool crossStripe = round % 10 == 0;
    const std::vector<uint8_t> data = RandomData(random, kind, height, crossStripe);
    drfenc::DrfPicture picture;
    picture.kind = kind;
    picture.width = width;
    picture.height = height;
    drftest::LoadedDrf r;
    ASSERT_EQ(r.Load(drftest::WriteRaw("reference.drf", picture, data)), 1);
    const Rows got = drftest::DecodePaddedRows(r.record);
    // The palette was made by this decode: its entry nearest to white is
    // what kind 6 fills its rows with.
    uint8_t fill = 0;
    if (kind == 6 && r.record->Palette != nullptr)
      fill = (uint8_t)GetNearestPaletteIndex(r.record->Palette, RGB(255, 255, 255));
    const Rows expected = Reference(kind, width, height, data, fill);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t y = 0; y < got.size(); ++y)
      ASSERT_EQ(got[y], expected[y]) << "round " << round << ", kind " << kind << ", width " << width << ", row " << y
                                     << " of " << height << (crossStripe ? ", across stripes" : "");
  }
}

// Kind 5 rows read codes until their pixels are done, past their record's
// end: rows of short records over long stretches of runs and literals of 0
// pixels make every row read far ahead, which the decoder then jumps over.
TEST(DrfReference, Kind5StretchesOfCodesWithoutPixels) {
  std::mt19937 random(77);
  for (int round = 0; round < 30; ++round) {
    const int width = 1 + (int)(random() % 300), height = 1 + (int)(random() % 40);
    std::vector<uint8_t> data;
    for (int y = 0; y < height; ++y) {
      data.push_back(0);
      data.push_back((uint8_t)(random() % 8));
      for (int k = (int)(random() % 3000); k > 0; --k) {
        const unsigned pick = random() % 1000;
        if (pick < 500)
          data.insert(data.end(), {0, (uint8_t)random()}); // a literal of 0 pixels
        else if (pick < 997)
          data.push_back((uint8_t)(1 + 2 * (random() % 4))); // a run of 0 pixels
        else
          data.push_back((uint8_t)random());
      }
    }
    drfenc::DrfPicture picture;
    picture.kind = 5;
    picture.width = width;
    picture.height = height;
    drftest::LoadedDrf r;
    ASSERT_EQ(r.Load(drftest::WriteRaw("stretches.drf", picture, data)), 1);
    ASSERT_EQ(drftest::DecodePaddedRows(r.record), Reference(5, width, height, data, 0)) << "round " << round;
  }
}

} // namespace
