// The record layout handed to hosts, against the published table of
// layout_offsets.h: every field at its offset and of its size in this build
// (checked when this file compiles), and the table itself packed field after
// field into the published sizes of the 32-bit build.
#include "layout_offsets.h"

#include <gtest/gtest.h>

TAV_IMGSTRUCT_LAYOUT(TAV_CHECK_FIELD_OF_IMGSTRUCT)
TAV_HOTSPOTENTRY_LAYOUT(TAV_CHECK_FIELD_OF_HOTSPOTENTRY)
TAV_HOTSPOTDATARECORD_LAYOUT(TAV_CHECK_FIELD_OF_HOTSPOTDATARECORD)

namespace {

struct Field32 {
  const char* name;
  size_t offset, pointersBefore, size, pointersInside;
};
#define FIELD32(field, offset32, pointersBefore, size32, pointersInside)                                               \
  {#field, offset32, pointersBefore, size32, pointersInside},
const Field32 kImgStruct[] = {TAV_IMGSTRUCT_LAYOUT(FIELD32)};
const Field32 kHotspotEntry[] = {TAV_HOTSPOTENTRY_LAYOUT(FIELD32)};
const Field32 kHotspotDataRecord[] = {TAV_HOTSPOTDATARECORD_LAYOUT(FIELD32)};

// Each field starts where the one before it ends, its pointers counted
// too; the last ends at size32 after pointers pointer-sized elements.
template <size_t N> void ExpectPacked(const Field32 (&fields)[N], size_t size32, size_t pointers) {
  size_t at = 0, before = 0;
  for (const Field32& f : fields) {
    EXPECT_EQ(f.offset, at) << f.name;
    EXPECT_EQ(f.pointersBefore, before) << f.name;
    at += f.size;
    before += f.pointersInside;
  }
  EXPECT_EQ(at, size32);
  EXPECT_EQ(before, pointers);
}

TEST(RecordLayout, TheTableIsPackedIntoThePublishedSizes) {
  ExpectPacked(kImgStruct, TAV_IMGSTRUCT_SIZE32, TAV_IMGSTRUCT_POINTERS);
  ExpectPacked(kHotspotEntry, TAV_HOTSPOTENTRY_SIZE, 0);
  ExpectPacked(kHotspotDataRecord, TAV_HOTSPOTDATARECORD_SIZE, 0);
  EXPECT_EQ(sizeof(ImgStruct), TavLayoutSize(55938, 57));
  EXPECT_EQ(sizeof(HotspotEntry), 91u);
  EXPECT_EQ(sizeof(HotspotDataRecord), 105u);
}

} // namespace
