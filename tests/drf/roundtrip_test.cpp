// Pictures of every kind, encoded by our encoder, loaded and exported as a
// DIB, give back exactly their pixels and their kind's colour table.
#include "drf_files.h"

#include "drf/drf.h"

#include <gtest/gtest.h>

#include <tavwin_test.h>

#include <tuple>

namespace {

using drftest::Dib;
using drftest::LoadedDrf;

// Rows of one band, as the decoder cuts the picture.
int RowsPerBand(int kind, int width) {
  const int padded = (width + 15) / 16 * 16;
  const int bits = kind == 6 || kind == 7 ? 8 : 4;
  return 65536 / padded * 8 / bits - 1;
}

// Enough rows for four bands (within the sixteen a picture may use).
int ManyBandHeight(int kind, int width) {
  return std::min(32767, 3 * RowsPerBand(kind, width) + 7);
}

void ExpectSameDib(const drfenc::DrfPicture& picture, const Dib& dib) {
  const int bits = picture.kind == 6 || picture.kind == 7 ? 8 : 4;
  EXPECT_EQ(dib.header.biSize, 40u);
  EXPECT_EQ(dib.header.biWidth, picture.width);
  EXPECT_EQ(dib.header.biHeight, picture.height);
  EXPECT_EQ(dib.header.biPlanes, 1);
  EXPECT_EQ(dib.header.biBitCount, bits);
  EXPECT_EQ(dib.header.biCompression, (DWORD)BI_RGB);
  EXPECT_EQ(dib.header.biSizeImage, 0u);
  EXPECT_EQ(dib.header.biClrImportant, 0u);
  std::vector<RGBQUAD> expected = drftest::ExpectedColours(picture);
  ASSERT_EQ(dib.colours.size(), expected.size());
  EXPECT_EQ(0, memcmp(dib.colours.data(), expected.data(), 4 * expected.size()));
  ASSERT_EQ(dib.pixels.size(), picture.pixels.size());
  size_t firstDifference = 0;
  while (firstDifference < dib.pixels.size() && dib.pixels[firstDifference] == picture.pixels[firstDifference])
    ++firstDifference;
  EXPECT_EQ(firstDifference, dib.pixels.size())
      << "first wrong pixel at x " << firstDifference % picture.width << ", y " << firstDifference / picture.width;
  EXPECT_TRUE(dib.bufferIntact);
}

// Runs one picture through file, loader and export.
void RoundTrip(const drfenc::DrfPicture& picture, const std::string& name) {
  const std::string path = drftest::WritePicture(name, picture);
  const long liveBefore = tavwin::LiveGlobalBlocks();
  {
    LoadedDrf drf;
    ASSERT_EQ(drf.Load(path), 1);
    Dib dib;
    ASSERT_EQ(drftest::ExportDib(drf.record, &dib), 1);
    ExpectSameDib(picture, dib);
    // An export leaves nothing decoded behind.
    EXPECT_EQ(+drf.record->BitmapInfoHandle, nullptr);
    for (int b = 0; b < 16; ++b)
      EXPECT_EQ(+drf.record->BandHandles[b], nullptr);
    // A second export gives the same bytes.
    Dib again;
    ASSERT_EQ(drftest::ExportDib(drf.record, &again), 1);
    EXPECT_EQ(again.bytes, dib.bytes);
  }
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), liveBefore);
}

class DrfRoundTrip : public ::testing::TestWithParam<std::tuple<int, int, bool>> {};

TEST_P(DrfRoundTrip, ExportGivesBackPixelsAndColourTable) {
  const auto [kind, width, manyBands] = GetParam();
  const int height = manyBands ? ManyBandHeight(kind, width) : 3;
  drfenc::DrfPicture picture =
      drftest::RandomPicture(kind, width, height, (unsigned)(kind * 7919 + width * 31 + height));
  // Vary the file's layout too: the extension and the raster forms.
  picture.options.headerExtension = width % 2 == 1;
  picture.options.rasterForm = manyBands ? drfenc::RasterForm::Compact : drfenc::RasterForm::Full;
  picture.hotspots = {{"A", "first", 1, 0, 0, 4, 4}, {"B", "second", 1, 2, 3, 6, 7}};
  RoundTrip(picture, "roundtrip.drf");
}

INSTANTIATE_TEST_SUITE_P(KindsWidthsAndBands, DrfRoundTrip,
                         ::testing::Combine(::testing::Values(5, 6, 7, 8),
                                            ::testing::Values(1, 15, 16, 17, 100, 101, 1000), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<DrfRoundTrip::ParamType>& info) {
                           return "Kind" + std::to_string(std::get<0>(info.param)) + "Width" +
                                  std::to_string(std::get<1>(info.param)) +
                                  (std::get<2>(info.param) ? "ManyBands" : "OneBand");
                         });

// A view or a conversion may leave another size in ScaledClientSize; the
// export still writes the picture at its own size, into a buffer sized from
// TAVIMG_GetDRFSize, and leaves the view's size as it was.
TEST(DrfRoundTripView, ExportKeepsToThePictureSize) {
  drfenc::DrfPicture picture = drftest::RandomPicture(6, 37, 20, 4242);
  const std::string path = drftest::WritePicture("viewsize.drf", picture);
  LoadedDrf drf;
  ASSERT_EQ(drf.Load(path), 1);
  for (TavPair view : {TavPair{74, 40}, TavPair{1728, 2200}, TavPair{3, 2}}) {
    drf.record->ScaledClientSize = view;
    Dib dib;
    ASSERT_EQ(drftest::ExportDib(drf.record, &dib), 1);
    EXPECT_TRUE(dib.bufferIntact);
    ExpectSameDib(picture, dib);
    EXPECT_EQ(drf.record->ScaledClientSize.x, view.x);
    EXPECT_EQ(drf.record->ScaledClientSize.y, view.y);
  }
}

// Data of many stripes and the most bands a picture may have; noise only,
// runs only, and the mix.
TEST(DrfRoundTripLarge, DataOverManyStripesAndSixteenBands) {
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
    drfenc::DrfPicture picture = drftest::RandomPicture(c.kind, c.width, c.height, 77u + c.kind, c.noise);
    const std::string path = drftest::WritePicture("large.drf", picture);
    LoadedDrf drf;
    ASSERT_EQ(drf.Load(path), 1);
    int stripes = 0;
    for (int i = 0; i < 16; ++i)
      stripes += drf.record->DRFStripeHandles[i] != nullptr;
    EXPECT_GE(stripes, c.minStripes);
    Dib dib;
    ASSERT_EQ(drftest::ExportDib(drf.record, &dib), 1);
    ExpectSameDib(picture, dib);
  }
}

} // namespace
