#include "pixel_checks.h"

#include <sstream>

namespace viewtest {

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
  std::ostringstream wrong;
  int count = 0;
  for (int y = 0; y < after.height; ++y)
    for (int x = 0; x < after.width; ++x) {
      COLORREF want = inverted(x, y) ? ~before.at(x, y) & 0x00FFFFFFu : before.at(x, y), got = after.at(x, y);
      if (want != got && count++ < 6)
        wrong << " (" << x << "," << y << "): 0x" << std::hex << got << " not 0x" << want << std::dec;
    }
  if (count == 0)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << count << " wrong pixels:" << wrong.str();
}

} // namespace viewtest
