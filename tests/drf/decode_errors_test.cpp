// Failures while decoding and drawing: each error is reported with its text,
// the host window is destroyed for the decoding errors (2 to 5), nothing
// decoded is left behind, and the record is still usable.
#include "drf_files.h"
#include "host_window.h"
#include "tiff_files.h"

#include "drf/drf.h"
#include "frame/frame.h"

#include <gtest/gtest.h>

#include <tavwin_test.h>

namespace {

using drftest::ReportWatch;

// A record of a real window with path loaded and its palette already built,
// so that decoding allocates and locks only the header, bands and stripes.
struct WindowRecord {
  explicit WindowRecord(const std::string& path, bool exportOnce = true) {
    window = host::CreateTestWindow(0, 0, 120, 90);
    record = TAVIMG_GetImgStruct(window);
    InitImgStruct(record);
    lstrcpyA(record->DrfPath, path.c_str());
    record->DisplayMode = 3;
    EXPECT_EQ(LoadDRFPicture(record), 1);
    drftest::Dib dib;
    if (exportOnce) {
      EXPECT_EQ(drftest::ExportDib(record, &dib), 1);
    }
  }
  ~WindowRecord() {
    TAVIMG_UnloadPicture(window, record);
    if (IsWindow(window))
      DestroyWindow(window);
  }
  HWND window;
  ImgStruct* record;
};

bool NothingDecoded(const ImgStruct* record) {
  if (record->BitmapInfoHandle != nullptr || record->BitmapInfo != nullptr)
    return false;
  for (int b = 0; b < 16; ++b)
    if (record->BandHandles[b] != nullptr || record->BandBits[b] != nullptr)
      return false;
  return true;
}

struct DecodeFault {
  const char* name;
  int allocAt; // GlobalAlloc to fail, counted from the decode's first
  int lockAt;  // GlobalLock to fail
  UINT code;
  const char* text;
};

// Kind 7, width 100: 584 rows to a band, so three bands; allocations: the
// header, then the bands; locks: the header, the three bands, the stripes,
// then the bands again while decoding.
TEST(DrfDecodeErrors, FaultsDestroyTheWindowAndLeaveNothingBehind) {
  const std::string path = drftest::WritePicture("faults.drf", drftest::RandomPicture(7, 100, 1500, 8));
  const DecodeFault faults[] = {
      {"header allocation", 1, 0, 3, "No memory for bitmap header"},
      {"third band allocation", 4, 0, 5, "No memory for bitmap"},
      {"header lock", 0, 1, 2, "Global Lock failed"},
      {"second band lock", 0, 3, 2, "Global Lock failed"},
      {"stripe lock", 0, 5, 2, "Global Lock failed"},
      {"band lock while decoding", 0, 7, 2, "Global Lock failed"},
  };
  for (const DecodeFault& f : faults) {
    SCOPED_TRACE(f.name);
    const long live = tavwin::LiveGlobalBlocks();
    {
      WindowRecord w(path);
      ImgStruct* record = w.record;
      record->DrfShown = 1;
      const long loaded = tavwin::LiveGlobalBlocks();
      ReportWatch watch;
      tavwin::FailGlobalAllocAt(f.allocAt);
      tavwin::FailGlobalLockAt(f.lockAt);
      EXPECT_EQ(DecodeDRFPicture(w.window, record), 0);
      tavwin::FailGlobalAllocAt(0);
      tavwin::FailGlobalLockAt(0);
      EXPECT_EQ(watch.Code(), f.code);
      EXPECT_EQ(watch.Boxes(), 1);
      EXPECT_EQ(watch.LastText(), f.text);
      EXPECT_FALSE(IsWindow(w.window));
      EXPECT_TRUE(NothingDecoded(record));
      EXPECT_EQ(tavwin::LiveGlobalBlocks(), loaded);
      // The record goes on working.
      drftest::Dib dib;
      EXPECT_EQ(drftest::ExportDib(record, &dib), 1);
      EXPECT_EQ(dib.pixels.size(), 100u * 1500u);
    }
    EXPECT_EQ(tavwin::LiveGlobalBlocks(), live);
  }
}

TEST(DrfDecodeErrors, MoreThanSixteenBandsAreRefused) {
  // Kind 6 of width 1000 has 64 rows to a band: 1025 rows need 17 bands.
  drfenc::DrfPicture picture = drftest::RandomPicture(6, 1000, 1025, 2, 0.0);
  const std::string path = drftest::WritePicture("seventeen.drf", picture);
  WindowRecord w(path, false);
  EXPECT_TRUE(NothingDecoded(w.record));
  ReportWatch watch;
  drftest::Dib dib;
  EXPECT_EQ(drftest::ExportDib(w.record, &dib), 0);
  EXPECT_EQ(watch.Code(), 4u);
  EXPECT_EQ(watch.LastText(), "int. err. memsize > MAX_PATCH_SIZE");
  EXPECT_TRUE(dib.bufferIntact);
  EXPECT_TRUE(IsWindow(w.window)); // an export has no window to destroy
  EXPECT_EQ(+w.record->BandCount, 0);

  ReportWatch again;
  w.record->DrfShown = 1;
  EXPECT_EQ(DecodeDRFPicture(w.window, w.record), 0);
  EXPECT_EQ(again.Code(), 4u);
  EXPECT_FALSE(IsWindow(w.window));
  EXPECT_TRUE(NothingDecoded(w.record));
}

TEST(DrfDecodeErrors, PaintThatFailsInTheHostsPaintDestroysTheWindowCleanly) {
  const std::string path = drftest::WritePicture("paint_fault.drf", drftest::RandomPicture(6, 90, 80, 3));
  const long live = tavwin::LiveGlobalBlocks();
  HWND window = host::CreateTestWindow(0, 0, 120, 90);
  ImgStruct* record = TAVIMG_LoadPicture(window, 0, nullptr, nullptr, path.c_str(), 3, TAVIMG_FILE_DRF, 0);
  ASSERT_NE(record, nullptr);
  host::AttachRecord(window, record);
  ReportWatch watch;
  InvalidateRect(window, nullptr, TRUE);
  tavwin::FailGlobalAllocAt(2); // the band
  host::PumpPaints(window);
  tavwin::FailGlobalAllocAt(0);
  // The messages of the window's destruction reach the library too, and an
  // export clears the last error code on entry: the box tells.
  EXPECT_EQ(watch.Boxes(), 1);
  EXPECT_EQ(watch.LastText(), "No memory for bitmap");
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(NothingDecoded(record));
  TAVIMG_UnloadPicture(window, record);
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), live);
}

