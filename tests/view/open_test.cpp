// Opening pictures into a window's record: file types, paths of one
// character, paths that do not fit, the companion TIFF of a kind-5 DRF, and
// opening again into a record that still holds a picture.
#include "frame/frame.h"

#include "drf_files.h"
#include "view_host.h"

#include <gtest/gtest.h>
#include <tavwin_test.h>

#include <string.h>

#include <string>

namespace {

// A handle that only names a slot; the opening needs no window behind it.
HWND SlotWindow() {
  static uintptr_t next = 0x7C000000;
  next += 0x10;
  return reinterpret_cast<HWND>(next);
}

class ViewOpen : public ::testing::Test {
protected:
  void SetUp() override { TAVIMG_ShowErrorMessages(0); }
  void TearDown() override {
    TAVIMG_UnloadPicture(window, TAVIMG_GetImgStruct(window));
    TAVIMG_ShowErrorMessages(1);
  }
  ImgStruct* Open(const std::string& tiff, const std::string& drf, DWORD fileType, DWORD mode = 0) {
    return TAVIMG_OpenImage(window, 11, viewtest::RecordNotification, tiff.c_str(), drf.c_str(), mode, fileType, 22);
  }
  HWND window = SlotWindow();
};

std::string Kind6Drf() {
  static std::string path = [] {
    drfenc::DrfPicture picture = drftest::RandomPicture(drfenc::kKindColour, 64, 40, 3);
    picture.hotspots = {{"one", "first", 0, 1, 2, 30, 20}};
    return drftest::WritePicture("view_open6.drf", picture);
  }();
  return path;
}

std::string Kind5Drf() {
  static std::string path =
      drftest::WritePicture("view_open5.drf", drftest::RandomPicture(drfenc::kKindFourColourTiff, 64, 40, 4));
  return path;
}

std::string SmallTiff() {
  static std::string path = viewtest::WriteTiff("view_open.tif", 64, 40, std::vector<uint8_t>(64 * 40, 0));
  return path;
}

TEST_F(ViewOpen, KeepsTheHostsSettingsAndPaths) {
  ImgStruct* record = Open(SmallTiff(), "d", TAVIMG_FILE_TIFF, 1);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record, TAVIMG_GetImgStruct(window));
  EXPECT_EQ(+record->HostValue, 11u);
  EXPECT_EQ(+record->HostValue2, 22u);
  EXPECT_EQ(+record->DisplayMode, 1u);
  EXPECT_EQ(+record->NotifyCallback, viewtest::RecordNotification);
  EXPECT_STREQ(record->TiffPath, SmallTiff().c_str());
  EXPECT_STREQ(record->DrfPath, ""); // one character counts as none
  EXPECT_EQ(+record->TIFFSize.x, 64);
  EXPECT_EQ(+record->TIFFSize.y, 40);
  EXPECT_EQ(LastErrorCode(), 0u);
}

TEST_F(ViewOpen, RefusalsOfTheFileTypeAndOfPathsOfOneCharacter) {
  // Other file types open nothing and report nothing.
  EXPECT_EQ(Open(SmallTiff(), Kind6Drf(), 7), nullptr);
  EXPECT_EQ(LastErrorCode(), 0u);

  // A TIFF path of one character is no path: the TIFF loader gets the empty
  // path and fails to open it.
  EXPECT_EQ(Open("x", "", TAVIMG_FILE_TIFF), nullptr);
  EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_IMAGE_OPEN);
  ImgStruct* record = TAVIMG_GetImgStruct(window);
  ASSERT_NE(record, nullptr);
  EXPECT_STREQ(record->TiffPath, "");
  EXPECT_EQ(+record->HostValue, 11u); // the failed opening's settings stay

  EXPECT_EQ(Open("", "y", TAVIMG_FILE_DRF), nullptr);
  EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_DRF_OPEN);
}

