// The reduced rendering drawn into a stand-in window and read back.
#include "host_window.h"
#include "tiff_files.h"

#include "tiff/tiff.h"

#include <gtest/gtest.h>
#include <tavwin_test.h>

#include <string>
#include <vector>

namespace {

constexpr uint32_t kRed = 0xFF0000, kWhite = 0xFFFFFF;

// Grey of level 0 to 4 on the default white background.
uint32_t LevelColour(int level) {
  if (level == 0)
    return kWhite;
  uint32_t grey = uint32_t(255 - 51 * (level + 1));
  return grey << 16 | grey << 8 | grey;
}

// A loaded picture and a window to draw it into; the fill brush is red, so
// that what the drawing does not output stays red.
class Drawing {
public:
  Drawing(const TiffBitmap& bitmap, int windowWidth, int windowHeight, uint32_t rowsPerStrip = 0) {
    static int n = 0;
    std::string path = TiffScratchPath("render" + std::to_string(++n) + ".tif");
    EXPECT_TRUE(TiffWriteWithLibtiff(path, bitmap, TiffWriteOptions{rowsPerStrip, false, true}));
    EXPECT_EQ(record_.Load(path), 1);
    TAVIMG_SetBkColor(record_.get(), RGB(255, 0, 0), 0);
    window_ = host::CreateTestWindow(0, 0, windowWidth, windowHeight);
  }
  ~Drawing() { DestroyWindow(window_); }
  ImgStruct* record() const { return record_.get(); }

  // DrawTIFF of the source window into destWidth x destHeight at (0, 0),
  // the whole client area filled first; returns the client pixels.
  std::vector<uint32_t> Draw(int x0, int x1, int y0, int y1, int destWidth, int destHeight) {
    RECT client;
    GetClientRect(window_, &client);
    HDC dc = GetDC(window_);
    DrawTIFF(0, 0, x0, x1, y0, y1, destWidth, destHeight, record_.get(), dc, &client);
    ReleaseDC(window_, dc);
    return host::ReadClientPixels(window_, &width_, &height_);
  }
  uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) const { return pixels[(size_t)y * width_ + x]; }

private:
  TiffRecord record_;
  HWND window_;
  int width_ = 0, height_ = 0;
};

#ifdef TAV_HAVE_LIBTIFF

TEST(TiffRender, HalfSizeGivesLevelsOneToFour) {
  // Destination pixel (c, r) covers a 2 x 2 block holding (c + r) % 5 black
  // pixels.
  const int dw = 5, dh = 4;
  TiffBitmap bitmap(2 * dw, 2 * dh);
  const int order[4][2] = {{0, 0}, {1, 1}, {1, 0}, {0, 1}};
  for (int r = 0; r < dh; ++r)
    for (int c = 0; c < dw; ++c)
      for (int k = 0; k < (c + r) % 5; ++k)
        bitmap.at(2 * c + order[k][0], 2 * r + order[k][1]) = 1;
  Drawing drawing(bitmap, 8, 6);
  std::vector<uint32_t> pixels = drawing.Draw(0, 2 * dw, 0, 2 * dh, dw, dh);
  for (int r = 0; r < dh - 1; ++r)
    for (int c = 0; c < dw; ++c)
      EXPECT_EQ(drawing.At(pixels, c, r), LevelColour((c + r) % 5)) << c << "," << r;
  for (int c = 0; c < 8; ++c)
    EXPECT_EQ(drawing.At(pixels, c, dh - 1), kRed) << "the bottom row is never output, column " << c;
  EXPECT_EQ(drawing.At(pixels, dw, 0), kRed); // right of the destination
}

TEST(TiffRender, EqualWidthsGiveBlackOrBackground) {
  TiffBitmap bitmap = TiffRandomBitmap(60, 31, 3);
  Drawing drawing(bitmap, 64, 12);
  std::vector<uint32_t> pixels = drawing.Draw(0, 60, 0, 30, 60, 10); // three rows a destination row
  for (int r = 0; r < 9; ++r)
    for (int c = 0; c < 60; ++c) {
      bool black = bitmap.at(c, 3 * r) || bitmap.at(c, 3 * r + 1) || bitmap.at(c, 3 * r + 2);
      ASSERT_EQ(drawing.At(pixels, c, r), black ? 0u : kWhite) << c << "," << r;
    }
}

