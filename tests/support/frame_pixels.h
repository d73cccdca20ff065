// Test support for drawing on a (stand-in) window and checking the result
// pixel by pixel: a host test window, a background pattern in which every pixel
// differs from its inversion, snapshots of the client area, and the pixels
// that an R2_NOT Rectangle inverts (as Windows draws it, for pens of width
// 0 to 2).
#ifndef TAV_TESTS_SUPPORT_FRAME_PIXELS_H
#define TAV_TESTS_SUPPORT_FRAME_PIXELS_H

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

class FrameWindow {
public:
  FrameWindow(int width, int height); // host test window, nothing left to paint
  ~FrameWindow();
  FrameWindow(const FrameWindow&) = delete;
  FrameWindow& operator=(const FrameWindow&) = delete;
  HWND hwnd() const { return hwnd_; }
  int width() const { return width_; }
  int height() const { return height_; }

private:
  HWND hwnd_;
  int width_, height_;
};

// The background pattern's colour at (x, y).
COLORREF FramePatternColour(int x, int y);
// Paints the pattern into the part of dc given by area.
void FramePaintPattern(HDC dc, const RECT& area);

// The client area, row by row, as 0x00RRGGBB (read as a host would).
struct FrameSnapshot {
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;
  COLORREF at(int x, int y) const { return pixels[(size_t)y * width + x]; }
};
FrameSnapshot FrameTakeSnapshot(const FrameWindow& window);

// Pixels to be inverted, as a grid over the client area.
struct FrameInversion {
  FrameInversion(int width, int height) : width(width), height(height), flip((size_t)width * height, false) {}
  int width, height;
  std::vector<bool> flip;
  // What Rectangle(l, t, r, b) with R2_NOT inverts: the whole covered area
  // with a black brush, its outline only with the null brush.
  void AddRectangle(int l, int t, int r, int b, int penWidth, bool hollow);
};

// Every pixel of after is that of before, inverted exactly where inversion
// says; the failure message names the first few wrong pixels.
::testing::AssertionResult FrameMatches(const FrameSnapshot& before, const FrameInversion& inversion,
                                        const FrameSnapshot& after);

#endif
