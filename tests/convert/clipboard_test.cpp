// The clipboard copy: what the clipboard holds afterwards, read back through
// the clipboard and GDI calls, and the failures 21 to 24 with nothing left
// behind.
#include <gtest/gtest.h>

#include <tavoimg/tavoimg.h>
#include <tavwin_test.h>

#include "drf_files.h"
#include "core/core.h"
#include "output/output.h"
#include "tiff/tiff.h"
#include "tiff_files.h"

#include <string.h>

#include <algorithm>
#include <utility>

namespace {

void EmptyTheClipboard() {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
}

// Live global blocks and GDI objects, to see that a call leaves none behind.
std::pair<long, long> Resources() {
  return {tavwin::LiveGlobalBlocks(), tavwin::LiveGdiObjects()};
}

// The clipboard's monochrome bitmap: its description and its rows.
struct ClipboardBitmap {
  bool present = false;
  BITMAP description = {};
  std::vector<uint8_t> bits;
  // 1 = white, as in a monochrome bitmap.
  bool Bit(int x, int y) const { return (bits[(size_t)y * description.bmWidthBytes + x / 8] >> (7 - x % 8)) & 1; }
};

ClipboardBitmap ReadClipboardBitmap() {
  ClipboardBitmap result;
  if (!OpenClipboard(nullptr))
    return result;
  HBITMAP bitmap = (HBITMAP)GetClipboardData(CF_BITMAP);
  if (bitmap != nullptr && GetObjectA(bitmap, sizeof result.description, &result.description) != 0) {
    LONG bytes = result.description.bmWidthBytes * result.description.bmHeight;
    result.bits.assign(bytes, 0);
    result.present = GetBitmapBits(bitmap, bytes, result.bits.data()) == bytes;
  }
  CloseClipboard();
  return result;
}

#ifdef TAV_HAVE_LIBTIFF
// A TIFF picture loaded into a record as the opening does, and its pixels as
// the 1-bit export gives them (the rows the clipboard copy starts from).
struct LoadedTiff {
  TiffRecord record;
  TiffBitmap exported;
  LoadedTiff(const std::string& name, int width, int height) {
    EXPECT_EQ(record.Load(TiffWritten(name, TiffRandomBitmap(width, height, width), {5})), 1);
    exported = TiffExport(record.get());
  }
};

// Every pixel of the section at (x0, y0) is the inverted exported pixel: a
// black pixel is a 0-bit; the padding up to 16 bits and what lies beyond the
// picture's edges are white.
void ExpectSection(const ClipboardBitmap& clip, const TiffBitmap& exported, int x0, int y0, int width, int height) {
  ASSERT_TRUE(clip.present);
  const BITMAP& d = clip.description;
  EXPECT_EQ(std::vector<long>({d.bmWidth, d.bmHeight, d.bmWidthBytes, d.bmPlanes, d.bmBitsPixel}),
            std::vector<long>({width, height, (width + 15) / 16 * 2, 1, 1}));
  for (int y = 0; y < height; y++)
    for (int x = 0; x < clip.description.bmWidthBytes * 8; x++)
      ASSERT_EQ(clip.Bit(x, y),
                x >= width || x0 + x >= exported.width || y0 + y >= exported.height || !exported.at(x0 + x, y0 + y))
          << "pixel " << x << "," << y;
}
#endif

class Clipboard : public ::testing::Test {
protected:
  void SetUp() override {
    TAVIMG_ShowErrorMessages(0);
    EmptyTheClipboard();
  }
  void TearDown() override {
    tavwin::HoldClipboard(false);
    tavwin::FailEmptyClipboard(false);
    tavwin::FailSetClipboardData(false);
    tavwin::FailGlobalAllocAt(0);
    tavwin::FailGlobalLockAt(0);
    TAVIMG_ShowErrorMessages(1);
  }
};

} // namespace