TEST(DrfDecodeErrors, DrawingThatCannotLockABandReportsAndFreesTheRest) {
  // Kind 7 of width 100 and 1500 rows: three bands.
  const std::string path = drftest::WritePicture("draw_fault.drf", drftest::RandomPicture(7, 100, 1500, 5));
  WindowRecord w(path);
  w.record->DrfShown = 1;
  HDC dc = GetDC(w.window);
  RECT all = {0, 0, 120, 90};
  const long before = tavwin::GlobalLockCalls();
  ASSERT_EQ(DrawDRFPicture(w.window, w.record, dc, &all), 1);
  const long locks = tavwin::GlobalLockCalls() - before; // the last four: header and three bands
  const long live = tavwin::LiveGlobalBlocks();
  for (long failAt : {locks - 3, locks - 1}) {
    SCOPED_TRACE(failAt);
    ReportWatch watch;
    tavwin::FailGlobalLockAt((int)failAt);
    EXPECT_EQ(DrawDRFPicture(w.window, w.record, dc, &all), 0);
    tavwin::FailGlobalLockAt(0);
    EXPECT_EQ(watch.Code(), 2u);
    EXPECT_EQ(watch.LastText(), "Global Lock failed");
    EXPECT_TRUE(IsWindow(w.window)); // drawing's own failure keeps the window
    EXPECT_TRUE(NothingDecoded(w.record));
    EXPECT_EQ(tavwin::LiveGlobalBlocks(), live);
  }
  ReleaseDC(w.window, dc);
}

