// The zoom cursor of the Windows builds (zoom.cur, written by
// scripts/make-cursor) shows the same picture as the one the Linux build
// registers, and the library finds its cursor under its own module.
#include "frame/frame.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char* const kRows[] = {
#define TAV_ZOOM_CURSOR_ROW(row) row,
#define TAV_ZOOM_CURSOR_HOTSPOT(x, y)
#include "resources/zoom_cursor.inc"
#undef TAV_ZOOM_CURSOR_ROW
#undef TAV_ZOOM_CURSOR_HOTSPOT
};
const int kHotSpot[] = {
#define TAV_ZOOM_CURSOR_ROW(row)
#define TAV_ZOOM_CURSOR_HOTSPOT(x, y) x, y
#include "resources/zoom_cursor.inc"
#undef TAV_ZOOM_CURSOR_ROW
#undef TAV_ZOOM_CURSOR_HOTSPOT
};

unsigned Le16(const std::vector<unsigned char>& d, size_t at) {
  return d[at] | d[at + 1] << 8;
}
uint32_t Le32(const std::vector<unsigned char>& d, size_t at) {
  return Le16(d, at) | (uint32_t)Le16(d, at + 2) << 16;
}

TEST(ZoomCursor, TheCursorFileShowsThePictureTheLinuxBuildRegisters) {
  std::ifstream file(std::string(TAV_SOURCE_DIR) + "/src/resources/zoom.cur", std::ios::binary);
  const std::vector<unsigned char> cur{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ASSERT_EQ(cur.size(), 6u + 16u + 40u + 8u + 2u * 128u);
  EXPECT_EQ(Le16(cur, 2), 2u); // a cursor
  EXPECT_EQ(Le16(cur, 4), 1u); // one image
  EXPECT_EQ(cur[6], 32);
  EXPECT_EQ(cur[7], 32);
  EXPECT_EQ(Le16(cur, 10), (unsigned)kHotSpot[0]);
  EXPECT_EQ(Le16(cur, 12), (unsigned)kHotSpot[1]);
  size_t image = Le32(cur, 18);
  ASSERT_EQ(image, 22u);
  EXPECT_EQ(Le32(cur, image + 4), 32u);
  EXPECT_EQ(Le32(cur, image + 8), 64u); // both masks
  EXPECT_EQ(Le16(cur, image + 14), 1u);
  EXPECT_EQ(Le32(cur, image + 40), 0x000000u); // colour 0 black
  EXPECT_EQ(Le32(cur, image + 44), 0xFFFFFFu); // colour 1 white
  size_t xorMask = image + 48, andMask = xorMask + 128;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      size_t at = (size_t)(31 - y) * 4 + x / 8; // bottom row first
      int bit = 0x80 >> (x % 8);
      char pixel = (cur[andMask + at] & bit) ? '.' : ((cur[xorMask + at] & bit) ? 'o' : '#');
      ASSERT_EQ(pixel, kRows[y][x]) << "pixel " << x << "," << y;
    }
  }
}

TEST(ZoomCursor, IsResource103OfTheLibrary) {
  HCURSOR cursor = LoadCursorA(LibraryInstance(), MAKEINTRESOURCEA(103));
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(ZoomCursor(), cursor);
}

} // namespace
