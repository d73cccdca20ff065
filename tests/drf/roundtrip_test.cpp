// Pictures of every kind, encoded by our encoder, loaded and exported as a
// DIB, give back exactly their pixels and their kind's colour table, whatever
// the width, the number of bands and stripes, and the size a view left in the
// record. Kind 5 opens its companion TIFF; what cannot be drawn exports
// nothing.
#include "drf_files.h"
#include "tiff_files.h"

#include "drf/drf.h"

#include <gtest/gtest.h>

#include <tavwin_test.h>

namespace {

using drftest::Dib;
using drftest::LoadedDrf;

// Runs one picture through file, loader and export: its pixels, its
// kind's colour table and nothing written past the buffer; the same DIB
// again when a view has left another size in ScaledClientSize (the buffer is
// sized from TAVIMG_GetDRFSize, and the view's size is left as it was),
// nothing decoded left behind, every block freed with the record.
void RoundTrip(const drfenc::DrfPicture& picture, int minStripes, int bands = 0) {
  const std::string path = drftest::WritePicture("roundtrip.drf", picture);
  const long live = tavwin::LiveGlobalBlocks();
  {
    LoadedDrf drf;
    ASSERT_EQ(drf.Load(path), 1);
    EXPECT_GE(drftest::StripeCount(drf.record), minStripes);
    Dib dib;
    ASSERT_EQ(drftest::ExportDib(drf.record, &dib), 1);
    std::vector<RGBQUAD> colours;
    for (const auto& c : drfenc::KindColourTable(picture))
      colours.push_back({c[2], c[1], c[0], 0});
    const WORD bits = picture.kind == 6 || picture.kind == 7 ? 8 : 4;
    const BITMAPINFOHEADER header = {40, picture.width, picture.height, 1, bits, BI_RGB, 0, 0, 0, (DWORD)colours.size(),
                                     0};
    EXPECT_EQ(0, memcmp(&dib.header, &header, sizeof header));
    ASSERT_EQ(dib.colours.size(), colours.size());
    EXPECT_EQ(0, memcmp(dib.colours.data(), colours.data(), 4 * colours.size()));
    ASSERT_EQ(dib.pixels, picture.pixels);
    EXPECT_TRUE(dib.bufferIntact);
    EXPECT_TRUE(bands == 0 || drf.record->BandCount == bands) << drf.record->BandCount << " bands";
    EXPECT_TRUE(drftest::NothingDecoded(drf.record));
    for (TavPair view : {TavPair{2 * picture.width, picture.height}, TavPair{1728, 2200}, TavPair{3, 2}}) {
      drf.record->ScaledClientSize = view;
      Dib again;
      ASSERT_EQ(drftest::ExportDib(drf.record, &again), 1);
      EXPECT_EQ(again.bytes, dib.bytes);
      EXPECT_TRUE(again.bufferIntact);
      EXPECT_EQ(+drf.record->ScaledClientSize.x, view.x);
      EXPECT_EQ(+drf.record->ScaledClientSize.y, view.y);
    }
  }
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), live);
}

TEST(DrfRoundTrip, EveryKindAtAwkwardWidthsInOneAndManyBands) {
  for (int kind : {5, 6, 7, 8})
    for (int width : {1, 15, 16, 17, 100, 101, 1000})
      for (bool manyBands : {false, true}) {
        // Rows are padded to 16 pixels, and a band holds one row less than
        // fits into 64 KiB: many bands are three full ones and one of a row.
        const int padded = (width + 15) / 16 * 16, bits = kind == 6 || kind == 7 ? 8 : 4;
        const int height = manyBands ? 3 * (65536 / padded * 8 / bits - 1) + 1 : 3;
        SCOPED_TRACE("kind " + std::to_string(kind) + ", " + std::to_string(width) + " x " + std::to_string(height));
        drfenc::DrfPicture picture =
            drftest::RandomPicture(kind, width, height, (unsigned)(kind * 7919 + width * 31 + height));
        // Vary the file's layout too: the extension and the raster forms.
        picture.options.headerExtension = width % 2 == 1;
        picture.options.rasterForm = manyBands ? drfenc::RasterForm::Compact : drfenc::RasterForm::Full;
        picture.hotspots = {{"A", "first", 1, 0, 0, 4, 4}, {"B", "second", 1, 2, 3, 6, 7}};
        RoundTrip(picture, kind == 8 ? 0 : 1, manyBands ? 4 : 1);
      }
}

