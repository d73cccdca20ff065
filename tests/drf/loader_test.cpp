// The DRF loader: what it keeps of the header and MainPictureInfo, the
// stripes, the raster table in both forms, and every error it reports.
#include "drf_files.h"

#include "drf/drf.h"
#include "frame/frame.h"

#include <gtest/gtest.h>

#include <tavwin_test.h>

namespace {

using drftest::LoadedDrf;
using drftest::ReportWatch;

drfenc::DrfPicture Grey(int width, int height) {
  return drftest::RandomPicture(7, width, height, 5);
}

int StripeCount(const ImgStruct* record) {
  int n = 0;
  for (int i = 0; i < 16; ++i)
    n += record->DRFStripeHandles[i] != nullptr;
  return n;
}

std::vector<drfenc::Hotspot> Spots(int count, int16_t size = 0) {
  std::vector<drfenc::Hotspot> spots;
  for (int i = 0; i < count; ++i) {
    drfenc::Hotspot h;
    h.name = "H" + std::to_string(i);
    h.text = "text " + std::to_string(i);
    h.kind = (uint8_t)(i % 8);
    h.left = (int16_t)i;
    h.top = (int16_t)(2 * i);
    h.right = (int16_t)(i + (size ? size : 10 + i % 5));
    h.bottom = (int16_t)(2 * i + (size ? size : 20));
    spots.push_back(h);
  }
  return spots;
}

TEST(DrfLoader, KeepsMainPictureInfoInTheRecord) {
  for (bool extension : {false, true}) {
    drfenc::DrfPicture picture = drftest::RandomPicture(6, 33, 20, 1);
    picture.options.headerExtension = extension;
    picture.options.pictureFlag = -2;
    std::vector<uint8_t> data;
    ASSERT_TRUE(drfenc::EncodePictureData(picture, data));
    LoadedDrf drf;
    ASSERT_EQ(drf.Load(drftest::WritePicture("info.drf", picture)), 1);
    ImgStruct* r = drf.record;
    EXPECT_EQ(+r->DRFRasterFlag, -2);
    EXPECT_EQ(+r->DRFSize.x, 33);
    EXPECT_EQ(+r->DRFSize.y, 20);
    EXPECT_EQ(+r->ScaledClientSize.x, 33);
    EXPECT_EQ(+r->ScaledClientSize.y, 20);
    EXPECT_EQ(+r->DRFDataSize, data.size());
    EXPECT_EQ(+r->DRFColorType, 6);
    ASSERT_EQ(StripeCount(r), 1);
    // The stripe holds the picture data exactly: MainPictureInfo was found
    // after the extension.
    ASSERT_EQ(GlobalSize(r->DRFStripeHandles[0]), data.size());
    const uint8_t* stripe = (const uint8_t*)GlobalLock(r->DRFStripeHandles[0]);
    EXPECT_EQ(0, memcmp(stripe, data.data(), data.size()));
    GlobalUnlock(r->DRFStripeHandles[0]);
  }
}

TEST(DrfLoader, CutsThePictureDataIntoStripes) {
  struct Case {
    DWORD dataSize;
    std::vector<SIZE_T> stripes;
  } cases[] = {
      {0, {}},
      {65536, {65536}},
      {65537, {65536, 1}},
      {983040, std::vector<SIZE_T>(15, 65536)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dataSize);
    std::vector<uint8_t> data(c.dataSize);
    for (size_t i = 0; i < data.size(); ++i)
      data[i] = (uint8_t)(i * 7 + i / 65536);
    LoadedDrf drf;
    ASSERT_EQ(drf.Load(drftest::WriteRaw("stripes.drf", Grey(4, 1), data)), 1);
    ASSERT_EQ(StripeCount(drf.record), (int)c.stripes.size());
    size_t at = 0;
    for (size_t i = 0; i < c.stripes.size(); ++i) {
      HGLOBAL stripe = drf.record->DRFStripeHandles[i];
      ASSERT_EQ(GlobalSize(stripe), c.stripes[i]);
      const uint8_t* bytes = (const uint8_t*)GlobalLock(stripe);
      EXPECT_EQ(0, memcmp(bytes, data.data() + at, c.stripes[i])) << "stripe " << i;
      GlobalUnlock(stripe);
      at += c.stripes[i];
    }
  }
}

TEST(DrfLoader, DisplayModesOneAndFourReadNoStripesButTheRasterTable) {
  drfenc::DrfPicture picture = Grey(40, 30);
  picture.hotspots = Spots(3);
  const std::string path = drftest::WritePicture("modes.drf", picture);
  for (DWORD mode : {1u, 4u}) {
    LoadedDrf drf;
    drf.record->AltSize = {300, 200};
    ASSERT_EQ(drf.Load(path, mode), 1);
    EXPECT_EQ(StripeCount(drf.record), 0);
    EXPECT_EQ(+drf.record->DRFSize.x, 40);
    EXPECT_EQ(+drf.record->HotspotCount, 3);
    EXPECT_EQ(+drf.record->CentringOffset.x, 0);
  }
}

TEST(DrfLoader, CentresOnTheMeasuredWindowExceptInModeThree) {
  const std::string path = drftest::WritePicture("centre.drf", Grey(101, 50));
  struct Case {
    DWORD mode;
    TavPair alt;
    TavPair expected;
  } cases[] = {
      {0, {300, 201}, {99, 75}}, // (150 - 50.5) and (100.5 - 25), toward zero
      {2, {50, 20}, {-25, -15}},
      {3, {300, 200}, {0, 0}},
      {0, {0, 200}, {0, 0}},
  };
  for (const Case& c : cases) {
    LoadedDrf drf;
    drf.record->AltSize = c.alt;
    ASSERT_EQ(drf.Load(path, c.mode), 1);
    EXPECT_EQ(+drf.record->CentringOffset.x, c.expected.x) << c.mode;
    EXPECT_EQ(+drf.record->CentringOffset.y, c.expected.y) << c.mode;
  }
}

TEST(DrfLoader, ReadsTheFullRasterTable) {
  drfenc::DrfPicture picture = Grey(64, 64);
  picture.hotspots = Spots(8);
  picture.hotspots[3].name = std::string(31, 'n');
  picture.hotspots[3].text = std::string(24, 't');
  LoadedDrf drf;
  ImgStruct* r = drf.record;
  r->DRFSpotOffset[0] = 5;
  r->DRFSpotOffset[1] = 6;
  r->ZoomStart = {100, 200};
  for (int i = 0; i < 8; ++i)
    r->Hotspots[i].HotspotState = 0x0F;
  ASSERT_EQ(drf.Load(drftest::WritePicture("full.drf", picture)), 1);
  ASSERT_EQ(+r->HotspotCount, 8);
  for (int i = 0; i < 8; ++i) {
    const drfenc::Hotspot& h = picture.hotspots[i];
    const HotspotEntry& e = r->Hotspots[i];
    EXPECT_EQ(e.HotspotName, h.name);
    EXPECT_EQ(e.HotspotText, h.text);
    EXPECT_EQ(+e.HotspotKind, h.kind);
    EXPECT_EQ(+e.HotspotState, 0);
    EXPECT_EQ(+e.PictureRect.left, h.left);
    EXPECT_EQ(+e.PictureRect.top, h.top);
    EXPECT_EQ(+e.PictureRect.right, h.right);
    EXPECT_EQ(+e.PictureRect.bottom, h.bottom);
    EXPECT_EQ(+e.ScreenRect.left, h.left + 105);
    EXPECT_EQ(+e.ScreenRect.top, h.top + 206);
    EXPECT_EQ(+e.ScreenRect.right, h.right + 105);
    EXPECT_EQ(+e.ScreenRect.bottom, h.bottom + 206);
  }
}

TEST(DrfLoader, ReadsTheCompactRasterTableWithFullLengthStrings) {
  drfenc::DrfPicture picture = Grey(64, 64);
  picture.options.rasterForm = drfenc::RasterForm::Compact;
  picture.hotspots = Spots(4, 12);
  for (drfenc::Hotspot& h : picture.hotspots)
    h.kind = 0x85;
  picture.hotspots[1].name = std::string(32, 'N'); // no terminator in the file
  picture.hotspots[1].text = std::string(25, 'T');
  picture.hotspots[2].name = "";
  LoadedDrf drf;
  ASSERT_EQ(drf.Load(drftest::WritePicture("compact.drf", picture)), 1);
  ImgStruct* r = drf.record;
  ASSERT_EQ(+r->HotspotCount, 4);
  for (int i = 0; i < 4; ++i) {
    const HotspotEntry& e = r->Hotspots[i];
    EXPECT_EQ(+e.HotspotKind, (signed char)0x85);
    EXPECT_EQ(e.PictureRect.right - e.PictureRect.left, 12);
    EXPECT_EQ(e.PictureRect.bottom - e.PictureRect.top, 12);
    EXPECT_EQ(+e.PictureRect.left, picture.hotspots[i].left);
    EXPECT_EQ(e.HotspotText, picture.hotspots[i].text);
    EXPECT_EQ(+e.HotspotState, 0);
  }
  // The 32-character name fills its field; the text follows it.
  EXPECT_EQ(std::string(r->Hotspots[1].HotspotName, 32), std::string(32, 'N'));
  EXPECT_EQ(std::string(r->Hotspots[1].HotspotText), std::string(25, 'T'));
  EXPECT_EQ(std::string(r->Hotspots[2].HotspotName), "");
  EXPECT_EQ(std::string(r->Hotspots[3].HotspotName), "H3");
}

TEST(DrfLoader, KeepsAtMostSixHundredHotspots) {
  for (auto form : {drfenc::RasterForm::Full, drfenc::RasterForm::Compact}) {
    for (int count : {600, 601, 700}) {
      SCOPED_TRACE(count);
      drfenc::DrfPicture picture = Grey(8, 8);
      picture.options.rasterForm = form;
      picture.hotspots = Spots(count, 4);
      for (drfenc::Hotspot& h : picture.hotspots)
        h.kind = 1;
      LoadedDrf drf;
      ReportWatch watch;
      ASSERT_EQ(drf.Load(drftest::WritePicture("many.drf", picture)), 1);
      EXPECT_EQ(+drf.record->HotspotCount, 600);
      EXPECT_EQ(std::string(drf.record->Hotspots[599].HotspotName), "H599");
      EXPECT_EQ(+drf.record->Hotspots[600].HotspotName[0], 0); // the spare entry is never written
      EXPECT_EQ(watch.Code(), count > 600 ? 18u : 0u);
      if (count > 600) {
        EXPECT_EQ(watch.LastText(), "Unable to load all DRF-Raster");
      }
    }
  }
}

TEST(DrfLoader, WithoutRasterTableHotspotsStayAndOtherKindsLoad) {
  drfenc::DrfPicture picture = Grey(8, 8);
  LoadedDrf drf;
  drf.record->HotspotCount = 5;
  const std::string path = drftest::WritePicture("noraster.drf", picture);
  ASSERT_EQ(drf.Load(path), 1);
  EXPECT_EQ(+drf.record->HotspotCount, 5);

  // Kind 9 loads; it is simply never drawn.
  picture.kind = 9;
  LoadedDrf other;
  ASSERT_EQ(other.Load(drftest::WriteRaw("kind9.drf", picture, {1, 2, 3})), 1);
  EXPECT_EQ(+other.record->DRFColorType, 9);
  EXPECT_EQ(DecodeDRFPicture(nullptr, other.record), 0);
}

TEST(DrfLoader, ReloadingFreesTheStripesOfTheEarlierPicture) {
  const std::string big = drftest::WriteRaw("big.drf", Grey(4, 1), std::vector<uint8_t>(200000, 1));
  const std::string small = drftest::WriteRaw("small.drf", Grey(4, 1), std::vector<uint8_t>(10, 1));
  LoadedDrf drf;
  ASSERT_EQ(drf.Load(big), 1);
  const long live = tavwin::LiveGlobalBlocks();
  ASSERT_EQ(drf.Load(small), 1);
  EXPECT_EQ(StripeCount(drf.record), 1);
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), live - 3);
  ASSERT_EQ(drf.Load(big), 1);
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), live);
}

