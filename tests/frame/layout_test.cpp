// The record layout handed to hosts: every field at the offset that the
// widths of the fields before it give, for this build's pointer size. The
// widths are written as the 32-bit layout has them, with the number of
// pointer-sized elements each field holds, so the same table also yields
// the 32-bit record of 55,938 bytes.
#include <tavoimg/tavoimg.h>

#include <gtest/gtest.h>

#include <stddef.h>

#include <string>
#include <vector>

namespace {

struct Field {
  const char* name;
  size_t offset; // offsetof in this build
  size_t size;   // sizeof in this build
  size_t width32;
  size_t pointers; // pointer-sized elements inside the field
};

#define FIELD(type, name, width32, pointers)                                                                           \
  { #name, offsetof(type, name), sizeof(((type*)nullptr)->name), width32, pointers }

// clang-format off
const std::vector<Field> kImgStruct = {
    FIELD(ImgStruct, PictureFile, 4, 1),         FIELD(ImgStruct, DrfPath, 261, 0),
    FIELD(ImgStruct, TiffPath, 261, 0),          FIELD(ImgStruct, SparePalette, 4, 1),
    FIELD(ImgStruct, TiffStripOffsets, 4, 1),    FIELD(ImgStruct, TiffStripCount, 4, 0),
    FIELD(ImgStruct, MinHScrollRange, 4, 0),     FIELD(ImgStruct, TiffRowsPerStrip, 2, 0),
    FIELD(ImgStruct, TiffCompression, 4, 0),     FIELD(ImgStruct, TiffStripByteCounts, 4, 1),
    FIELD(ImgStruct, TIFFSize, 8, 0),            FIELD(ImgStruct, RowsPerBand, 4, 0),
    FIELD(ImgStruct, LastBandRows, 4, 0),        FIELD(ImgStruct, BandCount, 4, 0),
    FIELD(ImgStruct, PaddedWidth, 4, 0),         FIELD(ImgStruct, Palette, 4, 1),
    FIELD(ImgStruct, DRFColorType, 2, 0),        FIELD(ImgStruct, DRFStripeHandles, 64, 16),
    FIELD(ImgStruct, BandHandles, 64, 16),       FIELD(ImgStruct, BandBits, 64, 16),
    FIELD(ImgStruct, DRFDataSize, 4, 0),         FIELD(ImgStruct, DRFSize, 8, 0),
    FIELD(ImgStruct, DRFRasterFlag, 4, 0),       FIELD(ImgStruct, TiffBandRow, 4, 0),
    FIELD(ImgStruct, TiffBandRows, 4, 0),        FIELD(ImgStruct, TiffBandRowsLeft, 4, 0),
    FIELD(ImgStruct, InPaint, 4, 0),             FIELD(ImgStruct, TiffStripOffsetsCount, 4, 0),
    FIELD(ImgStruct, HostValue, 4, 0),           FIELD(ImgStruct, NotifyCallback, 4, 1),
    FIELD(ImgStruct, DrfShown, 1, 0),            FIELD(ImgStruct, ZoomedShown, 1, 0),
    FIELD(ImgStruct, TiffShown, 1, 0),           FIELD(ImgStruct, BkRgb, 6, 0),
    FIELD(ImgStruct, BkBrush, 4, 1),             FIELD(ImgStruct, BitmapInfoHandle, 4, 1),
    FIELD(ImgStruct, DRFColorCount, 2, 0),       FIELD(ImgStruct, DRFBitCount, 2, 0),
    FIELD(ImgStruct, BkValue, 4, 0),             FIELD(ImgStruct, BitmapInfo, 4, 1),
    FIELD(ImgStruct, HotspotMode, 4, 0),         FIELD(ImgStruct, HotspotModeValue2, 4, 0),
    FIELD(ImgStruct, HotspotModeValue3, 4, 0),   FIELD(ImgStruct, HotspotPenWidth, 4, 0),
    FIELD(ImgStruct, HoverHotspot, 4, 0),        FIELD(ImgStruct, Reserved1, 32, 0),
    FIELD(ImgStruct, HotspotCount, 4, 0),        FIELD(ImgStruct, DRFSpotOffset, 4, 0),
    FIELD(ImgStruct, SelectedHotspot, 4, 0),     FIELD(ImgStruct, CurrentHotspot, 4, 0),
    FIELD(ImgStruct, SelectedHotspotName, 32, 0), FIELD(ImgStruct, CurrentHotspotName, 32, 0),
    FIELD(ImgStruct, Hotspots, 601 * 91, 0),     FIELD(ImgStruct, DisplayMode, 4, 0),
    FIELD(ImgStruct, HostValue2, 4, 0),          FIELD(ImgStruct, PictureMode, 2, 0),
    FIELD(ImgStruct, FitMode, 2, 0),             FIELD(ImgStruct, FitSize, 16, 0),
    FIELD(ImgStruct, ScaledClientSize, 8, 0),    FIELD(ImgStruct, AltSize, 8, 0),
    FIELD(ImgStruct, ClientSize, 8, 0),          FIELD(ImgStruct, DrawSize, 8, 0),
    FIELD(ImgStruct, WindowOrigin, 8, 0),        FIELD(ImgStruct, BildMitte, 8, 0),
    FIELD(ImgStruct, CentringOffset, 8, 0),      FIELD(ImgStruct, ZoomRect, 16, 0),
    FIELD(ImgStruct, BildFactor, 16, 0),         FIELD(ImgStruct, ScrollPos, 8, 0),
    FIELD(ImgStruct, ScrollRange, 8, 0),         FIELD(ImgStruct, ScrollPage, 8, 0),
    FIELD(ImgStruct, Zoomed, 1, 0),              FIELD(ImgStruct, Painted, 1, 0),
    FIELD(ImgStruct, InZoomAction, 1, 0),        FIELD(ImgStruct, TiffReady, 1, 0),
    FIELD(ImgStruct, ZoomStart, 8, 0),           FIELD(ImgStruct, ZoomFactor, 16, 0),
    FIELD(ImgStruct, ZoomedSize, 8, 0),          FIELD(ImgStruct, PrevScrollPage, 8, 0),
    FIELD(ImgStruct, ZoomOrigin, 16, 0),         FIELD(ImgStruct, PrevClientSize, 16, 0),
    FIELD(ImgStruct, SavedClientSize, 16, 0),    FIELD(ImgStruct, ZoomedSizeFactor, 16, 0),
    FIELD(ImgStruct, PaletteSet, 4, 0),          FIELD(ImgStruct, Reserved2, 16, 0),
};

const std::vector<Field> kHotspotEntry = {
    FIELD(HotspotEntry, ScreenRect, 16, 0),  FIELD(HotspotEntry, HotspotName, 32, 0),
    FIELD(HotspotEntry, HotspotText, 25, 0), FIELD(HotspotEntry, HotspotState, 1, 0),
    FIELD(HotspotEntry, HotspotKind, 1, 0),  FIELD(HotspotEntry, PictureRect, 16, 0),
};

const std::vector<Field> kHotspotDataRecord = {
    FIELD(HotspotDataRecord, Number, 4, 0),      FIELD(HotspotDataRecord, ScreenRect, 16, 0),
    FIELD(HotspotDataRecord, PictureRect, 16, 0), FIELD(HotspotDataRecord, Name, 34, 0),
    FIELD(HotspotDataRecord, Text, 27, 0),       FIELD(HotspotDataRecord, State, 4, 0),
    FIELD(HotspotDataRecord, Kind, 4, 0),
};
// clang-format on

// Walks the fields in order, as a packed structure lays them out for
// pointers of pointerSize bytes; returns the end of the last field.
size_t CheckPacked(const std::vector<Field>& fields, size_t pointerSize, bool compareWithBuild) {
  size_t at = 0;
  for (const Field& f : fields) {
    size_t width = f.width32 + f.pointers * (pointerSize - 4);
    if (compareWithBuild) {
      EXPECT_EQ(f.offset, at) << f.name;
      EXPECT_EQ(f.size, width) << f.name;
    }
    at += width;
  }
  return at;
}

TEST(RecordLayout, EveryFieldFollowsTheWidthsBeforeIt) {
  EXPECT_EQ(CheckPacked(kImgStruct, sizeof(void*), true), sizeof(ImgStruct));
  EXPECT_EQ(CheckPacked(kHotspotEntry, sizeof(void*), true), sizeof(HotspotEntry));
  EXPECT_EQ(CheckPacked(kHotspotDataRecord, sizeof(void*), true), sizeof(HotspotDataRecord));
}

TEST(RecordLayout, WithFourBytePointersTheRecordHasItsPublishedSize) {
  EXPECT_EQ(CheckPacked(kImgStruct, 4, false), 55938u);
  EXPECT_EQ(CheckPacked(kHotspotEntry, 4, false), 91u);
  EXPECT_EQ(CheckPacked(kHotspotDataRecord, 4, false), 105u);
  size_t pointers = 0;
  for (const Field& f : kImgStruct)
    pointers += f.pointers;
  EXPECT_EQ(sizeof(ImgStruct), 55938u + pointers * (sizeof(void*) - 4));
}

TEST(RecordLayout, SomeFieldsAtTheirPublishedThirtyTwoBitOffsets) {
  // A few anchors written out, so that a wrong width in the table above
  // cannot hide behind a matching wrong field in the header.
  auto offset32 = [](const char* name) {
    size_t at = 0;
    for (const Field& f : kImgStruct) {
      if (std::string(f.name) == name)
        return at;
      at += f.width32;
    }
    return (size_t)-1;
  };
  EXPECT_EQ(offset32("TiffPath"), 265u);
  EXPECT_EQ(offset32("BkBrush"), 827u);
  EXPECT_EQ(offset32("HotspotCount"), 899u);
  EXPECT_EQ(offset32("Hotspots"), 979u);
  EXPECT_EQ(offset32("DisplayMode"), 55670u);
  EXPECT_EQ(offset32("Reserved2"), 55922u);
}

} // namespace
