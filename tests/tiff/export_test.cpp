// The 1-bit export of windows of a picture, and what it refuses.
#include "tiff_files.h"

#include "tiff/tiff.h"

#include <gtest/gtest.h>
#include <tavwin_test.h>

#include <memory>

namespace {

#ifdef TAV_HAVE_LIBTIFF

// DecodeTIFFToDIB of a window as a bitmap (top row first).
TiffBitmap ExportWindow(ImgStruct* record, int x0, int x1, int y0, int y1, int* result) {
  int w = x1 - x0, h = y1 - y0;
  size_t stride = (size_t)(w + 31) / 32 * 4;
  std::vector<uint8_t> dib(48 + stride * h, 0);
  *result = DecodeTIFFToDIB(x0, x1, y0, y1, dib.data(), record);
  TiffBitmap bitmap(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      bitmap.at(x, y) = (dib[48 + stride * (size_t)(h - 1 - y) + x / 8] >> (7 - x % 8)) & 1;
  return bitmap;
}

TEST(TiffExport, WindowsOfAPictureInStrips) {
  TiffBitmap bitmap = TiffRandomBitmap(300, 60, 8);
  std::string path = TiffScratchPath("windows.tif");
  ASSERT_TRUE(TiffWriteWithLibtiff(path, bitmap, TiffWriteOptions{7, false, true}));
  TiffRecord record;
  ASSERT_EQ(record.Load(path), 1);
  struct Window {
    int x0, x1, y0, y1;
  } windows[] = {{0, 300, 0, 59},    {13, 250, 10, 40}, {299, 300, 0, 59},
                 {100, 101, 33, 34}, {5, 300, 52, 59},  {0, 300, 50, 60}};
  for (const Window& w : windows) {
    int result = 0;
    TiffBitmap exported = ExportWindow(record.get(), w.x0, w.x1, w.y0, w.y1, &result);
    ASSERT_EQ(result, 1);
    // The picture's last row stays white.
    for (int y = 0; y < exported.height; ++y)
      for (int x = 0; x < exported.width; ++x)
        ASSERT_EQ(exported.at(x, y), w.y0 + y < 59 && bitmap.at(w.x0 + x, w.y0 + y))
            << x << "," << y << " of " << w.x0 << "," << w.y0;
  }
}

TEST(TiffExport, RefusalsAndFailures) {
  TiffBitmap bitmap = TiffRandomBitmap(64, 30, 6);
  std::string path = TiffScratchPath("refuse.tif");
  ASSERT_TRUE(TiffWriteWithLibtiff(path, bitmap, TiffWriteOptions{}));
  TiffRecord record;
  ASSERT_EQ(record.Load(path), 1);
  std::vector<uint8_t> dib(48 + 8 * 30, 0xAB);
  EXPECT_EQ(DecodeTIFFToDIB(10, 10, 0, 30, dib.data(), record.get()), 0);
  EXPECT_EQ(DecodeTIFFToDIB(20, 10, 0, 30, dib.data(), record.get()), 0);
  EXPECT_EQ(DecodeTIFFToDIB(0, 64, 30, 0, dib.data(), record.get()), 0);
  EXPECT_EQ(DecodeTIFFToDIB(0, 64, 0, 30, nullptr, record.get()), 0);
  EXPECT_EQ(dib, std::vector<uint8_t>(dib.size(), 0xAB)); // nothing written
  EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(nullptr, dib.data()), 0);
  auto foreign = std::make_unique<ImgStruct>();
  *foreign = *record.get();
  EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(foreign.get(), dib.data()), 0);
  foreign->PictureFile = nullptr; // not ours to free
  LONG width = record->TIFFSize.x;
  record->TIFFSize.x = 0;
  EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(record.get(), dib.data()), 0);
  record->TIFFSize.x = width;

  // Without its working row the export gives 0; without its strip, white.
  long blocks = tavwin::LiveGlobalBlocks();
  std::fill(dib.begin(), dib.end(), 0);
  tavwin::FailGlobalAllocAt(1);
  EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(record.get(), dib.data()), 0);
  tavwin::FailGlobalAllocAt(2);
  EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(record.get(), dib.data()), 1);
  tavwin::FailGlobalAllocAt(0);
  for (size_t i = 48; i < dib.size(); ++i)
    ASSERT_EQ(dib[i], 0) << i;
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocks);
}

#endif

} // namespace
