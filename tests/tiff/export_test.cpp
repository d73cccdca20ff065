// What the 1-bit export refuses, and how it fails (its windows are the
// clipboard suite's sections, its pixels the oracle suite's).
#include "tiff_files.h"

#include "tiff/tiff.h"

#include <gtest/gtest.h>
#include <tavwin_test.h>

#include <memory>

namespace {

#ifdef TAV_HAVE_LIBTIFF

TEST(TiffExport, RefusalsAndFailures) {
  TiffBitmap bitmap = TiffRandomBitmap(64, 30, 6);
  std::string path = TiffScratchPath("refuse.tif");
  ASSERT_TRUE(TiffWriteWithLibtiff(path, bitmap, TiffWriteOptions{}));
  TiffRecord record;
  ASSERT_EQ(record.Load(path), 1);
  std::vector<uint8_t> dib(48 + 8 * 30, 0xAB);
  EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(nullptr, dib.data()), 0);
  EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(record.get(), nullptr), 0);
  auto foreign = std::make_unique<ImgStruct>();
  *foreign = *record.get();
  EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(foreign.get(), dib.data()), 0);
  foreign->PictureFile = nullptr; // not ours to free
  LONG width = record->TIFFSize.x;
  record->TIFFSize.x = 0;
  EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(record.get(), dib.data()), 0);
  record->TIFFSize.x = width;
  EXPECT_EQ(dib, std::vector<uint8_t>(dib.size(), 0xAB)); // nothing written

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