// ---- Errors: each is reported once with its text, the record stays
// usable, and no memory is left behind.

struct LoaderError {
  const char* name;
  UINT code;
  const char* text;
  int result; // of LoadDRFPicture
};

void ExpectReported(const ReportWatch& watch, const LoaderError& e) {
  EXPECT_EQ(watch.Code(), e.code);
  EXPECT_EQ(watch.Boxes(), 1);
  EXPECT_EQ(watch.LastText(), e.text);
}

// Loads path into a fresh record, expecting the error; then the record can
// still load a good picture and be unloaded with every block freed.
void ExpectLoadError(const std::string& path, const LoaderError& e, int faultAlloc = 0, int faultLock = 0) {
  SCOPED_TRACE(e.name);
  const std::string good = drftest::WritePicture("good.drf", Grey(20, 20));
  const long live = tavwin::LiveGlobalBlocks();
  {
    LoadedDrf drf;
    const long withRecord = tavwin::LiveGlobalBlocks();
    ReportWatch watch;
    tavwin::FailGlobalAllocAt(faultAlloc);
    tavwin::FailGlobalLockAt(faultLock);
    EXPECT_EQ(drf.Load(path), e.result);
    tavwin::FailGlobalAllocAt(0);
    tavwin::FailGlobalLockAt(0);
    ExpectReported(watch, e);
    if (e.result == 0) {
      EXPECT_EQ(StripeCount(drf.record), 0);
      EXPECT_EQ(tavwin::LiveGlobalBlocks(), withRecord);
    }
    ASSERT_EQ(drf.Load(good), 1);
    drftest::Dib dib;
    EXPECT_EQ(drftest::ExportDib(drf.record, &dib), 1);
  }
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), live);
}

