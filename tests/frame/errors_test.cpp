// Error reporting: the last error code, the boxes and their switch, the
// texts of the string table, the version text.
#include "frame/frame.h"
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

  // Fills the slot table and asks for one more window: error 20.
  void FailWithTooManyWindows() {
    ImgStruct* records[TAV_SLOT_COUNT];
    for (int i = 0; i < TAV_SLOT_COUNT; ++i)
      records[i] = TAVIMG_GetImgStruct(FrameFakeWindow(100 + i));
    EXPECT_EQ(TAVIMG_GetImgStruct(FrameFakeWindow(200)), nullptr);
    long code = TAVIMG_GetLastError(nullptr);
    for (ImgStruct* record : records)
      TAVIMG_UnloadPicture(nullptr, record);
    // Unloading is an export too: the code it cleared is set again here for
    // the checks that follow.
    EXPECT_EQ(code, 1 - 20);
    EXPECT_EQ(TAVIMG_GetLastError(nullptr), 1);
  }
};

TEST_F(Errors, AFailureShowsOneBoxWithItsTextUnderTheVersionCaption) {
  EXPECT_EQ(TAVIMG_GetImgStruct(nullptr), nullptr); // refused quietly
  FailWithTooManyWindows();
  const auto& log = tavwin::MessageBoxLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].text, "Too much Window Handles left");
  EXPECT_EQ(log[0].caption, kCaption);
  EXPECT_EQ(log[0].style, (UINT)(MB_OK | MB_ICONEXCLAMATION));

  ReportError(TAV_ERR_IMAGE_OPEN, "C:\\pictures\\missing.tif");
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1].text, "Unable to open Image\nC:\\pictures\\missing.tif");
  ReportError(TAV_ERR_TIFF_COMPRESSION, "32773");
  EXPECT_EQ(log.back().text, "Unsupported TIFF-Compression (32773)");
  ReportError(TAV_ERR_DRF_OPEN, "a.drf"); // no "%1" in its text: the argument is not shown
  EXPECT_EQ(log.back().text, "Unable to open DRF file");
}

TEST_F(Errors, GetLastErrorGivesOneMinusTheCodeAndItsText) {
  ReportError(TAV_ERR_DRF_OPEN, "a.drf");
  CString text("left over");
  EXPECT_EQ(TAVIMG_GetLastError(&text), -5);
  EXPECT_STREQ(text, "Unable to open DRF file");
  EXPECT_EQ(TAVIMG_GetLastError(nullptr), -5); // reading does not clear it

  ReportError(TAV_ERR_IMAGE_EOF, "b.tif");
  EXPECT_EQ(TAVIMG_GetLastError(&text), -14);
  EXPECT_STREQ(text, "Unexpected end of file\n"); // "%1" formatted empty

  ImgStruct* record = TAVIMG_GetImgStruct(FrameFakeWindow(300)); // a successful export clears it
  EXPECT_EQ(TAVIMG_GetLastError(&text), 1);
  EXPECT_STREQ(text, "");
  TAVIMG_UnloadPicture(nullptr, record);
}

TEST_F(Errors, ExportsThatLeaveTheCodeAndExportsThatClearIt) {
  char version[255];
  ReportError(TAV_ERR_GLOBAL_LOCK, "x");
  TAVIMG_GetVersionInfo(version);
  TAVIMG_ShowErrorMessages(1);
  TAVIMG_SetBkColor(nullptr, 0, 0);
  TAVIMG_ActivateAllHotspots(1, nullptr);
  EXPECT_EQ(TAVIMG_GetLastError(nullptr), 1 - 2);
  TAVIMG_GetHotspotCount(nullptr); // fails, but clears the code on entry
  EXPECT_EQ(TAVIMG_GetLastError(nullptr), 1);
}

TEST_F(Errors, BoxesAppearOnlyWhileTheSwitchIsExactlyOne) {
  for (LONG show : {0, 2, -1}) {
    TAVIMG_ShowErrorMessages(show);
    ReportError(TAV_ERR_OPEN_CLIPBOARD, nullptr);
    EXPECT_EQ(TAVIMG_GetLastError(nullptr), 1 - 22) << show;
  }
  TAVIMG_ShowErrorMessages(2);
  FailWithTooManyWindows();
  EXPECT_TRUE(tavwin::MessageBoxLog().empty());
  TAVIMG_ShowErrorMessages(1);
  ReportError(TAV_ERR_OPEN_CLIPBOARD, nullptr);
  EXPECT_EQ(tavwin::MessageBoxLog().size(), 1u);
}

TEST_F(Errors, VersionInfoFillsTheHostsBuffer) {
  char buffer[255];
  memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(TAVIMG_GetVersionInfo(buffer), buffer);
  EXPECT_STREQ(buffer, kCaption);
  EXPECT_EQ(TAVIMG_GetVersionInfo(nullptr), nullptr);
}

TEST_F(Errors, EveryCodeHasItsTextInTheLibrarysStringTable) {
  char text[256];
  for (UINT code = 1; code <= 25; ++code)
    EXPECT_GT(LoadStringA(LibraryInstance(), code, text, sizeof text), 0) << code;
  EXPECT_EQ(LoadStringA(LibraryInstance(), 26, text, sizeof text), 0);
  ASSERT_GT(LoadStringA(LibraryInstance(), 25, text, sizeof text), 0);
  EXPECT_STREQ(text, "Unsupported TIFF stripe length ( 1 Stripe > 64k)");
}

} // namespace
