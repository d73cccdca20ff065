// DRF pictures painted into a host window, and decoding or drawing that
// fails there. A paint shows the exported DIB's colours at the picture's
// place, band by band, and keeps nothing decoded; a picture whose raster flag
// is 0 paints only the background. Each failure is reported with its text,
// the window is destroyed for the decoding errors (2 to 5), nothing decoded or
// allocated is left behind, and the record is still usable.
#include "drf_files.h"
#include "host_window.h"

#include "drf/drf.h"
#include "core/core.h"

#include <gtest/gtest.h>

#include <tavwin_test.h>

#include <algorithm>

namespace {

// A picture opened and painted into a host window of the given client size
// in display mode 3 (the picture at its own size, in picture mode 0): its
// palette is built, and decoding allocates only the header and the bands.
struct Shown {
  Shown(const std::string& path, int width, int height) : window(host::CreateTestWindow(0, 0, width, height)) {
    record = TAVIMG_LoadPicture(window, 0, nullptr, nullptr, path.c_str(), 3, TAVIMG_FILE_DRF, 0);
    EXPECT_NE(record, nullptr);
    host::AttachRecord(window, record);
  }
  ~Shown() {
    TAVIMG_UnloadPicture(window, record);
    if (IsWindow(window))
      DestroyWindow(window);
  }
  std::vector<uint32_t> Paint() {
    InvalidateRect(window, nullptr, TRUE);
    host::PumpPaints(window);
    return host::ReadClientPixels(window);
  }
  HWND window;
  ImgStruct* record = nullptr;
};

TEST(DrfPaint, WindowShowsTheExportedColoursAtTheSpotOffset) {
  // Kind 7 of width 600 has 106 rows to a band: three bands here. A raster
  // flag of 0 leaves only the background, and nothing to copy.
  struct Case {
    int kind, width, height;
    int8_t flag;
  } cases[] = {{7, 600, 250, 1}, {6, 300, 200, 1}, {5, 301, 150, 1}, {8, 40, 30, 1}, {7, 100, 80, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE("kind " + std::to_string(c.kind) + ", flag " + std::to_string(c.flag));
    drfenc::DrfPicture picture = drftest::RandomPicture(c.kind, c.width, c.height, 21u + c.kind);
    picture.options.pictureFlag = c.flag;
    Shown s(drftest::WritePicture("paint.drf", picture), 640, 300);
    ASSERT_NE(s.record, nullptr);
    ASSERT_EQ(+s.record->PictureMode, 0);
    TAVIMG_SetBkColor(s.record, RGB(12, 34, 56), 0);
    s.record->DRFSpotOffset[0] = 7; // drawn 7 right and 3 down
    s.record->DRFSpotOffset[1] = 3;
    const long live = tavwin::LiveGlobalBlocks();
    const std::vector<uint32_t> pixels = s.Paint();
    EXPECT_EQ(tavwin::LiveGlobalBlocks(), live);
    EXPECT_TRUE(drftest::NothingDecoded(s.record));
    drftest::Dib dib;
    ASSERT_EQ(drftest::ExportDib(s.record, &dib), 1);
    ASSERT_EQ(dib.pixels, picture.pixels);
    ASSERT_EQ(pixels.size(), 640u * 300u);

    const int ox = s.record->DRFSpotOffset[0] + s.record->ZoomStart.x;
    const int oy = s.record->DRFSpotOffset[1] + s.record->ZoomStart.y;
    for (int y = 0; y < 300; ++y)
      for (int x = 0; x < 640; ++x) {
        const int px = x - ox, py = y - oy;
        uint32_t expected = 0x0C2238; // the background
        if (c.flag != 0 && px >= 0 && py >= 0 && px < c.width && py < c.height) {
          const RGBQUAD& q = dib.colours[dib.pixels[(size_t)py * c.width + px]];
          expected = (uint32_t)q.rgbRed << 16 | (uint32_t)q.rgbGreen << 8 | q.rgbBlue;
        }
        ASSERT_EQ(pixels[(size_t)y * 640 + x], expected) << "window pixel " << x << ", " << y;
      }
    if (c.flag == 0) {
      EXPECT_EQ(CopyDRFToGlobal(s.record), nullptr);
    }
  }
}

// Kind 7, width 100: 584 rows to a band, so three bands; allocations: the
// header, then the bands; locks: the header, the three bands, the stripes,
// then the bands again while decoding. A failure of the row decoder itself
// (the stripes or a band while decoding) leaves the bands for the paint or
// export, which goes on with the rows not decoded 0.
TEST(DrfDecodeErrors, FaultsDestroyTheWindowAndLeaveNothingBehind) {
  const std::string path = drftest::WritePicture("faults.drf", drftest::RandomPicture(7, 100, 1500, 8));
  struct Fault {
    const char* name;
    int allocAt; // GlobalAlloc to fail, counted from the decode's first
    int lockAt;  // GlobalLock to fail
    UINT code;
    const char* text;
    bool decoders; // the row decoder's own failure
  } faults[] = {
      {"header allocation", 1, 0, 3, "No memory for bitmap header", false},
      {"third band allocation", 4, 0, 5, "No memory for bitmap", false},
      {"header lock", 0, 1, 2, "Global Lock failed", false},
      {"second band lock", 0, 3, 2, "Global Lock failed", false},
      {"stripe lock", 0, 5, 2, "Global Lock failed", true},
      {"band lock while decoding", 0, 7, 2, "Global Lock failed", true},
  };
  for (const Fault& f : faults) {
    SCOPED_TRACE(f.name);
    const long live = tavwin::LiveGlobalBlocks();
    {
      Shown s(path, 120, 90);
      ASSERT_NE(s.record, nullptr);
      s.record->DrfShown = 1;
      host::AttachRecord(s.window, nullptr); // its destruction must not clear the error code
      const long loaded = tavwin::LiveGlobalBlocks();
      const drftest::Reported got =
          drftest::Run([&] { return (LONG)DecodeDRFPicture(s.window, s.record); }, f.allocAt, f.lockAt);
      EXPECT_EQ(got.result, f.decoders ? 1 : 0);
      EXPECT_TRUE(drftest::Reports(got, f.code, f.text));
      EXPECT_FALSE(IsWindow(s.window));
      EXPECT_EQ(drftest::NothingDecoded(s.record), !f.decoders);
      // The record goes on working; the next decode frees what was left.
      drftest::Dib dib;
      EXPECT_EQ(drftest::ExportDib(s.record, &dib), 1);
      EXPECT_EQ(dib.pixels.size(), 100u * 1500u);
      EXPECT_EQ(tavwin::LiveGlobalBlocks(), loaded);
    }
    EXPECT_EQ(tavwin::LiveGlobalBlocks(), live);
  }
  // An export whose decoder cannot lock the second band (two stripes, then
  // the first band come before it): the decoder stops there, and the rows
  // from that band on are 0.
  Shown s(path, 120, 90);
  drftest::Dib whole, cut;
  ASSERT_EQ(drftest::ExportDib(s.record, &whole), 1);
  const drftest::Reported got = drftest::Run([&] { return drftest::ExportDib(s.record, &cut); }, 0, 8);
  EXPECT_EQ(got.result, 1);
  EXPECT_TRUE(drftest::Reports(got, 2, "Global Lock failed"));
  ASSERT_EQ(cut.pixels.size(), whole.pixels.size());
  const size_t split = 100 * (size_t)s.record->RowsPerBand;
  EXPECT_TRUE(std::equal(cut.pixels.begin(), cut.pixels.begin() + split, whole.pixels.begin()));
  EXPECT_EQ(std::count(cut.pixels.begin() + split, cut.pixels.end(), 0), (long)(cut.pixels.size() - split));
}

TEST(DrfDecodeErrors, MoreThanSixteenBandsAreRefused) {
  // Kind 6 of width 1000 has 64 rows to a band: 1025 rows need 17 bands.
  const std::string path = drftest::WritePicture("seventeen.drf", drftest::RandomPicture(6, 1000, 1025, 2, 0.0));
  HWND window = host::CreateTestWindow(0, 0, 120, 90);
  drftest::LoadedDrf drf(window);
  ASSERT_EQ(drf.Load(path, 3), 1);
  const char* text = "int. err. memsize > MAX_PATCH_SIZE";
  drftest::Dib dib;
  drftest::Reported got = drftest::Run([&] { return drftest::ExportDib(drf.record, &dib); });
  EXPECT_EQ(got.result, 0);
  EXPECT_TRUE(drftest::Reports(got, 4, text));
  EXPECT_TRUE(dib.bufferIntact);
  EXPECT_TRUE(IsWindow(window)); // an export has no window to destroy
  EXPECT_EQ(+drf.record->BandCount, 0);

  drf.record->DrfShown = 1;
  got = drftest::Run([&] { return (LONG)DecodeDRFPicture(window, drf.record); });
  EXPECT_EQ(got.result, 0);
  EXPECT_TRUE(drftest::Reports(got, 4, text));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(drftest::NothingDecoded(drf.record));
}

// The band's allocation fails, or the decoder cannot lock it (and the paint
// goes on into the destroyed window's device context).
TEST(DrfDecodeErrors, PaintThatFailsInTheHostsPaintDestroysTheWindowCleanly) {
  const std::string path = drftest::WritePicture("paint_fault.drf", drftest::RandomPicture(6, 90, 80, 3));
  const long live = tavwin::LiveGlobalBlocks();
  for (bool decoders : {false, true}) {
    SCOPED_TRACE(decoders);
    Shown s(path, 120, 90);
    ASSERT_NE(s.record, nullptr);
    const long before = tavwin::GlobalLockCalls();
    s.Paint();
    const long locks = tavwin::GlobalLockCalls() - before; // the last three: decoding, then drawing the band
    const drftest::Reported got =
        drftest::Run([&] { return (LONG)s.Paint().size(); }, decoders ? 0 : 2, decoders ? (int)locks - 2 : 0);
    // The messages of the window's destruction reach the library too, and an
    // export clears the last error code on entry: the box tells.
    EXPECT_EQ(got.boxes, 1);
    EXPECT_EQ(got.text, decoders ? "Global Lock failed" : "No memory for bitmap");
    EXPECT_FALSE(IsWindow(s.window));
    EXPECT_TRUE(drftest::NothingDecoded(s.record));
  }
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), live);
}