std::vector<uint8_t> Truncated(const drfenc::DrfPicture& picture, size_t keep) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(drfenc::EncodeDrf(picture, bytes));
  bytes.resize(keep);
  return bytes;
}

std::string WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
  std::string path = drftest::TempPath(name);
  EXPECT_TRUE(drftest::WriteBytes(path, bytes));
  return path;
}

TEST(DrfLoaderErrors, CraftedFiles) {
  drfenc::DrfPicture picture = Grey(20, 20);
  std::vector<uint8_t> whole;
  ASSERT_TRUE(drfenc::EncodeDrf(picture, whole));

  ExpectLoadError(drftest::TempPath("missing.drf"), {"missing file", 6, "Unable to open DRF file", 0});
  ExpectLoadError(WriteBytes("short_header.drf", Truncated(picture, 10)),
                  {"short header", 7, "Unable to read DRF header", 0});
  ExpectLoadError(WriteBytes("short_info.drf", Truncated(picture, 20)),
                  {"short MainPictureInfo", 8, "Unable to read DRF-MainPictureInfo", 0});
  drfenc::DrfPicture extended = picture;
  extended.options.headerExtension = true;
  ExpectLoadError(WriteBytes("short_extension.drf", Truncated(extended, 40)),
                  {"extension without MainPictureInfo", 8, "Unable to read DRF-MainPictureInfo", 0});
  ExpectLoadError(WriteBytes("no_data.drf", Truncated(picture, 21)),
                  {"no picture data", 11, "Error while reading DRF-Stripes", 0});
  // Data that end inside the second stripe: the first is read, the second
  // gets nothing.
  std::vector<uint8_t> bytes = drfenc::AssembleDrf(picture, std::vector<uint8_t>(70000, 3));
  bytes.resize(21 + 65536);
  ExpectLoadError(WriteBytes("second_stripe_missing.drf", bytes),
                  {"second stripe missing", 11, "Error while reading DRF-Stripes", 0});
  ExpectLoadError(drftest::WriteRaw("sixteen_stripes.drf", picture, std::vector<uint8_t>(983041)),
                  {"sixteen stripes", 9, "Not enough memory for DRF-Picture", 0});

  // Raster tables that end early: the picture is loaded all the same.
  picture.hotspots = Spots(3, 5);
  for (drfenc::Hotspot& h : picture.hotspots)
    h.kind = 2;
  drfenc::DrfPicture compact = picture;
  compact.options.rasterForm = drfenc::RasterForm::Compact;
  std::vector<uint8_t> compactBytes;
  ASSERT_TRUE(drfenc::EncodeDrf(compact, compactBytes));
  std::vector<uint8_t> fullBytes;
  ASSERT_TRUE(drfenc::EncodeDrf(picture, fullBytes));
  const size_t rasterAt = fullBytes[3] | fullBytes[4] << 8 | fullBytes[5] << 16;
  ExpectLoadError(WriteBytes("comp_head.drf", Truncated(compact, rasterAt + 3)),
                  {"short compact head", 16, "Unable to read DRF-CompRasterHead", 1});
  ExpectLoadError(WriteBytes("comp_entry.drf", Truncated(compact, rasterAt + 5 + 2)),
                  {"short compact entry", 17, "Unable to read DRF-CompRaster", 1});
  ExpectLoadError(WriteBytes("full_entry.drf", Truncated(picture, rasterAt + 72 + 50)),
                  {"short full record", 19, "Unable to read DRF-Raster", 1});
  std::vector<uint8_t> farAway = fullBytes;
  farAway[6] = 0x7F; // RasterOffset far beyond the file's end
  ExpectLoadError(WriteBytes("far_raster.drf", farAway), {"raster far away", 19, "Unable to read DRF-Raster", 1});
}

