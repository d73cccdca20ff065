// The clipboard copy: what the clipboard holds afterwards, read back through
// the clipboard and GDI calls, and the failures 21 to 24 with nothing left
// behind.
#include <gtest/gtest.h>

#include <tavoimg/tavoimg.h>
#include <tavwin_test.h>

#include "convert_files.h"
#include "drf_files.h"
#include "frame/frame.h"
#include "output/output.h"
#include "tiff/tiff.h"

#include <string.h>

#include <algorithm>

using namespace convert;

namespace {

void EmptyTheClipboard() {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
}

// Live global blocks and GDI objects, to see that a call leaves none behind.
struct Resources {
  long blocks = tavwin::LiveGlobalBlocks();
  long objects = tavwin::LiveGdiObjects();
  bool operator==(const Resources& o) const { return blocks == o.blocks && objects == o.objects; }
};

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
  RecordPtr record = NewRecord();
  Bilevel exported;
  LoadedTiff(const std::string& name, int width, int height) {
    Bilevel picture = MakePattern(width, height, (unsigned)(width * 7 + height));
    std::string path = drftest::TempPath(name);
    EXPECT_TRUE(WriteTiff(path, picture, 5));
    snprintf(record->TiffPath, sizeof record->TiffPath, "%s", path.c_str());
    EXPECT_EQ(LoadTIFF(record.get()), 1);
    std::vector<uint8_t> dib(48 + (size_t)(width + 31) / 32 * 4 * height, 0);
    EXPECT_EQ(TAVIMG_DecodeTIFF2DIB(record.get(), dib.data()), 1);
    exported = DibPixels(dib);
    EXPECT_NE(std::count(exported.black.begin(), exported.black.end(), 1), 0);
  }
};

// Every pixel of the section at (x0, y0) is the inverted exported pixel: a
// black pixel is a 0-bit; the padding up to 16 bits is white.
void ExpectSection(const ClipboardBitmap& clip, const Bilevel& exported, int x0, int y0, int width, int height) {
  ASSERT_TRUE(clip.present);
  ASSERT_TRUE(x0 + width <= exported.width && y0 + height <= exported.height) << "no export to compare with";
  EXPECT_EQ(clip.description.bmWidth, width);
  EXPECT_EQ(clip.description.bmHeight, height);
  EXPECT_EQ(clip.description.bmWidthBytes, (width + 15) / 16 * 2);
  EXPECT_EQ(clip.description.bmPlanes, 1);
  EXPECT_EQ(clip.description.bmBitsPixel, 1);
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < clip.description.bmWidthBytes * 8; x++) {
      bool white = x >= width || !exported.At(x0 + x, y0 + y);
      ASSERT_EQ(clip.Bit(x, y), white) << "pixel " << x << "," << y;
    }
  }
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

// The whole picture; 17 pixels make rows of 4 bytes, 33 pixels rows of 6.
TEST_F(Clipboard, TiffPictureIsAMonochromeBitmapOfTheWholePicture) {
  for (int width : {17, 33, 300}) {
    LoadedTiff tiff("clip_whole.tif", width, 23);
    ASSERT_EQ(TAVIMG_CopyToClipboard(tiff.record.get()), 1u) << width;
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));
    CloseClipboard();
    ExpectSection(ReadClipboardBitmap(), tiff.exported, 0, 0, width, 23);
  }
}

TEST_F(Clipboard, ZoomedTiffCopiesTheShownSection) {
  LoadedTiff tiff("clip_zoom.tif", 160, 90);
  ImgStruct* record = tiff.record.get();
  record->Zoomed = 1;
  record->ScrollPos = {37, 20};
  record->ScrollPage = {51, 33};
  ASSERT_EQ(TAVIMG_CopyToClipboard(record), 1u);
  ExpectSection(ReadClipboardBitmap(), tiff.exported, 37, 20, 51, 33);

  // A section reaching the picture's last row and column.
  record->ScrollPos = {109, 57};
  ASSERT_EQ(TAVIMG_CopyToClipboard(record), 1u);
  ExpectSection(ReadClipboardBitmap(), tiff.exported, 109, 57, 51, 33);
}

