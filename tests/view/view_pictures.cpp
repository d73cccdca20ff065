#include "view_pictures.h"

#include <algorithm>
#include <sstream>

namespace viewtest {

int BlockCount(int bx, int by) {
  return (bx * 3 + by * 7 + (bx / 5) * (by / 3)) % 5;
}

bool BlockBlack(int x, int y) {
  return (x % 2) + 2 * (y % 2) < BlockCount(x / 2, y / 2);
}

std::vector<uint8_t> BlockPicture(int width, int height) {
  std::vector<uint8_t> black((size_t)width * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      black[(size_t)y * width + x] = BlockBlack(x, y);
  return black;
}

COLORREF LevelColour(int level) {
  return level == 0 ? Grey(255) : Grey(255 - 51 * (level + 1));
}

std::vector<uint8_t> StripePicture(int width, int height) {
  std::vector<uint8_t> black((size_t)width * height);
  for (int y = 0; y < height; ++y)
    if (y % 100 < 10)
      std::fill(black.begin() + (size_t)y * width, black.begin() + (size_t)(y + 1) * width, 1);
  return black;
}

::testing::AssertionResult PixelsAre(const Pixels& pixels, int x0, int y0, int x1, int y1,
                                     const std::function<COLORREF(int x, int y)>& expected) {
  if (x0 < 0 || y0 < 0 || x1 > pixels.width || y1 > pixels.height)
    return ::testing::AssertionFailure() << "area " << x0 << "," << y0 << "-" << x1 << "," << y1
                                         << " is not inside the client area " << pixels.width << "x" << pixels.height;
  std::ostringstream wrong;
  int count = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      COLORREF want = expected(x, y), got = pixels.at(x, y);
      if (want != got && count++ < 6)
        wrong << " (" << x << "," << y << "): 0x" << std::hex << got << " not 0x" << want << std::dec;
    }
  if (count == 0)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << count << " wrong pixels:" << wrong.str();
}

::testing::AssertionResult InvertedWhere(const Pixels& before, const Pixels& after,
                                         const std::function<bool(int x, int y)>& inverted) {
  if (before.width != after.width || before.height != after.height)
    return ::testing::AssertionFailure() << "the client area changed its size";
  return PixelsAre(after, 0, 0, after.width, after.height,
                   [&](int x, int y) { return inverted(x, y) ? Inverted(before.at(x, y)) : before.at(x, y); });
}

std::function<bool(int, int)> Outline(int l, int t, int r, int b) {
  if (l > r)
    std::swap(l, r);
  if (t > b)
    std::swap(t, b);
  return [=](int x, int y) {
    bool inside = x >= l && x < r && y >= t && y < b;
    return inside && (x == l || x == r - 1 || y == t || y == b - 1);
  };
}

std::function<bool(int, int)> Area(int l, int t, int r, int b) {
  return [=](int x, int y) { return x >= l && x < r && y >= t && y < b; };
}

} // namespace viewtest
