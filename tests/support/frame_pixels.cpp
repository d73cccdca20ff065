#include <gtest/gtest.h>

#include "frame_pixels.h"
#include "host_window.h"

#include <sstream>

FrameWindow::FrameWindow(int width, int height)
    : hwnd_(host::CreateTestWindow(0, 0, width, height)), width_(width), height_(height) {
  if (hwnd_ != nullptr)
    ValidateRect(hwnd_, nullptr); // the tests paint themselves
}

FrameWindow::~FrameWindow() {
  if (hwnd_ != nullptr)
    DestroyWindow(hwnd_);
}

COLORREF FramePatternColour(int x, int y) {
  return RGB((x * 7) & 0xFF, (y * 5) & 0xFF, 0x30 + ((x + 3 * y) & 0x7F));
}

void FramePaintPattern(HDC dc, const RECT& area) {
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x)
      SetPixel(dc, x, y, FramePatternColour(x, y));
  }
}

FrameSnapshot FrameTakeSnapshot(const FrameWindow& window) {
  FrameSnapshot shot;
  std::vector<uint32_t> pixels = host::ReadClientPixels(window.hwnd(), &shot.width, &shot.height);
  shot.pixels.assign(pixels.begin(), pixels.end());
  return shot;
}

void FrameInversion::AddRectangle(int l, int t, int r, int b, int penWidth, bool hollow) {
  // Pen width 2 grows the area by one pixel to the left and top and draws
  // a two-pixel outline; widths 0 and 1 draw a one-pixel outline.
  int band = penWidth >= 2 ? 2 : 1;
  if (penWidth >= 2) {
    --l;
    --t;
  }
  for (int y = t; y < b; ++y) {
    for (int x = l; x < r; ++x) {
      bool outline = x < l + band || x >= r - band || y < t + band || y >= b - band;
      if ((hollow && !outline) || x < 0 || y < 0 || x >= width || y >= height)
        continue;
      flip[(size_t)y * width + x] = !flip[(size_t)y * width + x];
    }
  }
}

::testing::AssertionResult FrameMatches(const FrameSnapshot& before, const FrameInversion& inversion,
                                        const FrameSnapshot& after) {
  std::ostringstream wrong;
  int count = 0;
  for (int y = 0; y < before.height; ++y) {
    for (int x = 0; x < before.width; ++x) {
      COLORREF expected = before.at(x, y);
      if (inversion.flip[(size_t)y * before.width + x])
        expected ^= 0x00FFFFFF;
      if (after.at(x, y) != expected && count++ < 8)
        wrong << " (" << x << "," << y << ") is " << std::hex << after.at(x, y) << " not " << expected << std::dec;
    }
  }
  if (count == 0)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << count << " pixels differ:" << wrong.str();
}
