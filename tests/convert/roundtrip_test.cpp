// A host's round trip: a four-colour DRF with hotspots and its companion
// TIFF opened into a window, converted, and the result opened as a TIFF.
#include <gtest/gtest.h>

#include <afx.h>
#include <tavoimg/tavoimg.h>

#include "convert_files.h"
#include "drf_files.h"
#include "host_window.h"

using namespace convert;

#ifdef TAV_HAVE_LIBTIFF

namespace {

struct Expected {
  drfenc::Hotspot spot;
  TavRect tiffRect; // the DRF rectangle at 1.5 times, nearest
};

HotspotDataRecord HotspotData(ImgStruct* record, LONG number) {
  HotspotDataRecord data = {};
  EXPECT_EQ(TAVIMG_GetHotspotData(record, number, &data), 1) << number;
  return data;
}

std::vector<uint8_t> ExportTiff(ImgStruct* record) {
  std::vector<uint8_t> dib(48 + (size_t)(record->TIFFSize.x + 31) / 32 * 4 * record->TIFFSize.y, 0);
  EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(record, dib.data()), 1);
  return dib;
}

} // namespace

TEST(RoundTrip, DrfHotspotsComeBackFromTheConvertedTiff) {
  // TIFF 300 x 120 for a DRF of 200 x 80: hotspots scale by 1.5.
  std::vector<Expected> expected = {
      {{"Valve 12", "Inlet, cold water", 5, 7, 3, 41, 20}, {11, 5, 62, 30}},
      {{"Whole", "", 0, 0, 0, 199, 79}, {0, 0, 299, 119}},
      {{"A name of thirty-one characters", "Twenty-three characters", 7, 150, 60, 151, 61}, {225, 90, 227, 92}},
  };

  drfenc::DrfPicture drf = drftest::RandomPicture(drfenc::kKindFourColourTiff, 200, 80, 11);
  for (const Expected& e : expected)
    drf.hotspots.push_back(e.spot);
  std::string drfPath = drftest::WritePicture("roundtrip.drf", drf);
  Bilevel picture = MakePattern(300, 120, 3);
  std::string tiffPath = drftest::TempPath("roundtrip.tif");
  ASSERT_TRUE(WriteTiff(tiffPath, picture, 13));
  std::string outPath = drftest::TempPath("roundtrip_out.tif");

  HWND drfWindow = host::CreateTestWindow(0, 0, 320, 200);
  HWND tiffWindow = host::CreateTestWindow(0, 0, 320, 200);
  ImgStruct* record = TAVIMG_OpenImage(drfWindow, 0, nullptr, tiffPath.c_str(), drfPath.c_str(), 0, TAVIMG_FILE_DRF, 0);
  ASSERT_NE(record, nullptr);
  ASSERT_EQ(record->DRFColorType, 5);
  ASSERT_EQ(record->TiffReady, 1);
  ASSERT_EQ(TAVIMG_GetHotspotCount(record), 3);

  ASSERT_EQ(FILE_DRF2TIFF_Hotspots(0, record, CString(outPath.c_str())), 1);
  EXPECT_EQ(TAVIMG_GetLastError(nullptr), 1);

  ImgStruct* converted = TAVIMG_OpenImage(tiffWindow, 0, nullptr, outPath.c_str(), nullptr, 0, TAVIMG_FILE_TIFF, 0);
  ASSERT_NE(converted, nullptr);
  EXPECT_EQ(TAVIMG_GetTIFFSize(converted), TAVIMG_GetTIFFSize(record));
  ASSERT_EQ(TAVIMG_GetHotspotCount(converted), 3);
  for (LONG i = 0; i < 3; i++) {
    SCOPED_TRACE(expected[i].spot.name);
    HotspotDataRecord from = HotspotData(record, i), to = HotspotData(converted, i);
    EXPECT_STREQ(to.Name, from.Name);
    EXPECT_STREQ(to.Name, expected[i].spot.name.c_str());
    EXPECT_STREQ(to.Text, from.Text);
    EXPECT_EQ(to.Kind, from.Kind);
    EXPECT_EQ(to.Kind, expected[i].spot.kind);
    const TavRect& r = to.PictureRect;
    const TavRect& want = expected[i].tiffRect;
    EXPECT_EQ(r.left, want.left);
    EXPECT_EQ(r.top, want.top);
    EXPECT_EQ(r.right, want.right);
    EXPECT_EQ(r.bottom, want.bottom);
  }
  EXPECT_EQ(ExportTiff(converted), ExportTiff(record));

  LibtiffView view = ReadWithLibtiff(outPath);
  ASSERT_TRUE(view.opened);
  EXPECT_EQ(view.picture.black, picture.black);
  EXPECT_TRUE(view.hasHotspotTag);
  EXPECT_EQ(view.hotspotCount, 3u);
  ASSERT_EQ(view.stripByteCounts.size(), 10u); // 120 rows, 13 per strip
  uint64_t sum = 0;
  for (size_t i = 0; i < view.stripByteCounts.size(); i++) {
    if (i + 1 < view.stripByteCounts.size()) {
      EXPECT_EQ(view.stripOffsets[i] + view.stripByteCounts[i], view.stripOffsets[i + 1]);
    }
    sum += view.stripByteCounts[i];
  }
  EXPECT_EQ(view.stripOffsets[0] + sum, ReadBytes(tiffPath).size()); // the last strip reaches the source's end

  TAVIMG_UnloadPicture(tiffWindow, converted);
  TAVIMG_UnloadPicture(drfWindow, record);
  DestroyWindow(tiffWindow);
  DestroyWindow(drfWindow);
}

#endif