TEST(DrfLoaderErrors, ShortRasterTablesKeepWhatWasRead) {
  drfenc::DrfPicture picture = Grey(20, 20);
  picture.hotspots = Spots(3, 5);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(drfenc::EncodeDrf(picture, bytes));
  bytes.resize(bytes.size() - 10);
  LoadedDrf drf;
  drf.record->HotspotCount = 0;
  ASSERT_EQ(drf.Load(WriteBytes("two_of_three.drf", bytes)), 1);
  EXPECT_EQ(+drf.record->HotspotCount, 0); // not updated
  EXPECT_EQ(std::string(drf.record->Hotspots[1].HotspotName), "H1");
}

TEST(DrfLoaderErrors, MemoryFaults) {
  // Three stripes; the faults hit the first allocation, a later one, and a lock.
  const std::string path = drftest::WriteRaw("faults.drf", Grey(4, 1), std::vector<uint8_t>(150000, 9));
  ExpectLoadError(path, {"first stripe allocation", 9, "Not enough memory for DRF-Picture", 0}, 1, 0);
  ExpectLoadError(path, {"third stripe allocation", 9, "Not enough memory for DRF-Picture", 0}, 3, 0);
  ExpectLoadError(path, {"second stripe lock", 10, "Not enough memory for DRF-Stripes", 0}, 0, 2);
}

} // namespace