TEST_F(Clipboard, DrfPictureIsTheExportedDib) {
  drftest::LoadedDrf drf;
  ASSERT_NE(drf.Load(drftest::WritePicture("clip.drf", drftest::RandomPicture(7, 101, 37, 5)), 0), 0);
  drftest::Dib dib;
  ASSERT_EQ(drftest::ExportDib(drf.record, &dib), 1); // sets DrfShown

  ASSERT_EQ(TAVIMG_CopyToClipboard(drf.record), 1u);
  EXPECT_EQ(TAVIMG_GetLastError(nullptr), 1);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
  HGLOBAL block = GetClipboardData(CF_DIB);
  ASSERT_NE(block, nullptr);
  ASSERT_GE(GlobalSize(block), dib.bytes.size());
  const uint8_t* data = (const uint8_t*)GlobalLock(block);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::vector<uint8_t>(data, data + dib.bytes.size()), dib.bytes);
  GlobalUnlock(block);
  CloseClipboard();
}

#ifdef TAV_HAVE_LIBTIFF

// The whole picture (17 pixels make rows of 4 bytes, 33 pixels rows of 6),
// or with a zoom the section shown, starting inside a strip of 5 rows, up
// to the last row and column and beyond them, down to one pixel.
TEST_F(Clipboard, TiffPictureIsAMonochromeBitmapOfTheSectionShown) {
  struct Case {
    int width, height;
    bool zoomed;
    TavPair pos, page;
  } cases[] = {{17, 23, false, {0, 0}, {17, 23}},    {33, 23, false, {0, 0}, {33, 23}},
               {300, 23, false, {0, 0}, {300, 23}},  {160, 90, true, {37, 20}, {51, 33}},
               {160, 90, true, {109, 57}, {51, 33}}, {160, 90, true, {159, 0}, {1, 90}},
               {160, 90, true, {100, 33}, {1, 1}},   {160, 90, true, {150, 0}, {20, 10}},
               {160, 90, true, {0, 85}, {10, 10}},   {160, 90, true, {170, 95}, {5, 5}}};
  for (const Case& c : cases) {
    LoadedTiff tiff("clip_section.tif", c.width, c.height);
    tiff.record->Zoomed = c.zoomed;
    tiff.record->ScrollPos = c.pos;
    tiff.record->ScrollPage = c.page;
    ASSERT_EQ(TAVIMG_CopyToClipboard(tiff.record.get()), 1u) << c.width;
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));
    CloseClipboard();
    ExpectSection(ReadClipboardBitmap(), tiff.exported, c.pos.x, c.pos.y, c.page.x, c.page.y);
  }
}

// Sections that cannot be copied: empty, left of the picture, wrapping at
// 16 bits, or of a record without a picture. Error 21, nothing made, the clipboard left as it was.
TEST_F(Clipboard, NoObjectIsError21) {
  LoadedTiff tiff("clip_bad.tif", 60, 40);
  ImgStruct* record = tiff.record.get();
  ASSERT_EQ(TAVIMG_CopyToClipboard(record), 1u);
  ClipboardBitmap before = ReadClipboardBitmap();
  TiffRecord empty;
  std::pair<long, long> resources = Resources();

  struct Case {
    TavPair pos, page;
    const char* what;
  } cases[] = {
      {{0, 0}, {0, 10}, "empty width"},
      {{0, 0}, {10, 0}, "empty height"},
      {{-5, 0}, {10, 10}, "left of the picture"},
      {{65530, 0}, {10, 10}, "16-bit sum wraps"},
  };
  record->Zoomed = 1;
  for (const Case& c : cases) {
    record->ScrollPos = c.pos;
    record->ScrollPage = c.page;
    EXPECT_EQ(TAVIMG_CopyToClipboard(record), 0u) << c.what;
    EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_CLIPBOARD_DATA) << c.what;
  }

  for (BYTE drfShown : {0, 1}) { // a record without a picture, on either side
    empty->DrfShown = drfShown;
    EXPECT_EQ(TAVIMG_CopyToClipboard(empty.get()), 0u) << +drfShown;
    EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_CLIPBOARD_DATA);
  }
  EXPECT_EQ(TAVIMG_CopyToClipboard(nullptr), 0u);
  std::unique_ptr<ImgStruct> foreign(new ImgStruct(*record)); // no record of the library's
  EXPECT_EQ(TAVIMG_CopyToClipboard(foreign.get()), 0u);

  EXPECT_EQ(Resources(), resources);
  EXPECT_EQ(ReadClipboardBitmap().bits, before.bits);
}

