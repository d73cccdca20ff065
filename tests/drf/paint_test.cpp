// DRF pictures painted into a host window: the window shows the exported
// DIB's colours at the picture's place, band by band; a picture whose raster
// flag is 0 paints only the background.
#include "drf_files.h"
#include "host_window.h"

#include "drf/drf.h"
#include "frame/frame.h"

#include <gtest/gtest.h>

#include <tavwin_test.h>

namespace {

uint32_t Rgb(const RGBQUAD& q) {
  return (uint32_t)q.rgbRed << 16 | (uint32_t)q.rgbGreen << 8 | q.rgbBlue;
}

struct Painted {
  HWND window = nullptr;
  ImgStruct* record = nullptr;
  std::vector<uint32_t> pixels;
  int width = 0, height = 0;
  ~Painted() {
    TAVIMG_UnloadPicture(window, record);
    DestroyWindow(window);
  }
};

// Opens path in a window of the given client size in display mode 3 (the
// picture at its own size in picture mode 0), paints and reads the window.
void OpenAndPaint(Painted* p, const std::string& path, int width, int height, COLORREF background) {
  p->window = host::CreateTestWindow(0, 0, width, height);
  ASSERT_NE(p->window, nullptr);
  p->record = TAVIMG_LoadPicture(p->window, 0, nullptr, nullptr, path.c_str(), 3, TAVIMG_FILE_DRF, 0);
  ASSERT_NE(p->record, nullptr);
  ASSERT_EQ(+p->record->PictureMode, 0);
  TAVIMG_SetBkColor(p->record, background, 0);
  host::AttachRecord(p->window, p->record);
  InvalidateRect(p->window, nullptr, TRUE);
  host::PumpPaints(p->window);
  p->pixels = host::ReadClientPixels(p->window, &p->width, &p->height);
  ASSERT_EQ(p->pixels.size(), (size_t)width * height);
}

TEST(DrfPaint, WindowShowsTheExportedColoursAtTheSpotOffset) {
  // Kind 7 of width 600 has 106 rows to a band: three bands here.
  struct Case {
    int kind, width, height;
  } cases[] = {{7, 600, 250}, {6, 300, 200}, {5, 301, 150}, {8, 40, 30}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    drfenc::DrfPicture picture = drftest::RandomPicture(c.kind, c.width, c.height, 21u + c.kind);
    const std::string path = drftest::WritePicture("paint.drf", picture);
    const COLORREF background = RGB(12, 34, 56);
    Painted p;
    OpenAndPaint(&p, path, 640, 300, background);
    drftest::Dib dib;
    ASSERT_EQ(drftest::ExportDib(p.record, &dib), 1);
    ASSERT_EQ(dib.pixels, picture.pixels);

    const LONGLONG spot = TAVIMG_GetDRFSpotOffset(p.record), start = TAVIMG_GetZoomStart(p.record);
    const int ox = (int)(SHORT)(spot & 0xFFFF) + (int)(start & 0xFFFFFFFF);
    const int oy = (int)(SHORT)((spot >> 16) & 0xFFFF) + (int)(start >> 32);
    int wrong = 0;
    for (int y = 0; y < p.height && wrong < 5; ++y)
      for (int x = 0; x < p.width && wrong < 5; ++x) {
        const int px = x - ox, py = y - oy;
        const bool inPicture = px >= 0 && py >= 0 && px < c.width && py < c.height;
        const uint32_t expected =
            inPicture ? Rgb(dib.colours[dib.pixels[(size_t)py * c.width + px]])
                      : (uint32_t)(GetRValue(background) << 16 | GetGValue(background) << 8 | GetBValue(background));
        const uint32_t got = p.pixels[(size_t)y * p.width + x];
        if (got != expected) {
          ADD_FAILURE() << "window pixel " << x << ", " << y << ": " << std::hex << got << " instead of " << expected;
          ++wrong;
        }
      }
    // Nothing of a paint stays decoded.
    EXPECT_EQ(+p.record->BitmapInfoHandle, nullptr);
    for (int b = 0; b < 16; ++b)
      EXPECT_EQ(+p.record->BandHandles[b], nullptr);
  }
}

TEST(DrfPaint, RasterFlagZeroPaintsOnlyTheBackground) {
  drfenc::DrfPicture picture = drftest::RandomPicture(7, 100, 80, 4);
  picture.options.pictureFlag = 0;
  Painted p;
  OpenAndPaint(&p, drftest::WritePicture("flag0.drf", picture), 200, 150, RGB(0, 0, 255));
  for (uint32_t pixel : p.pixels)
    ASSERT_EQ(pixel, 0x0000FFu);
  HDC dc = GetDC(p.window);
  RECT all = {0, 0, 200, 150};
  EXPECT_EQ(DrawDRFPicture(p.window, p.record, dc, &all), 0);
  ReleaseDC(p.window, dc);
  EXPECT_EQ(CopyDRFToGlobal(p.record), nullptr);
}

TEST(DrfPaint, BandsGoBottomFirstAndOnlyThePictureWidthIsShown) {
  // Each band of a kind 7 picture of width 20 (padded to 32) has 2047 rows;
  // stripes of grey show where every row lands.
  drfenc::DrfPicture picture;
  picture.kind = 7;
  picture.width = 20;
  picture.height = 2047 * 2 + 10;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      picture.pixels.push_back((uint8_t)(1 + (y + x) % 63));
  const std::string path = drftest::WritePicture("bands.drf", picture);
  HWND window = host::CreateTestWindow(0, 0, 40, 4200);
  ImgStruct* record = TAVIMG_GetImgStruct(window);
  InitImgStruct(record);
  lstrcpyA(record->DrfPath, path.c_str());
  record->DisplayMode = 3;
  ASSERT_EQ(LoadDRFPicture(record), 1);
  record->DrfShown = 1;
  record->DRFSpotOffset[0] = 7;
  record->DRFSpotOffset[1] = 3;
  HDC dc = GetDC(window);
  RECT all = {0, 0, 40, 4200};
  const long live = tavwin::LiveGlobalBlocks();
  EXPECT_EQ(DrawDRFPicture(window, record, dc, &all), 1);
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), live);
  EXPECT_EQ(+record->BandCount, 3);
  ReleaseDC(window, dc);
  int w = 0, h = 0;
  std::vector<uint32_t> pixels = host::ReadClientPixels(window, &w, &h);
  ASSERT_EQ(w, 40);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int px = x - 7, py = y - 3;
      uint32_t expected = 0xFFFFFF; // the record's white background
      if (px >= 0 && py >= 0 && px < picture.width && py < picture.height) {
        const uint32_t grey = 4u * (1 + (py + px) % 63);
        expected = grey << 16 | grey << 8 | grey;
      }
      ASSERT_EQ(pixels[(size_t)y * w + x], expected) << x << ", " << y;
    }
  TAVIMG_UnloadPicture(window, record);
  DestroyWindow(window);
}

} // namespace
