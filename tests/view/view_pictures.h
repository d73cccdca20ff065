// Pictures of the view suite whose drawing is known pixel by pixel, and
// comparisons of window pixels.
#ifndef TAV_TESTS_VIEW_VIEW_PICTURES_H
#define TAV_TESTS_VIEW_VIEW_PICTURES_H

#include "view_host.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace viewtest {

// A bilevel picture in 2 x 2 blocks: block (bx, by) holds BlockCount(bx, by)
// black pixels, 0 to 4. Reduced 2:1 each block becomes one pixel of that
// grey level; at 1:1 every pixel is black or white.
int BlockCount(int bx, int by);
bool BlockBlack(int x, int y);
std::vector<uint8_t> BlockPicture(int width, int height);
// The colour of reduction level 0 (background) to 4 (black).
COLORREF LevelColour(int level);

// Black stripes across the whole width at rows 100k to 100k + 9.
std::vector<uint8_t> StripePicture(int width, int height);

// Every pixel of the window rectangle [x0, x1) x [y0, y1) has the colour
// that expected gives it; the failure names the first wrong pixels.
::testing::AssertionResult PixelsAre(const Pixels& pixels, int x0, int y0, int x1, int y1,
                                     const std::function<COLORREF(int x, int y)>& expected);
// after equals before except that the pixels of inverted are inverted.
::testing::AssertionResult InvertedWhere(const Pixels& before, const Pixels& after,
                                         const std::function<bool(int x, int y)>& inverted);
// The outline that Rectangle(l, t, r, b) draws with a pen of width 1.
std::function<bool(int, int)> Outline(int l, int t, int r, int b);
// The whole area of Rectangle(l, t, r, b).
std::function<bool(int, int)> Area(int l, int t, int r, int b);
inline bool Nowhere(int, int) {
  return false;
}

// A test with one host window and the record opened into it; the record is
// unloaded at the end.
class HostedTest : public ::testing::Test {
protected:
  void TearDown() override {
    if (host && record)
      TAVIMG_UnloadPicture(host->hwnd(), record);
  }
  bool MakeHost(int x, int y, int width, int height) {
    host = std::make_unique<HostWindow>(x, y, width, height);
    return host->hwnd() != nullptr;
  }
  std::unique_ptr<HostWindow> host;
  ImgStruct* record = nullptr;
};

} // namespace viewtest

#endif