TEST(TiffRender, BandsOfAbout64000Pixels) {
  EXPECT_EQ(TiffBandHeight(1000), 64);
  EXPECT_EQ(TiffBandHeight(800), 80);
  EXPECT_EQ(TiffBandHeight(864), 74);
  for (int width = 1; width <= 131072; width += width < 300 ? 1 : 97) {
    int rows = TiffBandHeight(width);
    ASSERT_GE(rows, 1) << width;
    ASSERT_LE((width + 7) / 8 * 4 * rows, 65536) << width;
  }
  EXPECT_EQ(TiffBandHeight(130000), 1);

  // Two source rows a destination row, drawn band by band: 64-row bands for
  // a width of 1000, then what is left but the bottom row.
  TiffBitmap bitmap = TiffRandomBitmap(1000, 402, 9);
  Drawing drawing(bitmap, 1000, 210);
  for (int dh : {200, 64, 50}) {
    std::vector<uint32_t> pixels = drawing.Draw(0, 1000, 0, 2 * dh, 1000, dh);
    for (int r = 0; r < dh - 1; ++r)
      for (int c = 0; c < 1000; ++c) {
        bool black = bitmap.at(c, 2 * r) || bitmap.at(c, 2 * r + 1);
        ASSERT_EQ(drawing.At(pixels, c, r), black ? 0u : kWhite) << c << "," << r << " of " << dh;
      }
    for (int c = 0; c < 1000; ++c)
      ASSERT_EQ(drawing.At(pixels, c, dh - 1), kRed) << "bottom row of " << dh;
  }
}

TEST(TiffRender, SectionsAcrossStrips) {
  // A zoomed section begins inside the third strip; 1:1 and 3:1.
  TiffBitmap bitmap = TiffRandomBitmap(300, 100, 21);
  Drawing drawing(bitmap, 120, 60, 7);
  std::vector<uint32_t> pixels = drawing.Draw(37, 137, 17, 67, 100, 50);
  for (int r = 0; r < 49; ++r)
    for (int c = 0; c < 100; ++c)
      ASSERT_EQ(drawing.At(pixels, c, r), bitmap.at(37 + c, 17 + r) ? 0u : kWhite) << c << "," << r;
  pixels = drawing.Draw(37, 277, 17, 77, 80, 20);
  for (int r = 0; r < 19; ++r)
    for (int c = 0; c < 80; ++c) {
      int black = 0;
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
          black += bitmap.at(37 + 3 * c + x, 17 + 3 * r + y);
      ASSERT_EQ(drawing.At(pixels, c, r), LevelColour(black * 4 / 9)) << c << "," << r;
    }
}

TEST(TiffRender, EnlargementRepeatsPixels) {
  TiffBitmap bitmap = TiffRandomBitmap(4, 9, 2);
  Drawing drawing(bitmap, 20, 20);
  std::vector<uint32_t> pixels = drawing.Draw(0, 4, 0, 4, 16, 16);
  for (int r = 0; r < 15; ++r)
    for (int c = 0; c < 16; ++c)
      ASSERT_EQ(drawing.At(pixels, c, r), bitmap.at(c / 4, r / 4) ? 0u : kWhite) << c << "," << r;
  // Wider but flatter: two source rows a destination row.
  pixels = drawing.Draw(0, 4, 0, 8, 16, 4);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 16; ++c)
      ASSERT_EQ(drawing.At(pixels, c, r), LevelColour(2 * (bitmap.at(c / 4, 2 * r) + bitmap.at(c / 4, 2 * r + 1))));
}