// Data of many stripes and the most bands a picture may have; noise only,
// runs only, and the mix.
TEST(DrfRoundTrip, DataOverManyStripesAndSixteenBands) {
  struct Case {
    int kind, width, height;
    double noise;
    int minStripes;
  } cases[] = {
      {6, 1000, 900, 1.0, 13}, {7, 1000, 1000, 0.85, 9}, {5, 1000, 1000, 1.0, 4},
      {6, 1000, 1024, 0.0, 1}, {7, 999, 1000, 0.3, 2},   {5, 4000, 258, 0.6, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("kind " + std::to_string(c.kind) + " noise " + std::to_string(c.noise));
    RoundTrip(drftest::RandomPicture(c.kind, c.width, c.height, 77u + c.kind, c.noise), c.minStripes);
  }
}

TEST(DrfExport, KindFiveOpensItsCompanionTiffWhenDecoded) {
  const std::string tiff = drftest::TempPath("companion.tif");
  ASSERT_TRUE(TiffSimpleFile(TiffRandomBitmap(64, 32, 1)).Write(tiff));
  drfenc::DrfPicture picture = drftest::RandomPicture(5, 64, 32, 9);
  const std::string path = drftest::WritePicture("companion.drf", picture);
  // A companion that cannot be opened leaves the DRF picture drawable.
  for (const std::string& companion : {tiff, tiff + ".missing"}) {
    LoadedDrf drf;
    ASSERT_EQ(drf.Load(path), 1);
    lstrcpyA(drf.record->TiffPath, companion.c_str());
    Dib dib;
    ASSERT_EQ(drftest::ExportDib(drf.record, &dib), 1);
    EXPECT_EQ(dib.pixels, picture.pixels);
    const bool opened = companion == tiff;
    EXPECT_EQ(+drf.record->TiffReady, opened ? 1 : 0);
    EXPECT_EQ(drf.record->PictureFile != nullptr, opened);
    EXPECT_EQ(+drf.record->TIFFSize.x, opened ? 64 : 0);
  }
}

TEST(DrfExport, UndrawablePicturesExportNothingAndAreNoError) {
  drfenc::DrfPicture picture = drftest::RandomPicture(7, 10, 10, 1);
  picture.kind = 9; // loads; it is simply never drawn
  LoadedDrf drf;
  ASSERT_EQ(drf.Load(drftest::WriteRaw("kind9.drf", picture, {0, 3, 0xFF})), 1);
  EXPECT_EQ(+drf.record->DRFColorType, 9);
  // A picture of no rows has nothing to decode.
  picture.kind = 7;
  picture.height = 0;
  LoadedDrf empty;
  ASSERT_EQ(empty.Load(drftest::WriteRaw("norows.drf", picture, {})), 1);
  const drftest::Reported got = drftest::Run([&] {
    std::vector<uint8_t> buffer(4096);
    SHORT bits = -1, colours = -1;
    EXPECT_EQ(TAVIMG_GetDRFColorInfo(drf.record, &bits, &colours), 0);
    EXPECT_EQ(bits, -1);
    EXPECT_EQ(CopyDRFToGlobal(drf.record), nullptr);
    // Nor does a call without a record or without a buffer.
    return TAVIMG_DecodeDRF2DIB(drf.record, buffer.data()) + TAVIMG_DecodeDRF2DIB(empty.record, buffer.data()) +
           TAVIMG_DecodeDRF2DIB(nullptr, buffer.data()) + TAVIMG_DecodeDRF2DIB(empty.record, nullptr);
  });
  EXPECT_EQ(got.result, 0);
  EXPECT_TRUE(drftest::Reports(got, 0));
}

} // namespace
