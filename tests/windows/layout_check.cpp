// Compile-time checks of the record layout in the Windows builds: every field
// of ImgStruct, HotspotEntry and HotspotDataRecord at its published offset
// (32-bit build) or at the offset that follows from 8-byte pointers (64-bit
// build). Compiled into nothing; a wrong layout stops the build.
#include "layout_offsets.h"

TAV_IMGSTRUCT_LAYOUT(TAV_CHECK_FIELD_OF_IMGSTRUCT)
TAV_HOTSPOTENTRY_LAYOUT(TAV_CHECK_FIELD_OF_HOTSPOTENTRY)
TAV_HOTSPOTDATARECORD_LAYOUT(TAV_CHECK_FIELD_OF_HOTSPOTDATARECORD)

static_assert(sizeof(ImgStruct) == TavLayoutSize(TAV_IMGSTRUCT_SIZE32, TAV_IMGSTRUCT_POINTERS), "ImgStruct size");
static_assert(sizeof(HotspotEntry) == TAV_HOTSPOTENTRY_SIZE, "HotspotEntry size");
static_assert(sizeof(HotspotDataRecord) == TAV_HOTSPOTDATARECORD_SIZE, "HotspotDataRecord size");

#if defined(_WIN32) && !defined(_WIN64)
// The 32-bit build is the one whose layout hosts rely on.
static_assert(sizeof(void*) == 4, "4-byte pointers");
static_assert(sizeof(ImgStruct) == 55938, "ImgStruct is 55,938 bytes");
static_assert(sizeof(HotspotEntry) == 91, "HotspotEntry is 91 bytes");
static_assert(sizeof(HotspotDataRecord) == 105, "HotspotDataRecord is 105 bytes");
#endif
