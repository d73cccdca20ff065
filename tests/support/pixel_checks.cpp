#include "pixel_checks.h"

#include "drf_files.h"

#include <sstream>

namespace viewtest {

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

Region Inverts(const std::vector<RECT>& rects, bool hollow, int penWidth) {
  const int band = penWidth >= 2 ? 2 : 1, grow = penWidth >= 2 ? 1 : 0;
  return [=](int x, int y) {
    bool inverted = false;
    for (const RECT& r : rects) {
      const int l = r.left - grow, t = r.top - grow;
      const bool inside = x >= l && x < r.right && y >= t && y < r.bottom;
      const bool outline = x < l + band || x >= r.right - band || y < t + band || y >= r.bottom - band;
      inverted ^= inside && (outline || !hollow);
    }
    return inverted;
  };
}

::testing::AssertionResult InvertedWhere(const Pixels& before, const Pixels& after, const Region& inverted) {
  if (before.width != after.width || before.height != after.height)
    return ::testing::AssertionFailure() << "the client area changed its size";
  return PixelsAre(after, 0, 0, after.width, after.height,
                   [&](int x, int y) { return inverted(x, y) ? ~before.at(x, y) & 0x00FFFFFFu : before.at(x, y); });
}

} // namespace viewtest
