// Checks of what a host window shows: frames drawn by inversion.
#ifndef TAV_TESTS_SUPPORT_PIXEL_CHECKS_H
#define TAV_TESTS_SUPPORT_PIXEL_CHECKS_H

#include "host_window.h"
#include "tiff_files.h"

#include <gtest/gtest.h>

#include <functional>

namespace viewtest {

// A set of window pixels.
using Region = std::function<bool(int x, int y)>;
// What Rectangle(l, t, r, b) inverts with R2_NOT for each of rects (a pixel
// inverted twice is back): the whole covered area, or with hollow only the
// outline of the pen. Pen widths 0 and 1 cover l..r-1 by t..b-1 with a
// one-pixel outline; width 2 covers one more column and row to the left and
// top, with a two-pixel outline.
Region Inverts(const std::vector<RECT>& rects, bool hollow = false, int penWidth = 1);
// after equals before but for the pixels of inverted, which are inverted;
// the failure names the first wrong pixels.
::testing::AssertionResult InvertedWhere(const Pixels& before, const Pixels& after, const Region& inverted);

} // namespace viewtest

#endif