TEST(DrfDecodeErrors, UndrawablePicturesAreNoError) {
  drfenc::DrfPicture picture = drftest::RandomPicture(7, 10, 10, 1);
  picture.kind = 9;
  drftest::LoadedDrf drf;
  ASSERT_EQ(drf.Load(drftest::WriteRaw("kind9.drf", picture, {0, 3, 0xFF})), 1);
  ReportWatch watch;
  std::vector<uint8_t> buffer(4096);
  EXPECT_EQ(TAVIMG_DecodeDRF2DIB(drf.record, buffer.data()), 0);
  SHORT bits = -1, colours = -1;
  EXPECT_EQ(TAVIMG_GetDRFColorInfo(drf.record, &bits, &colours), 0);
  EXPECT_EQ(bits, -1);
  EXPECT_EQ(CopyDRFToGlobal(drf.record), nullptr);
  // A picture of no rows has nothing to decode.
  picture.kind = 7;
  picture.height = 0;
  drftest::LoadedDrf empty;
  ASSERT_EQ(empty.Load(drftest::WriteRaw("norows.drf", picture, {})), 1);
  EXPECT_EQ(TAVIMG_DecodeDRF2DIB(empty.record, buffer.data()), 0);
  EXPECT_EQ(watch.Code(), 0u);
  EXPECT_EQ(watch.Boxes(), 0);
}

TEST(DrfExport, CopyToGlobalHoldsTheSameDibAndDecodeSetsDrfShown) {
  drfenc::DrfPicture picture = drftest::RandomPicture(5, 101, 40, 6);
  const std::string path = drftest::WritePicture("copy.drf", picture);
  drftest::LoadedDrf drf;
  ASSERT_EQ(drf.Load(path), 1);
  drf.record->DrfShown = 0;
  drftest::Dib dib;
  ASSERT_EQ(drftest::ExportDib(drf.record, &dib), 1);
  EXPECT_EQ(+drf.record->DrfShown, 1);
  HGLOBAL copy = CopyDRFToGlobal(drf.record);
  ASSERT_NE(copy, nullptr);
  EXPECT_GE(GlobalSize(copy), dib.bytes.size());
  const uint8_t* bytes = (const uint8_t*)GlobalLock(copy);
  EXPECT_EQ(0, memcmp(bytes, dib.bytes.data(), dib.bytes.size()));
  GlobalUnlock(copy);
  GlobalFree(copy);
  // Width 101 at 4 bits: rows of 51 bytes in a stride of 52.
  EXPECT_EQ(dib.bytes.size(), 40 + 16 + 52 * 40u);
}

TEST(DrfExport, KindFiveOpensItsCompanionTiffWhenDecoded) {
  const std::string tiff = TiffScratchPath("companion.tif");
  ASSERT_TRUE(TiffSimpleFile(TiffRandomBitmap(64, 32, 1)).Write(tiff));
  drfenc::DrfPicture picture = drftest::RandomPicture(5, 64, 32, 9);
  drftest::LoadedDrf drf;
  ASSERT_EQ(drf.Load(drftest::WritePicture("companion.drf", picture)), 1);
  lstrcpyA(drf.record->TiffPath, tiff.c_str());
  drftest::Dib dib;
  ASSERT_EQ(drftest::ExportDib(drf.record, &dib), 1);
  EXPECT_EQ(dib.pixels, picture.pixels);
  EXPECT_EQ(+drf.record->TiffReady, 1);
  EXPECT_NE(+drf.record->PictureFile, nullptr);
  EXPECT_EQ(+drf.record->TIFFSize.x, 64);

  // A companion that cannot be opened leaves the DRF picture drawable.
  drftest::LoadedDrf other;
  ASSERT_EQ(other.Load(drftest::WritePicture("companion2.drf", picture)), 1);
  lstrcpyA(other.record->TiffPath, (tiff + ".missing").c_str());
  ASSERT_EQ(drftest::ExportDib(other.record, &dib), 1);
  EXPECT_EQ(dib.pixels, picture.pixels);
  EXPECT_EQ(+other.record->TiffReady, 0);
}

} // namespace
