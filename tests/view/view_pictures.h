// Pictures of the view suite whose drawing is known pixel by pixel, and the
// fixture of a test with one host window.
#ifndef TAV_TESTS_VIEW_VIEW_PICTURES_H
#define TAV_TESTS_VIEW_VIEW_PICTURES_H

#include "drf_files.h"
#include "pixel_checks.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace viewtest {

// A bilevel picture in 2 x 2 blocks: block (bx, by) holds BlockCount(bx, by)
// black pixels, 0 to 4. Reduced 2:1 each block becomes one pixel of that
// grey level (LevelColour); at 1:1 every pixel is black or white.
inline int BlockCount(int bx, int by) {
  return (bx * 3 + by * 7 + (bx / 5) * (by / 3)) % 5;
}
inline bool BlockBlack(int x, int y) {
  return (x % 2) + 2 * (y % 2) < BlockCount(x / 2, y / 2);
}
inline COLORREF LevelColour(int level) {
  return level == 0 ? Grey(255) : Grey(255 - 51 * (level + 1));
}
// The other picture: black stripes across the whole width at rows 100k to
// 100k + 9.
inline bool StripeBlack(int, int y) {
  return y % 100 < 10;
}

// The stripe picture shown from picture row top on, page rows of it in the
// area rows of the window: picture row r at window row (r - top) * area /
// page, black for rows 100k + 5 (in a stripe), white for rows 100k + 55.
inline ::testing::AssertionResult ShowsStripes(const Pixels& pixels, int top, int page, int area) {
  for (int row = 5; row < 1200; row += 50) {
    const int y = (row - top) * area / page;
    if (row >= top && y < area - 1 && pixels.at(100, y) != Grey(StripeBlack(0, row) ? 0 : 255))
      return ::testing::AssertionFailure() << "picture row " << row << " at window row " << y;
  }
  return ::testing::AssertionSuccess();
}

// The record's view in one line, to compare it whole: zoomed or not, the
// picture mode, the drawing area, and the section shown (in picture pixels)
// with its position.
inline std::string ViewState(const ImgStruct* r) {
  return "zoomed " + std::to_string(r->Zoomed) + ", mode " + std::to_string(r->PictureMode) + ", area " +
         XY(r->ClientSize) + ", page " + XY(r->ScrollPage) + " at " + XY(r->ScrollPos);
}

// The TIFF of one of the pictures at width x height.
inline std::string PictureTiff(bool (*black)(int x, int y), int width, int height) {
  TiffBitmap picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture.at(x, y) = black(x, y);
  return TiffWritten(std::string(black == StripeBlack ? "view_stripes_" : "view_blocks_") + std::to_string(width) +
                         "x" + std::to_string(height) + ".tif",
                     picture, {64});
}

// A DRF of random pixels (named after its seed) with these hotspots.
inline std::string PictureDrf(int kind, int width, int height, unsigned seed,
                              std::vector<drfenc::Hotspot> hotspots = {}) {
  drfenc::DrfPicture picture = drftest::RandomPicture(kind, width, height, seed);
  picture.hotspots = std::move(hotspots);
  return drftest::WritePicture("view_" + std::to_string(seed) + ".drf", picture);
}

// A test with one host window and the record opened into it; the record is
// unloaded at the end. Boxes are off, the callback log is empty.
class HostedTest : public ::testing::Test {
protected:
  void SetUp() override {
    TAVIMG_ShowErrorMessages(0);
    Notifications().clear();
  }
  void TearDown() override {
    Unload();
    TAVIMG_ShowErrorMessages(1);
  }
  void Unload() {
    if (host && record)
      TAVIMG_UnloadPicture(host->hwnd(), record);
    record = nullptr;
  }
  // Opens a picture with TAVIMG_LoadPicture into a new window of width x
  // height at (0, 0), unloading the one shown before; paints it unless told
  // not to.
  bool Show(int width, int height, const std::string& tiff, const std::string& drf, DWORD mode, DWORD fileType,
            bool paint = true) {
    Unload();
    host = std::make_unique<HostWindow>(0, 0, width, height);
    record = TAVIMG_LoadPicture(host->hwnd(), 0, RecordNotification, tiff.c_str(), drf.c_str(), mode, fileType, 0);
    host->Attach(record);
    if (record && paint)
      host->Pump();
    return record != nullptr;
  }
  Pixels Shown() const { return ReadClient(host->hwnd()); }
  // Releases the button at (x, y) ending a band that must not zoom: the view
  // stays in display mode, nothing is left to repaint, the window shows
  // before again.
  void ExpectDropped(int x, int y, const Pixels& before, DWORD mode) {
    host->Mouse(WM_LBUTTONUP, x, y);
    EXPECT_EQ(TAVIMG_InZoomAction(record), 0u);
    EXPECT_EQ(+record->Zoomed, 0);
    EXPECT_EQ(+record->DisplayMode, mode);
    EXPECT_FALSE(host->HasInvalidArea());
    EXPECT_TRUE(InvertedWhere(before, Shown(), Inverts({})));
  }
  std::unique_ptr<HostWindow> host;
  ImgStruct* record = nullptr;
};

} // namespace viewtest

#endif
