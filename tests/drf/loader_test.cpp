// The DRF loader: what it keeps of the header and MainPictureInfo, the
// stripes, the raster table in both forms, and every error it reports.
#include "drf_files.h"

#include "drf/drf.h"
#include "core/core.h"

#include <gtest/gtest.h>

#include <tavwin_test.h>

#include <string.h>

namespace {

using drftest::LoadedDrf;
using Bytes = std::vector<uint8_t>;

drfenc::DrfPicture Grey(int width, int height) {
  return drftest::RandomPicture(7, width, height, 5);
}

// Hotspots H0, H1, ... of size x size pixels at (i, 2i), of kinds 0 to 7.
std::vector<drfenc::Hotspot> Spots(int count, int16_t size) {
  std::vector<drfenc::Hotspot> spots;
  for (int i = 0; i < count; ++i)
    spots.push_back({"H" + std::to_string(i), "text " + std::to_string(i), (uint8_t)(i % 8), (int16_t)i,
                     (int16_t)(2 * i), (int16_t)(i + size), (int16_t)(2 * i + size)});
  return spots;
}

Bytes Encoded(const drfenc::DrfPicture& picture, size_t keep = SIZE_MAX) {
  Bytes bytes;
  EXPECT_TRUE(drfenc::EncodeDrf(picture, bytes));
  bytes.resize(std::min(keep, bytes.size()));
  return bytes;
}

// A fresh file of its own for each call.
std::string File(const Bytes& bytes) {
  static int files = 0;
  const std::string path = drftest::TempPath("loader" + std::to_string(++files) + ".drf");
  EXPECT_TRUE(drftest::WriteBytes(path, bytes));
  return path;
}

// One record loads picture after picture: each load frees the stripes of
// the one before, and without a raster table the hotspot count stays.
TEST(DrfLoader, KeepsMainPictureInfoAndCutsTheDataIntoStripes) {
  struct Case {
    DWORD dataSize;
    bool extension; // MainPictureInfo is found after the header extension
    std::vector<SIZE_T> stripes;
  } cases[] = {
      {65537, true, {65536, 1}}, {0, false, {}},          {983040, false, std::vector<SIZE_T>(15, 65536)},
      {20, true, {20}},          {65536, false, {65536}},
  };
  LoadedDrf drf;
  ImgStruct* r = drf.record;
  r->HotspotCount = 5;
  const long live = tavwin::LiveGlobalBlocks();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dataSize);
    Bytes data(c.dataSize);
    for (size_t i = 0; i < data.size(); ++i)
      data[i] = (uint8_t)(i * 7 + i / 65536);
    drfenc::DrfPicture picture = drftest::RandomPicture(6, 33, 20, 1);
    picture.options.headerExtension = c.extension;
    picture.options.pictureFlag = -2;
    ASSERT_EQ(drf.Load(drftest::WriteRaw("stripes.drf", picture, data)), 1);
    EXPECT_EQ(tavwin::LiveGlobalBlocks(), live + (long)c.stripes.size());
    EXPECT_EQ(+r->HotspotCount, 5);
    EXPECT_EQ(+r->DRFRasterFlag, -2);
    for (const TavPair size : {r->DRFSize, r->ScaledClientSize}) // copies: the record is packed
      EXPECT_TRUE(size.x == 33 && size.y == 20) << size.x << " x " << size.y;
    EXPECT_EQ(+r->DRFDataSize, c.dataSize);
    EXPECT_EQ(+r->DRFColorType, 6);
    ASSERT_EQ(drftest::StripeCount(r), (int)c.stripes.size());
    size_t at = 0;
    for (size_t i = 0; i < c.stripes.size(); ++i) {
      HGLOBAL stripe = r->DRFStripeHandles[i];
      ASSERT_EQ(GlobalSize(stripe), c.stripes[i]);
      EXPECT_EQ(0, memcmp(GlobalLock(stripe), data.data() + at, c.stripes[i])) << "stripe " << i;
      GlobalUnlock(stripe);
      at += c.stripes[i];
    }
  }
}

