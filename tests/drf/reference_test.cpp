// The row decoders on random and hostile picture data: short and zero row
// lengths, codes past the row's end, data ending anywhere, rows crossing from
// one stripe to the next. Every row decoded is pinned by one digest per test,
// taken when the fast paths agreed pixel for pixel with a plain decoder of
// the same codes.
#include "drf_files.h"

#include "drf/drf.h"
#include "core/core.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Rows = std::vector<std::vector<uint8_t>>;

// Draws from first to last (a distribution of our own, so that the data is
// the same with every standard library).
struct Draw {
  std::mt19937& random;
  int operator()(int first, int last) { return first + (int)(random() % (uint32_t)(last - first + 1)); }
};

// A digest of decoded rows, fed round after round.
uint64_t Digest(uint64_t hash, const Rows& rows) {
  for (const std::vector<uint8_t>& row : rows)
    for (uint8_t v : row)
      hash = (hash ^ v) * 0x100000001b3ull;
  return (hash ^ rows.size()) * 0x100000001b3ull;
}

// Random picture data: rows of random codes with lengths that are mostly
// right, sometimes 0, 1 or anything; optionally a first record that moves
// the rows up to the end of the first stripe; optionally cut short.
std::vector<uint8_t> RandomData(std::mt19937& random, int kind, int height, bool crossStripe) {
  Draw draw{random};
  auto byte = [&](std::mt19937&) { return draw(0, 255); };
  auto small = [&](std::mt19937&) { return draw(0, 40); };
  auto chance = [&](std::mt19937&) { return draw(0, 99); };
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

TEST(DrfReference, RandomAndHostileDataOfEveryKind) {
  std::mt19937 random(2024);
  Draw draw{random};
  uint64_t digest = 0xcbf29ce484222325ull;
  const int kinds[] = {5, 6, 7};
  for (int round = 0; round < 900; ++round) {
    const int kind = kinds[round % 3];
    const int width = draw(0, 99) < 10 ? 1 : draw(1, 700);
    const int height = draw(1, 40);
    const bool crossStripe = round % 10 == 0;
    digest = Digest(digest, drftest::DecodedRows(kind, width, height, RandomData(random, kind, height, crossStripe)));
  }
  EXPECT_EQ(digest, 0xf535e4b95d651cb8ull);
}

// Kind 5 rows read codes until their pixels are done, past their record's
// end: rows of short records over long stretches of runs and literals of 0
// pixels make every row read far ahead, which the decoder then jumps over.
TEST(DrfReference, Kind5StretchesOfCodesWithoutPixels) {
  std::mt19937 random(77);
  uint64_t digest = 0xcbf29ce484222325ull;
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
    digest = Digest(digest, drftest::DecodedRows(5, width, height, data));
  }
  EXPECT_EQ(digest, 0x52d9de3d8736caffull);
}

} // namespace
