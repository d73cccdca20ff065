// Error reporting and the library's resources: the last error code, the
// boxes and their switch, the version text, and the zoom cursor the library
// finds under its own module.
#include "core/core.h"
#include "frame_records.h"

#include <afx.h>
#include <tavwin_test.h>

#include <gtest/gtest.h>

#include <string.h>

#include <string>

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

TEST(ZoomCursor, IsResource103OfTheLibrary) {
  HCURSOR cursor = LoadCursorA(LibraryInstance(), MAKEINTRESOURCEA(103));
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(ZoomCursor(), cursor);
}

} // namespace
