// Error reporting and the library's resources: the last error code, the
// boxes and their switch, the version text, the texts of the string table,
// and the zoom cursor: the file of the Windows builds (zoom.cur, written by
// scripts/make-cursor) shows the same picture as the one the Linux build
// registers, and the library finds its cursor under its own module.
#include "frame/frame.h"
#include "frame_records.h"

#include <afx.h>
#include <tavwin_test.h>

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char kCaption[] = "VIMBEL Version 2.0 / 32Bit";

class Errors : public ::testing::Test {
protected:
  void SetUp() override {
    TAVIMG_ShowErrorMessages(1);
    tavwin::ClearMessageBoxLog();
  }
  void TearDown() override { TAVIMG_ShowErrorMessages(1); }
};

TEST_F(Errors, AFailureShowsItsTextAndLeavesOneMinusItsCode) {
  // The box shows the text with "%1" replaced by the argument; the text of
  // the last error has "%1" replaced by nothing.
  struct Case {
    UINT code;
    const char* argument;
    std::string box, last;
  } cases[] = {
      {TAV_ERR_IMAGE_OPEN, "C:\\pictures\\missing.tif", "Unable to open Image\nC:\\pictures\\missing.tif",
       "Unable to open Image\n"},
      {TAV_ERR_IMAGE_EOF, "b.tif", "Unexpected end of file\nb.tif", "Unexpected end of file\n"},
      {TAV_ERR_TIFF_COMPRESSION, "32773", "Unsupported TIFF-Compression (32773)", "Unsupported TIFF-Compression ()"},
      {TAV_ERR_DRF_OPEN, "a.drf", "Unable to open DRF file", "Unable to open DRF file"},
      {TAV_ERR_OPEN_CLIPBOARD, nullptr, "OpenClipboard failed", "OpenClipboard failed"},
  };
  const auto& log = tavwin::MessageBoxLog();
  for (const Case& c : cases) {
    ReportError(c.code, c.argument);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().text, c.box);
    EXPECT_EQ(log.back().caption, kCaption);
    EXPECT_EQ(log.back().style, (UINT)(MB_OK | MB_ICONEXCLAMATION));
    CString text("left over");
    EXPECT_EQ(TAVIMG_GetLastError(&text), 1 - (LONG)c.code) << c.code;
    EXPECT_STREQ(text, c.last.c_str());
    EXPECT_EQ(TAVIMG_GetLastError(nullptr), 1 - (LONG)c.code); // reading does not clear it
  }
  EXPECT_EQ(log.size(), 5u);
}

TEST_F(Errors, ExportsThatLeaveTheCodeAndExportsThatClearIt) {
  char version[255];
  memset(version, 'x', sizeof version);
  ReportError(TAV_ERR_GLOBAL_LOCK, "x");
  EXPECT_EQ(TAVIMG_GetVersionInfo(version), version); // the host's buffer filled
  EXPECT_STREQ(version, kCaption);
  EXPECT_EQ(TAVIMG_GetVersionInfo(nullptr), nullptr);
  TAVIMG_ShowErrorMessages(1);
  TAVIMG_SetBkColor(nullptr, 0, 0);
  TAVIMG_ActivateAllHotspots(1, nullptr);
  EXPECT_EQ(TAVIMG_GetLastError(nullptr), 1 - 2);
  TAVIMG_GetHotspotCount(nullptr); // fails, but clears the code on entry
  EXPECT_EQ(TAVIMG_GetLastError(nullptr), 1);

  ReportError(TAV_ERR_GLOBAL_LOCK, "x");
  ImgStruct* record = TAVIMG_GetImgStruct(FrameFakeWindow(300)); // succeeds and clears it
  CString text("left over");
  EXPECT_EQ(TAVIMG_GetLastError(&text), 1);
  EXPECT_STREQ(text, "");
  TAVIMG_UnloadPicture(nullptr, record);
}