TEST_F(ViewOpen, PathsThatDoNotFitAreRefusedWithTheOpenErrorOfTheirFormat) {
  // 261 characters do not fit the record's path fields; the path is not cut
  // into the name of some other file.
  const std::string tooLong = "/tmp/" + std::string(256, 'a');
  ASSERT_EQ(tooLong.size(), 261u);
  EXPECT_EQ(Open("", tooLong, TAVIMG_FILE_DRF), nullptr);
  EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_DRF_OPEN);
  EXPECT_STREQ(TAVIMG_GetImgStruct(window)->DrfPath, "");

  // The box names the whole path that was refused.
  tavwin::ClearMessageBoxLog();
  TAVIMG_ShowErrorMessages(1);
  EXPECT_EQ(Open(tooLong, "", TAVIMG_FILE_TIFF), nullptr);
  TAVIMG_ShowErrorMessages(0);
  EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_IMAGE_OPEN);
  EXPECT_STREQ(TAVIMG_GetImgStruct(window)->TiffPath, "");
  ASSERT_EQ(tavwin::MessageBoxLog().size(), 1u);
  EXPECT_EQ(tavwin::MessageBoxLog()[0].text, "Unable to open Image\n" + tooLong);

  // A too long path that the opening does not need is only left out.
  EXPECT_NE(Open(tooLong, Kind6Drf(), TAVIMG_FILE_DRF), nullptr);
  EXPECT_EQ(LastErrorCode(), 0u);

  // The companion of a kind-5 DRF: the DRF opens without its scaled view.
  ImgStruct* record = Open(tooLong, Kind5Drf(), TAVIMG_FILE_DRF);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(+record->TiffReady, 0);
  EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_IMAGE_OPEN);

  // 260 characters fit and are kept whole.
  const std::string longest = tooLong.substr(0, 260);
  EXPECT_EQ(Open("", longest, TAVIMG_FILE_DRF), nullptr); // no such file
  EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_DRF_OPEN);
  EXPECT_STREQ(TAVIMG_GetImgStruct(window)->DrfPath, longest.c_str());
}

TEST_F(ViewOpen, CompanionTiffOfAKind5Drf) {
  ImgStruct* record = Open("", Kind5Drf(), TAVIMG_FILE_DRF);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(+record->TiffReady, 0);
  EXPECT_EQ(LastErrorCode(), 0u);

  record = Open(viewtest::TempPath("view_missing.tif"), Kind5Drf(), TAVIMG_FILE_DRF);
  ASSERT_NE(record, nullptr); // a failing companion does not fail the opening
  EXPECT_EQ(+record->TiffReady, 0);
  EXPECT_EQ(LastErrorCode(), (UINT)TAV_ERR_IMAGE_OPEN);

  record = Open(SmallTiff(), Kind5Drf(), TAVIMG_FILE_DRF);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(+record->TiffReady, 1);
  EXPECT_NE(+record->PictureFile, nullptr);
  EXPECT_EQ(+record->TIFFSize.x, 64);

  // Other kinds never open the TIFF.
  record = Open(SmallTiff(), Kind6Drf(), TAVIMG_FILE_DRF);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(+record->PictureFile, nullptr);
  EXPECT_EQ(+record->TiffReady, 0);
}

TEST_F(ViewOpen, OpeningAgainReleasesWhatTheRecordHeld) {
  const long blocksBefore = tavwin::LiveGlobalBlocks();
  ASSERT_NE(Open(SmallTiff(), Kind5Drf(), TAVIMG_FILE_DRF), nullptr);
  const long blocksOpen = tavwin::LiveGlobalBlocks();
  EXPECT_GT(blocksOpen, blocksBefore);

  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(Open(SmallTiff(), Kind5Drf(), TAVIMG_FILE_DRF), nullptr);
    EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocksOpen);
  }
  ImgStruct* record = Open(SmallTiff(), "", TAVIMG_FILE_TIFF);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(+record->DRFStripeHandles[0], nullptr);
  ASSERT_NE(Open("", Kind6Drf(), TAVIMG_FILE_DRF), nullptr);
  EXPECT_EQ(+record->PictureFile, nullptr);
  EXPECT_EQ(+record->TiffStripOffsets, nullptr);

  TAVIMG_UnloadPicture(window, record);
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocksBefore);
}

} // namespace
