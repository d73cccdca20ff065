// Pictures of the view suite, and the fixture of a test with one host
// window.
#ifndef TAV_TESTS_VIEW_VIEW_PICTURES_H
#define TAV_TESTS_VIEW_VIEW_PICTURES_H

#include "drf_files.h"
#include "pixel_checks.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace viewtest {

// The record's view in one line, to compare it whole: zoomed or not, the
// picture mode, the drawing area, and the section shown (in picture pixels)
// with its position.
inline std::string ViewState(const ImgStruct* r) {
  return "zoomed " + std::to_string(r->Zoomed) + ", mode " + std::to_string(r->PictureMode) + ", area " +
         XY(r->ClientSize) + ", page " + XY(r->ScrollPage) + " at " + XY(r->ScrollPos);
}

// A bilevel TIFF of width x height: black stripes across the whole width at
// rows 100k to 100k + 9.
inline std::string PictureTiff(int width, int height) {
  TiffBitmap picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture.at(x, y) = y % 100 < 10;
  return TiffWritten("view_stripes_" + std::to_string(width) + "x" + std::to_string(height) + ".tif", picture, {64});
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
  std::unique_ptr<HostWindow> host;
  ImgStruct* record = nullptr;
};

} // namespace viewtest

#endif