TEST_F(Errors, BoxesAppearOnlyWhileTheSwitchIsExactlyOne) {
  for (LONG show : {0, 2, -1}) {
    TAVIMG_ShowErrorMessages(show);
    ReportError(TAV_ERR_OPEN_CLIPBOARD, nullptr);
    EXPECT_EQ(TAVIMG_GetLastError(nullptr), 1 - 22) << show;
  }
  EXPECT_TRUE(tavwin::MessageBoxLog().empty());
  TAVIMG_ShowErrorMessages(1);
  ReportError(TAV_ERR_OPEN_CLIPBOARD, nullptr);
  EXPECT_EQ(tavwin::MessageBoxLog().size(), 1u);
}

TEST_F(Errors, EveryCodeHasItsTextInTheLibrarysStringTable) {
  struct Text {
    UINT code;
    const char* text;
  } const texts[] = {
#define TAV_ERROR_TEXT(code, text) {code, text},
#include "resources/error_texts.inc"
#undef TAV_ERROR_TEXT
  };
  ASSERT_EQ(sizeof texts / sizeof texts[0], 25u);
  char text[256];
  for (const Text& t : texts) {
    EXPECT_GT(LoadStringA(LibraryInstance(), t.code, text, sizeof text), 0) << t.code;
    EXPECT_STREQ(text, t.text);
  }
  EXPECT_EQ(LoadStringA(LibraryInstance(), 26, text, sizeof text), 0);
}

const char* const kRows[] = {
#define TAV_ZOOM_CURSOR_ROW(row) row,
#define TAV_ZOOM_CURSOR_HOTSPOT(x, y)
#include "resources/zoom_cursor.inc"
#undef TAV_ZOOM_CURSOR_ROW
#undef TAV_ZOOM_CURSOR_HOTSPOT
};
const int kHotSpot[] = {
#define TAV_ZOOM_CURSOR_ROW(row)
#define TAV_ZOOM_CURSOR_HOTSPOT(x, y) x, y
#include "resources/zoom_cursor.inc"
#undef TAV_ZOOM_CURSOR_ROW
#undef TAV_ZOOM_CURSOR_HOTSPOT
};

unsigned Le16(const std::vector<unsigned char>& d, size_t at) {
  return d[at] | d[at + 1] << 8;
}
uint32_t Le32(const std::vector<unsigned char>& d, size_t at) {
  return Le16(d, at) | (uint32_t)Le16(d, at + 2) << 16;
}

TEST(ZoomCursor, TheCursorFileShowsThePictureTheLinuxBuildRegisters) {
  std::ifstream file(std::string(TAV_SOURCE_DIR) + "/src/resources/zoom.cur", std::ios::binary);
  const std::vector<unsigned char> cur{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ASSERT_EQ(cur.size(), 6u + 16u + 40u + 8u + 2u * 128u);
  EXPECT_EQ(Le16(cur, 2), 2u); // a cursor
  EXPECT_EQ(Le16(cur, 4), 1u); // one image
  EXPECT_EQ(Le16(cur, 10), (unsigned)kHotSpot[0]);
  EXPECT_EQ(Le16(cur, 12), (unsigned)kHotSpot[1]);
  size_t image = Le32(cur, 18);
  ASSERT_EQ(image, 22u);
  EXPECT_EQ(Le32(cur, image + 8), 64u); // both masks, one bit a pixel
  EXPECT_EQ(Le16(cur, image + 14), 1u);
  EXPECT_EQ(Le32(cur, image + 40), 0x000000u); // colour 0 black
  EXPECT_EQ(Le32(cur, image + 44), 0xFFFFFFu); // colour 1 white
  size_t xorMask = image + 48, andMask = xorMask + 128;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      size_t at = (size_t)(31 - y) * 4 + x / 8; // bottom row first
      int bit = 0x80 >> (x % 8);
      char pixel = (cur[andMask + at] & bit) ? '.' : ((cur[xorMask + at] & bit) ? 'o' : '#');
      ASSERT_EQ(pixel, kRows[y][x]) << "pixel " << x << "," << y;
    }
  }
}

TEST(ZoomCursor, IsResource103OfTheLibrary) {
  HCURSOR cursor = LoadCursorA(LibraryInstance(), MAKEINTRESOURCEA(103));
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(ZoomCursor(), cursor);
}

} // namespace
