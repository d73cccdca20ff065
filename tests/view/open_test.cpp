// Opening pictures into a window's record: file types, paths of one
// character, paths that do not fit, the companion TIFF of a kind-5 DRF, and
// opening again into a record that still holds a picture.
#include "core/core.h"
#include "frame_records.h"

#include "view_pictures.h"

#include <gtest/gtest.h>
#include <tavwin_test.h>

#include <string>

namespace {

class ViewOpen : public viewtest::HostedTest {
protected:
  void TearDown() override {
    TAVIMG_UnloadPicture(window, TAVIMG_GetImgStruct(window));
    HostedTest::TearDown();
  }
  ImgStruct* Open(const std::string& tiff, const std::string& drf, DWORD fileType, DWORD mode = 0) {
    return TAVIMG_OpenImage(window, 11, viewtest::RecordNotification, tiff.c_str(), drf.c_str(), mode, fileType, 22);
  }
  const HWND window = FrameFakeWindow(50); // the opening needs no window behind the handle
};

std::string Kind6Drf() {
  static const std::string path =
      viewtest::PictureDrf(drfenc::kKindColour, 64, 40, 3, {{"one", "first", 0, 1, 2, 30, 20}});
  return path;
}

std::string Kind5Drf() {
  static const std::string path = viewtest::PictureDrf(drfenc::kKindFourColourTiff, 64, 40, 4);
  return path;
}

std::string SmallTiff() {
  return viewtest::PictureTiff(64, 40);
}

TEST_F(ViewOpen, FileTypesPathsAndTheCompanionTiff) {
  // 261 characters do not fit the record's path fields: refused with the
  // open error of their format and not cut into the name of some other
  // file, or left out where the opening does not need them; 260 fit.
  const std::string tooLong = "/tmp/" + std::string(256, 'a'), longest = tooLong.substr(0, 260);
  const std::string missing = drftest::TempPath("view_missing.tif");
  struct Case {
    std::string tiff, drf;
    DWORD fileType;
    bool opens;
    UINT error;
    std::string tiffPath, drfPath; // kept in the record
    BYTE tiffReady;
  } const cases[] = {
      {SmallTiff(), Kind6Drf(), 7, false, 0, "", "", 0}, // other file types: nothing, quietly
      // A path of one character is no path: the loader gets the empty path.
      {"x", "", TAVIMG_FILE_TIFF, false, TAV_ERR_IMAGE_OPEN, "", "", 0},
      {SmallTiff(), "d", TAVIMG_FILE_TIFF, true, 0, SmallTiff(), "", 0},
      {"", "y", TAVIMG_FILE_DRF, false, TAV_ERR_DRF_OPEN, "", "", 0},
      {"", tooLong, TAVIMG_FILE_DRF, false, TAV_ERR_DRF_OPEN, "", "", 0},
      {tooLong, "", TAVIMG_FILE_TIFF, false, TAV_ERR_IMAGE_OPEN, "", "", 0},
      {"", longest, TAVIMG_FILE_DRF, false, TAV_ERR_DRF_OPEN, "", longest, 0},
      {tooLong, Kind6Drf(), TAVIMG_FILE_DRF, true, 0, "", Kind6Drf(), 0},
      // The companion of a kind-5 DRF: without it, or when it fails, the
      // DRF opens without its scaled view; other kinds never open it.
      {"", Kind5Drf(), TAVIMG_FILE_DRF, true, 0, "", Kind5Drf(), 0},
      {tooLong, Kind5Drf(), TAVIMG_FILE_DRF, true, TAV_ERR_IMAGE_OPEN, "", Kind5Drf(), 0},
      {missing, Kind5Drf(), TAVIMG_FILE_DRF, true, TAV_ERR_IMAGE_OPEN, missing, Kind5Drf(), 0},
      {SmallTiff(), Kind5Drf(), TAVIMG_FILE_DRF, true, 0, SmallTiff(), Kind5Drf(), 1},
      {SmallTiff(), Kind6Drf(), TAVIMG_FILE_DRF, true, 0, SmallTiff(), Kind6Drf(), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tiff.substr(0, 40) + " | " + c.drf.substr(0, 40) + " | " + std::to_string(c.fileType));
    ImgStruct* record = Open(c.tiff, c.drf, c.fileType);
    EXPECT_EQ(record != nullptr, c.opens);
    EXPECT_EQ(LastErrorCode(), c.error);
    EXPECT_TRUE(record == nullptr || record == TAVIMG_GetImgStruct(window));
    record = TAVIMG_GetImgStruct(window);
    ASSERT_NE(record, nullptr);
    if (c.fileType == 7)
      continue;
    EXPECT_EQ(record->TiffPath, c.tiffPath);
    EXPECT_EQ(record->DrfPath, c.drfPath);
    EXPECT_EQ(+record->TiffReady, c.tiffReady);
    EXPECT_EQ(+record->HostValue, 11u); // the host's settings, kept when the opening fails too
    EXPECT_EQ(+record->HostValue2, 22u);
    EXPECT_EQ(+record->NotifyCallback, viewtest::RecordNotification);
    if (c.fileType == TAVIMG_FILE_DRF) {
      EXPECT_EQ(record->PictureFile != nullptr, c.tiffReady == 1);
    }
  }
}

TEST_F(ViewOpen, TheBoxOfARefusedPathNamesItWhole) {
  const std::string tooLong = "/tmp/" + std::string(256, 'b');
  tavwin::ClearMessageBoxLog();
  TAVIMG_ShowErrorMessages(1);
  EXPECT_EQ(Open(tooLong, "", TAVIMG_FILE_TIFF), nullptr);
  ASSERT_EQ(tavwin::MessageBoxLog().size(), 1u);
  EXPECT_EQ(tavwin::MessageBoxLog()[0].text, "Unable to open Image\n" + tooLong);
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

  // The palette made for a picture's colours goes with the next opening.
  const long objects = tavwin::LiveGdiObjects();
  LOGPALETTE one = {0x300, 1, {{1, 2, 3, 0}}};
  record->Palette = CreatePalette(&one);
  ASSERT_NE(Open("", Kind6Drf(), TAVIMG_FILE_DRF), nullptr);
  EXPECT_EQ(tavwin::LiveGdiObjects(), objects);

  TAVIMG_UnloadPicture(window, record);
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocksBefore);
}

} // namespace