// Every mode reads the raster table; modes 1 and 4 read no stripes and do
// not centre, nor does mode 3.
TEST(DrfLoader, CentresOnTheMeasuredWindowAndReadsStripesButInModesOneAndFour) {
  drfenc::DrfPicture picture = Grey(101, 50);
  picture.hotspots = Spots(3, 5);
  const std::string path = drftest::WritePicture("modes.drf", picture);
  struct Case {
    DWORD mode;
    TavPair alt;
    TavPair expected;
    int stripes;
  } cases[] = {
      {0, {300, 201}, {99, 75}, 1}, // (150 - 50.5) and (100.5 - 25), toward zero
      {2, {50, 20}, {-25, -15}, 1}, {3, {300, 200}, {0, 0}, 1}, {0, {0, 200}, {0, 0}, 1},
      {1, {300, 200}, {0, 0}, 0},   {4, {300, 200}, {0, 0}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    LoadedDrf drf;
    drf.record->AltSize = c.alt;
    ASSERT_EQ(drf.Load(path, c.mode), 1);
    EXPECT_EQ(+drf.record->CentringOffset.x, c.expected.x);
    EXPECT_EQ(+drf.record->CentringOffset.y, c.expected.y);
    EXPECT_EQ(drftest::StripeCount(drf.record), c.stripes);
    EXPECT_EQ(+drf.record->DRFSize.x, 101);
    EXPECT_EQ(+drf.record->HotspotCount, 3);
  }
}

// Both forms, with names and texts of the longest length each form holds (a
// compact name of 32 characters has no terminator in the file or in the
// record, where the text follows it), and at most 600 hotspots.
TEST(DrfLoader, ReadsTheRasterTableInBothFormsUpToSixHundredHotspots) {
  struct Form {
    drfenc::RasterForm form;
    size_t nameChars, textChars;
  } forms[] = {{drfenc::RasterForm::Full, 31, 24}, {drfenc::RasterForm::Compact, 32, 25}};
  for (const Form& f : forms)
    for (int count : {5, 600, 601, 700}) {
      SCOPED_TRACE(std::to_string(count) + " hotspots, names of " + std::to_string(f.nameChars));
      drfenc::DrfPicture picture = Grey(64, 64);
      picture.options.rasterForm = f.form;
      picture.hotspots = Spots(count, 12);
      if (f.form == drfenc::RasterForm::Compact)
        for (drfenc::Hotspot& h : picture.hotspots)
          h.kind = 0x85; // one kind byte for all, kept signed
      picture.hotspots[1].name = std::string(f.nameChars, 'N');
      picture.hotspots[1].text = std::string(f.textChars, 'T');
      picture.hotspots[2].name = "";
      LoadedDrf drf;
      ImgStruct* r = drf.record;
      r->DRFSpotOffset[0] = 5;
      r->DRFSpotOffset[1] = 6;
      r->ZoomStart = {100, 200};
      for (HotspotEntry& e : r->Hotspots)
        e.HotspotState = 0x0F;
      const std::string path = drftest::WritePicture("raster.drf", picture);
      const drftest::Reported got = drftest::Run([&] { return (LONG)drf.Load(path); });
      ASSERT_EQ(got.result, 1);
      EXPECT_TRUE(drftest::Reports(got, count > 600 ? 18 : 0, count > 600 ? "Unable to load all DRF-Raster" : ""));
      const int kept = std::min(count, 600);
      ASSERT_EQ(+r->HotspotCount, kept);
      EXPECT_EQ(+r->Hotspots[600].HotspotName[0], 0); // the spare entry is never written
      for (int i = 0; i < kept; ++i) {
        const drfenc::Hotspot& h = picture.hotspots[i];
        const HotspotEntry& e = r->Hotspots[i];
        ASSERT_EQ(std::string(e.HotspotName, strnlen(e.HotspotName, 32)), h.name) << i;
        ASSERT_EQ(e.HotspotText, h.text) << i;
        ASSERT_EQ(+e.HotspotKind, (signed char)h.kind) << i;
        ASSERT_EQ(+e.HotspotState, 0) << i;
        const TavRect picturePlace = {h.left, h.top, h.right, h.bottom};
        const TavRect screenPlace = {h.left + 105, h.top + 206, h.right + 105, h.bottom + 206};
        ASSERT_EQ(0, memcmp(&e.PictureRect, &picturePlace, sizeof picturePlace)) << i;
        ASSERT_EQ(0, memcmp(&e.ScreenRect, &screenPlace, sizeof screenPlace)) << i;
      }
    }
  // A negative count is kept as it is, and means none.
  drfenc::DrfPicture picture = Grey(64, 64);
  picture.hotspots = Spots(3, 12);
  Bytes bytes = Encoded(picture);
  bytes[7] = 0xFE, bytes[8] = 0xFF; // -2
  LoadedDrf drf;
  ASSERT_EQ(drf.Load(File(bytes)), 1);
  EXPECT_EQ(+drf.record->HotspotCount, -2);
  EXPECT_STREQ(drf.record->Hotspots[0].HotspotName, "");
}

// Each error is reported once with its text; a failed load leaves no
// stripe behind, a short raster table leaves the hotspot count as it was
// and the entries read in the record, and the record can still load a good
// picture and be unloaded with every block freed.
struct LoaderError {
  const char* name;
  std::string path;
  UINT code;
  const char* text;
  int result; // of LoadDRFPicture
  int failAlloc = 0, failLock = 0;
  int spotsRead = 0; // entries of a short raster table that were read
  int kinds = 0;     // entries of a compact table that took the shared kind
};

TEST(DrfLoaderErrors, EachIsReportedAndNothingLeaks) {
  drfenc::DrfPicture picture = Grey(20, 20);
  drfenc::DrfPicture extended = picture;
  extended.options.headerExtension = true;
  // Data that end inside the second stripe: the first is read, the second
  // gets nothing.
  Bytes secondStripeMissing = drfenc::AssembleDrf(picture, Bytes(70000, 3));
  secondStripeMissing.resize(21 + 65536);
  // Raster tables that end early: the picture is loaded all the same.
  drfenc::DrfPicture spotted = picture;
  spotted.hotspots = Spots(3, 5);
  for (drfenc::Hotspot& h : spotted.hotspots)
    h.kind = 2; // one kind for all, as the compact form has
  drfenc::DrfPicture compact = spotted;
  compact.options.rasterForm = drfenc::RasterForm::Compact;
  Bytes farAway = Encoded(spotted);
  const size_t rasterAt = farAway[3] | farAway[4] << 8 | farAway[5] << 16;
  farAway[6] = 0x7F; // RasterOffset far beyond the file's end
  const std::string threeStripes = drftest::WriteRaw("faults.drf", Grey(4, 1), Bytes(150000, 9));
  const std::string good = drftest::WritePicture("good.drf", Grey(20, 20));

  const LoaderError errors[] = {
      {"missing file", drftest::TempPath("missing.drf"), 6, "Unable to open DRF file", 0},
      {"short header", File(Encoded(picture, 10)), 7, "Unable to read DRF header", 0},
      {"short MainPictureInfo", File(Encoded(picture, 20)), 8, "Unable to read DRF-MainPictureInfo", 0},
      {"extension without MainPictureInfo", File(Encoded(extended, 40)), 8, "Unable to read DRF-MainPictureInfo", 0},
      {"no picture data", File(Encoded(picture, 21)), 11, "Error while reading DRF-Stripes", 0},
      {"second stripe missing", File(secondStripeMissing), 11, "Error while reading DRF-Stripes", 0},
      {"sixteen stripes", drftest::WriteRaw("sixteen.drf", picture, Bytes(983041)), 9,
       "Not enough memory for DRF-Picture", 0},
      {"first stripe allocation", threeStripes, 9, "Not enough memory for DRF-Picture", 0, 1},
      {"third stripe allocation", threeStripes, 9, "Not enough memory for DRF-Picture", 0, 3},
      {"second stripe lock", threeStripes, 10, "Not enough memory for DRF-Stripes", 0, 0, 2},
      {"short compact head", File(Encoded(compact, rasterAt + 3)), 16, "Unable to read DRF-CompRasterHead", 1},
      // The entry whose corner cannot be read has taken the kind already.
      {"short compact entry", File(Encoded(compact, rasterAt + 5 + 2)), 17, "Unable to read DRF-CompRaster", 1, 0, 0, 0,
       1},
      {"short full record", File(Encoded(spotted, rasterAt + 72 + 50)), 19, "Unable to read DRF-Raster", 1},
      {"raster far away", File(farAway), 19, "Unable to read DRF-Raster", 1},
      {"short last record", File(Encoded(spotted, Encoded(spotted).size() - 10)), 19, "Unable to read DRF-Raster", 1, 0,
       0, 2},
  };
  for (const LoaderError& e : errors) {
    SCOPED_TRACE(e.name);
    const long live = tavwin::LiveGlobalBlocks();
    {
      LoadedDrf drf;
      const long withRecord = tavwin::LiveGlobalBlocks();
      const drftest::Reported got = drftest::Run([&] { return (LONG)drf.Load(e.path); }, e.failAlloc, e.failLock);
      EXPECT_EQ(got.result, e.result);
      EXPECT_TRUE(drftest::Reports(got, e.code, e.text));
      if (e.result == 0) {
        EXPECT_EQ(drftest::StripeCount(drf.record), 0);
        EXPECT_EQ(tavwin::LiveGlobalBlocks(), withRecord);
      } else { // the picture is loaded; of the raster table, what was read
        EXPECT_EQ(+drf.record->HotspotCount, 0);
        for (int i = 0; i < e.spotsRead; ++i)
          EXPECT_EQ(drf.record->Hotspots[i].HotspotName, "H" + std::to_string(i));
        for (int i = 0; e.kinds > 0 && i <= e.kinds; ++i)
          EXPECT_EQ(+drf.record->Hotspots[i].HotspotKind, i < e.kinds ? 2 : 0) << i;
      }
      ASSERT_EQ(drf.Load(good), 1);
      drftest::Dib dib;
      EXPECT_EQ(drftest::ExportDib(drf.record, &dib), 1);
    }
    EXPECT_EQ(tavwin::LiveGlobalBlocks(), live);
  }
}

} // namespace