// Sections that cannot be copied: empty, outside the picture, or of a record
// without a picture. Error 21, nothing made, the clipboard left as it was.
TEST_F(Clipboard, NoObjectIsError21) {
  LoadedTiff tiff("clip_bad.tif", 60, 40);
  ImgStruct* record = tiff.record.get();
  ASSERT_EQ(TAVIMG_CopyToClipboard(record), 1u);
  ClipboardBitmap before = ReadClipboardBitmap();
  RecordPtr empty = NewRecord();
  Resources resources;

  struct Case {
    TavPair pos, page;
    const char* what;
  } cases[] = {
      {{0, 0}, {0, 10}, "empty width"},           {{0, 0}, {10, 0}, "empty height"},
      {{55, 0}, {10, 10}, "beyond the right"},    {{0, 35}, {10, 10}, "beyond the bottom"},
      {{-5, 0}, {10, 10}, "left of the picture"}, {{65530, 0}, {10, 10}, "16-bit sum wraps"},
  };
  record->Zoomed = 1;
  for (const Case& c : cases) {
    record->ScrollPos = c.pos;
    record->ScrollPage = c.page;
    EXPECT_EQ(TAVIMG_CopyToClipboard(record), 0u) << c.what;
    EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_CLIPBOARD_DATA) << c.what;
  }
  EXPECT_EQ(TiffToBitmap(0, 61, 0, 40, record), nullptr);
  EXPECT_EQ(TiffToBitmap(10, 5, 0, 40, record), nullptr);

  EXPECT_EQ(TAVIMG_CopyToClipboard(empty.get()), 0u);
  EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_CLIPBOARD_DATA);
  empty->DrfShown = 1; // a DRF side with no DRF picture
  EXPECT_EQ(TAVIMG_CopyToClipboard(empty.get()), 0u);
  EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_CLIPBOARD_DATA);
  EXPECT_EQ(TAVIMG_CopyToClipboard(nullptr), 0u);
  std::unique_ptr<ImgStruct> foreign(new ImgStruct(*record)); // no record of the library's
  EXPECT_EQ(TAVIMG_CopyToClipboard(foreign.get()), 0u);

  EXPECT_TRUE(Resources() == resources);
  ClipboardBitmap after = ReadClipboardBitmap();
  EXPECT_EQ(after.bits, before.bits);
}

// Another program holds the clipboard, or emptying or setting it fails: the
// call returns 0 with its code, and the bitmap it made is deleted again.
TEST_F(Clipboard, ClipboardFailuresReleaseTheObject) {
  LoadedTiff tiff("clip_fail.tif", 70, 30);
  Resources resources;

  tavwin::ClearMessageBoxLog();
  TAVIMG_ShowErrorMessages(1);
  tavwin::HoldClipboard(true);
  EXPECT_EQ(TAVIMG_CopyToClipboard(tiff.record.get()), 0u);
  tavwin::HoldClipboard(false);
  TAVIMG_ShowErrorMessages(0);
  EXPECT_EQ(TAVIMG_GetLastError(nullptr), 1 - 22);
  ASSERT_EQ(tavwin::MessageBoxLog().size(), 1u);
  EXPECT_EQ(tavwin::MessageBoxLog()[0].text, "OpenClipboard failed");
  EXPECT_TRUE(Resources() == resources);

  tavwin::FailEmptyClipboard(true);
  EXPECT_EQ(TAVIMG_CopyToClipboard(tiff.record.get()), 0u);
  tavwin::FailEmptyClipboard(false);
  EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_EMPTY_CLIPBOARD);
  EXPECT_TRUE(Resources() == resources);

  tavwin::FailSetClipboardData(true);
  EXPECT_EQ(TAVIMG_CopyToClipboard(tiff.record.get()), 0u);
  tavwin::FailSetClipboardData(false);
  EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_SET_CLIPBOARD_DATA);
  EXPECT_TRUE(Resources() == resources);

  // The clipboard was closed every time: another copy goes through.
  EXPECT_EQ(TAVIMG_CopyToClipboard(tiff.record.get()), 1u);
  EXPECT_EQ(TAVIMG_GetLastError(nullptr), 1);
}

TEST_F(Clipboard, HeldClipboardReleasesTheDrfBlock) {
  drftest::LoadedDrf drf;
  ASSERT_NE(drf.Load(drftest::WritePicture("clip_held.drf", drftest::RandomPicture(6, 40, 20, 9)), 0), 0);
  drftest::Dib dib;
  ASSERT_EQ(drftest::ExportDib(drf.record, &dib), 1); // the palette is made once
  Resources resources;
  tavwin::HoldClipboard(true);
  EXPECT_EQ(TAVIMG_CopyToClipboard(drf.record), 0u);
  tavwin::HoldClipboard(false);
  EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_OPEN_CLIPBOARD);
  EXPECT_TRUE(Resources() == resources);
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
    long n = pass == 0 ? allocs : locks;
    for (long k = 1; k <= n; k++) {
      EmptyTheClipboard();
      Resources resources;
      if (pass == 0)
        tavwin::FailGlobalAllocAt((int)k);
      else
        tavwin::FailGlobalLockAt((int)k);
      DWORD result = TAVIMG_CopyToClipboard(tiff.record.get());
      tavwin::FailGlobalAllocAt(0);
      tavwin::FailGlobalLockAt(0);
      SCOPED_TRACE(testing::Message() << (pass == 0 ? "allocation " : "lock ") << k);
      if (result == 0) {
        EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_CLIPBOARD_DATA);
      } else {
        EmptyTheClipboard(); // what the copy put there goes
      }
      EXPECT_TRUE(Resources() == resources);
    }
  }
  // The first allocation is the DIB: without it there is no object.
  EmptyTheClipboard();
  tavwin::FailGlobalAllocAt(1);
  EXPECT_EQ(TAVIMG_CopyToClipboard(tiff.record.get()), 0u);
  EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_CLIPBOARD_DATA);
}

#endif