TEST(TiffRender, OddRequestsDrawSafelyAndLeaveNothingBehind) {
  TiffBitmap bitmap = TiffRandomBitmap(200, 50, 4);
  Drawing drawing(bitmap, 40, 40);
  long blocks = tavwin::LiveGlobalBlocks();
  struct Request {
    int x0, x1, y0, y1, dw, dh;
  } requests[] = {
      {0, 200, 0, 50, 1, 1},      {0, 200, 0, 50, 1, 40},   {0, 200, 0, 50, 130000, 3}, {0, 200, 0, 50, 200000, 3},
      {0, 200, 0, 50, 0, 10},     {0, 200, 0, 50, 10, -1},  {50, 50, 0, 50, 10, 10},    {60, 50, 0, 50, 10, 10},
      {0, 200, 40, 30, 10, 10},   {-5, 200, 0, 50, 10, 10}, {0, 70000, 0, 50, 10, 10},  {100, 400, 30, 90, 30, 30},
      {0, 200, 1000, 2000, 5, 5}, {0, 1, 0, 1, 40, 40},
  };
  for (const Request& q : requests)
    drawing.Draw(q.x0, q.x1, q.y0, q.y1, q.dw, q.dh);
  // One column: black wherever a row of the pair has a black pixel.
  std::vector<uint32_t> pixels = drawing.Draw(0, 200, 0, 50, 1, 25);
  for (int r = 0; r < 24; ++r) {
    int black = 0;
    for (int y = 2 * r; y < 2 * r + 2; ++y)
      for (int x = 0; x < 200; ++x)
        black += bitmap.at(x, y);
    ASSERT_EQ(drawing.At(pixels, 0, r), LevelColour(black * 4 / 400)) << r;
  }
  EXPECT_EQ(+drawing.record()->BitmapInfoHandle, nullptr);
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocks);
}

TEST(TiffRender, FittedViewOfAnOpenedPicture) {
  // Loaded by a host and painted through its window: 400 x 200 fitted into
  // a client area of 200 x 100 is a 2:1 reduction at the corner.
  TiffBitmap bitmap = TiffRandomBitmap(400, 200, 17);
  std::string path = TiffScratchPath("fitted.tif");
  ASSERT_TRUE(TiffWriteWithLibtiff(path, bitmap, TiffWriteOptions{64, false, true}));
  HWND window = host::CreateTestWindow(0, 0, 200, 100);
  ImgStruct* record = TAVIMG_LoadPicture(window, 0, nullptr, path.c_str(), "", 1, TAVIMG_FILE_TIFF, 0);
  ASSERT_NE(record, nullptr);
  host::AttachRecord(window, record);
  InvalidateRect(window, nullptr, TRUE);
  host::PumpPaints(window);
  int width = 0, height = 0;
  std::vector<uint32_t> pixels = host::ReadClientPixels(window, &width, &height);
  ASSERT_EQ(width, 200);
  for (int r = 0; r < 99; ++r)
    for (int c = 0; c < 200; ++c) {
      int black = bitmap.at(2 * c, 2 * r) + bitmap.at(2 * c + 1, 2 * r) + bitmap.at(2 * c, 2 * r + 1) +
                  bitmap.at(2 * c + 1, 2 * r + 1);
      ASSERT_EQ(pixels[(size_t)r * width + c], LevelColour(black)) << c << "," << r;
    }
  host::AttachRecord(window, nullptr);
  TAVIMG_UnloadPicture(window, record);
  DestroyWindow(window);
}

TEST(TiffRender, RowsBeyondTheDataAreNotWalkedOneByOne) {
  // A picture that claims 2^31 - 1 rows but holds 20: the fitted drawing
  // must not decode two thousand million empty rows.
  TiffBitmap bitmap = TiffRandomBitmap(64, 20, 5);
  TiffFileBuilder file = TiffSimpleFile(bitmap);
  file.LongEntry(257, 0x7FFFFFFF);
  file.LongEntry(278, 0xFFFFFFFF);
  std::string path = TiffScratchPath("tall.tif");
  ASSERT_TRUE(file.Write(path));
  TiffRecord record;
  ASSERT_EQ(record.Load(path), 1);
  HWND window = host::CreateTestWindow(0, 0, 64, 100);
  HDC dc = GetDC(window);
  RECT client = {0, 0, 64, 100};
  DrawTIFF(0, 0, 0, 64, 0, 0x7FFFFFFF, 64, 100, record.get(), dc, &client);
  DrawTIFF(0, 0, 0, 64, 0, 0x7FFFFFFF, 64, 0x7FFFFFFF, record.get(), dc, &client);
  ReleaseDC(window, dc);
  std::vector<uint32_t> pixels = host::ReadClientPixels(window);
  EXPECT_EQ(pixels[64 * 50], kWhite);
  DestroyWindow(window);
}

#endif

} // namespace