TEST(DrfDecodeErrors, DrawingThatCannotLockABandReportsAndFreesTheRest) {
  // Kind 7 of width 100 and 1500 rows: three bands.
  Shown s(drftest::WritePicture("draw_fault.drf", drftest::RandomPicture(7, 100, 1500, 5)), 120, 90);
  ASSERT_NE(s.record, nullptr);
  HDC dc = GetDC(s.window);
  RECT all = {0, 0, 120, 90};
  const long before = tavwin::GlobalLockCalls();
  ASSERT_EQ(DrawDRFPicture(s.window, s.record, dc, &all), 1);
  const long locks = tavwin::GlobalLockCalls() - before; // the last four: header and three bands
  const long live = tavwin::LiveGlobalBlocks();
  for (long failAt : {locks - 3, locks - 1}) {
    SCOPED_TRACE(failAt);
    const drftest::Reported got =
        drftest::Run([&] { return (LONG)DrawDRFPicture(s.window, s.record, dc, &all); }, 0, (int)failAt);
    EXPECT_EQ(got.result, 0);
    EXPECT_TRUE(drftest::Reports(got, 2, "Global Lock failed"));
    EXPECT_TRUE(IsWindow(s.window)); // drawing's own failure keeps the window
    EXPECT_TRUE(drftest::NothingDecoded(s.record));
    EXPECT_EQ(tavwin::LiveGlobalBlocks(), live);
  }
  ReleaseDC(s.window, dc);
}

} // namespace