// Another program holds the clipboard, or emptying or setting it fails: the
// call returns 0 with its code, and the bitmap or DIB it made is freed again.
TEST_F(Clipboard, ClipboardFailuresReleaseTheObject) {
  LoadedTiff tiff("clip_fail.tif", 70, 30);
  drftest::LoadedDrf drf;
  ASSERT_NE(drf.Load(drftest::WritePicture("clip_held.drf", drftest::RandomPicture(6, 40, 20, 9)), 0), 0);
  drftest::Dib dib;
  ASSERT_EQ(drftest::ExportDib(drf.record, &dib), 1); // the palette is made once
  struct Case {
    void (*fail)(bool);
    UINT code;
    const char* box;
  } cases[] = {{tavwin::HoldClipboard, TAV_ERR_OPEN_CLIPBOARD, "OpenClipboard failed"},
               {tavwin::FailEmptyClipboard, TAV_ERR_EMPTY_CLIPBOARD, "EmptyClipboard failed"},
               {tavwin::FailSetClipboardData, TAV_ERR_SET_CLIPBOARD_DATA, "SetClipboardData failed"}};
  for (const Case& c : cases) {
    for (ImgStruct* record : {tiff.record.get(), drf.record}) {
      std::pair<long, long> resources = Resources();
      tavwin::ClearMessageBoxLog();
      TAVIMG_ShowErrorMessages(1);
      c.fail(true);
      EXPECT_EQ(TAVIMG_CopyToClipboard(record), 0u);
      c.fail(false);
      TAVIMG_ShowErrorMessages(0);
      EXPECT_EQ(TAVIMG_GetLastError(nullptr), 1 - (LONG)c.code);
      ASSERT_EQ(tavwin::MessageBoxLog().size(), 1u);
      EXPECT_EQ(tavwin::MessageBoxLog()[0].text, c.box);
      EXPECT_EQ(Resources(), resources) << c.code;
    }
  }
  // The clipboard was closed every time: another copy goes through.
  EXPECT_EQ(TAVIMG_CopyToClipboard(tiff.record.get()), 1u);
  EXPECT_EQ(TAVIMG_GetLastError(nullptr), 1);
}

// Each allocation and lock of a copy made to fail in turn: either the copy
// still succeeds or it fails with error 21; nothing is left behind.
TEST_F(Clipboard, AllocationFailuresLeaveNothingBehind) {
  LoadedTiff tiff("clip_alloc.tif", 45, 26);
  long allocs = tavwin::GlobalAllocCalls(), locks = tavwin::GlobalLockCalls();
  ASSERT_EQ(TAVIMG_CopyToClipboard(tiff.record.get()), 1u);
  allocs = tavwin::GlobalAllocCalls() - allocs;
  locks = tavwin::GlobalLockCalls() - locks;
  ASSERT_GE(allocs, 2); // the DIB and the bitmap bits at least

  for (int pass = 0; pass < 2; pass++) {
    for (long k = 1; k <= (pass == 0 ? allocs : locks); k++) {
      EmptyTheClipboard();
      std::pair<long, long> resources = Resources();
      (pass == 0 ? tavwin::FailGlobalAllocAt : tavwin::FailGlobalLockAt)((int)k);
      DWORD result = TAVIMG_CopyToClipboard(tiff.record.get());
      tavwin::FailGlobalAllocAt(0);
      tavwin::FailGlobalLockAt(0);
      SCOPED_TRACE(testing::Message() << (pass == 0 ? "allocation " : "lock ") << k);
      if (result == 0) {
        EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_CLIPBOARD_DATA);
      } else {
        EmptyTheClipboard(); // what the copy put there goes
      }
      EXPECT_EQ(Resources(), resources);
      // The first allocation is the DIB: without it there is no object.
      EXPECT_TRUE(pass != 0 || k != 1 || result == 0);
    }
  }
}

#endif
