// The reduced rendering drawn into a stand-in window and read back.
#include "host_window.h"
#include "tiff_files.h"

#include "tiff/tiff.h"

#include <gtest/gtest.h>
#include <tavwin_test.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// Grey of level 0 to 4 on the default white background.
uint32_t LevelColour(int level) {
  if (level == 0)
    return kWhite;
  uint32_t grey = uint32_t(255 - 51 * (level + 1));
  return grey << 16 | grey << 8 | grey;
}

struct Draw {
  int x0, x1, y0, y1, dw, dh;
  std::optional<RECT> area = std::nullopt; // a paint area: the pixels outside it keep the client's blue
};

// A loaded picture and a window to draw it into; the fill brush is red, so
// that what the drawing does not output stays red.
class Drawing {
public:
  Drawing(const std::string& path, int windowWidth, int windowHeight) : window_(0, 0, windowWidth, windowHeight) {
    EXPECT_EQ(record_.Load(path), 1);
    TAVIMG_SetBkColor(record_.get(), RGB(255, 0, 0), 0);
  }
  ImgStruct* record() const { return record_.get(); }

  // DrawTIFF of the source window (x0..x1, y0..y1) into dw x dh at (0, 0),
  // the whole client area filled first; returns the client pixels. With a
  // paint area, the client is blue and the drawing clipped to the area and
  // filling it, as a paint of that area is.
  std::vector<uint32_t> Paint(const Draw& d) {
    RECT client;
    GetClientRect(window_.hwnd(), &client);
    HDC dc = GetDC(window_.hwnd());
    HRGN region = nullptr;
    if (d.area) {
      HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
      FillRect(dc, &client, blue);
      DeleteObject(blue);
      region = CreateRectRgn(d.area->left, d.area->top, d.area->right, d.area->bottom);
      SelectClipRgn(dc, region);
    }
    DrawTIFF(0, 0, d.x0, d.x1, d.y0, d.y1, d.dw, d.dh, record_.get(), dc, d.area ? &*d.area : &client);
    SelectClipRgn(dc, nullptr);
    if (region != nullptr)
      DeleteObject(region);
    ReleaseDC(window_.hwnd(), dc);
    return host::ReadClientPixels(window_.hwnd());
  }

private:
  TiffRecord record_;
  viewtest::HostWindow window_;
};

// The client pixels after a drawing of the source window (x0..x1, y0..y1)
// at dw x dh: each destination pixel shows the source pixels that fall on
// it, the columns k with k * dw / sw = c (or the one column c * sw / dw of
// an enlargement) in the rows alike. Equal widths give black or background,
// other sizes floor(4 * black / pixels) as the level; the bottom row and
// what lies beyond the destination are not output and stay fill.
void ExpectDrawn(const std::vector<uint32_t>& pixels, int width, const TiffBitmap& bitmap, const Draw& d, uint32_t fill,
                 std::set<uint32_t>* seen) {
  int sw = d.x1 - d.x0, sh = d.y1 - d.y0;
  auto source = [](int i, int src, int size) {
    std::vector<int> from;
    for (int k = 0; k < src; ++k)
      if (src >= size ? k * size / src == i : k == i * src / size)
        from.push_back(k);
    return from;
  };
  for (size_t p = 0; p < pixels.size(); ++p) {
    int c = int(p % width), r = int(p / width);
    uint32_t expected = fill;
    if (d.area && (c < d.area->left || c >= d.area->right || r < d.area->top || r >= d.area->bottom)) {
      ASSERT_EQ(pixels[p], kBlue) << c << "," << r << " outside the paint area";
      continue;
    }
    if (c < d.dw && r < d.dh - 1) {
      std::vector<int> columns = source(c, sw, d.dw), rows = source(r, sh, d.dh);
      int black = 0;
      for (int y : rows)
        for (int x : columns)
          black += bitmap.at(d.x0 + x, d.y0 + y);
      int pixelCount = int(rows.size() * columns.size());
      expected = LevelColour(sw == d.dw ? (black != 0) * 4 : std::min(4, 4 * black / pixelCount));
    }
    ASSERT_EQ(pixels[p], expected) << c << "," << r << " of " << d.dw << "x" << d.dh;
    seen->insert(expected);
  }
}

#ifdef TAV_HAVE_LIBTIFF

TEST(TiffRender, ReductionsAndEnlargementsAcrossStripsAndBands) {
  const RECT acrossBand{300, 50, 700, 140}, last{0, 190, 1000, 210}, none{0, 60, 1000, 60};
  struct Case {
    int width, height;
    uint32_t seed, rowsPerStrip;
    int windowWidth, windowHeight;
    std::vector<Draw> draws;
  } cases[] = {
      {10, 8, 1, 0, 8, 6, {{0, 10, 0, 8, 5, 4}}}, // half size
      // Equal widths, three rows a destination row; counters of 2 and 3
      // columns and of 4 and 5 rows.
      {60, 31, 3, 0, 64, 12, {{0, 60, 0, 30, 60, 10}, {3, 58, 1, 30, 23, 7}}},
      // Two rows a destination row, band by band: 64-row bands for a width
      // of 1000, then what is left but the bottom row.
      {1000, 402, 9, 0, 1000, 210, {{0, 1000, 0, 400, 1000, 200}, {0, 1000, 0, 128, 1000, 64}}},
      // Painted in part: rows across a band's end, the last rows, none.
      {1000, 402, 9, 0, 1000, 210, {{0, 1000, 0, 400, 1000, 200, acrossBand}, {0, 1000, 0, 400, 1000, 200, last}}},
      {1000, 402, 9, 0, 1000, 210, {{0, 1000, 0, 400, 1000, 200, none}}},
      // A zoomed section beginning inside the third strip; 1:1 and 3:1, and
      // the 3:1 painted in part of its rows.
      {300, 100, 21, 7, 120, 60, {{37, 137, 17, 67, 100, 50}, {37, 277, 17, 77, 80, 20}}},
      {300, 100, 21, 7, 120, 60, {{37, 277, 17, 77, 80, 20, RECT{10, 7, 60, 13}}}},
      // Enlarged, also painted from a row that repeats a source row.
      {4, 9, 2, 0, 20, 20, {{0, 4, 0, 4, 16, 16}, {0, 4, 0, 8, 16, 4}, {0, 4, 0, 4, 16, 16, RECT{0, 6, 20, 11}}}},
      {200, 50, 4, 0, 40, 40, {{0, 200, 0, 50, 1, 25}}}, // one column
  };
  std::set<uint32_t> seen;
  for (const Case& c : cases) {
    TiffBitmap bitmap = TiffRandomBitmap(c.width, c.height, c.seed);
    Drawing drawing(TiffWritten("render.tif", bitmap, {c.rowsPerStrip}), c.windowWidth, c.windowHeight);
    for (const Draw& d : c.draws) {
      ExpectDrawn(drawing.Paint(d), c.windowWidth, bitmap, d, kRed, &seen);
      if (HasFatalFailure())
        return;
    }
  }
  for (int level = 0; level < 5; ++level)
    EXPECT_EQ(seen.count(LevelColour(level)), 1u) << "level " << level;
  // Bands of about 64000 pixels that fit their 64 KiB buffer.
  for (int width = 1; width <= 131072; width += width < 300 ? 1 : 97) {
    ASSERT_GE(TiffBandHeight(width), 1) << width;
    ASSERT_LE((width + 7) / 8 * 4 * TiffBandHeight(width), 65536) << width;
  }
}

TEST(TiffRender, OddRequestsDrawSafelyAndLeaveNothingBehind) {
  Drawing drawing(TiffWritten("odd.tif", TiffRandomBitmap(200, 50, 4)), 40, 40);
  long blocks = tavwin::LiveGlobalBlocks();
  const Draw requests[] = {
      {0, 200, 0, 50, 1, 1},      {0, 200, 0, 50, 1, 40},   {0, 200, 0, 50, 130000, 3}, {0, 200, 0, 50, 200000, 3},
      {0, 200, 0, 50, 0, 10},     {0, 200, 0, 50, 10, -1},  {50, 50, 0, 50, 10, 10},    {60, 50, 0, 50, 10, 10},
      {0, 200, 40, 30, 10, 10},   {-5, 200, 0, 50, 10, 10}, {0, 70000, 0, 50, 10, 10},  {100, 400, 30, 90, 30, 30},
      {0, 200, 1000, 2000, 5, 5}, {0, 1, 0, 1, 40, 40},
  };
  for (const Draw& q : requests)
    drawing.Paint(q);
  EXPECT_EQ(+drawing.record()->BitmapInfoHandle, nullptr);
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocks);
}

TEST(TiffRender, RowsBeyondTheDataAreNotWalkedOneByOne) {
  // A picture that claims 2^31 - 1 rows but holds 20: the fitted drawing
  // must not decode two thousand million empty rows.
  TiffFileBuilder file = TiffSimpleFile(TiffRandomBitmap(64, 20, 5));
  file.LongEntry(257, 0x7FFFFFFF);
  file.LongEntry(278, 0xFFFFFFFF);
  std::string path = drftest::TempPath("tall.tif");
  ASSERT_TRUE(file.Write(path));
  Drawing drawing(path, 64, 100);
  drawing.Paint({0, 64, 0, 0x7FFFFFFF, 64, 0x7FFFFFFF});
  EXPECT_EQ(drawing.Paint({0, 64, 0, 0x7FFFFFFF, 64, 100})[64 * 50], kWhite); // drawn, not left red
}

#endif

} // namespace
