// Compile-time checks of the record layout in the Windows builds: every field
// of ImgStruct, HotspotEntry and HotspotDataRecord at its published offset
// (32-bit build) or at the offset that follows from 8-byte pointers (64-bit
// build). Compiled into nothing; a wrong layout stops the build.
#include "layout_offsets.h"

TAV_IMGSTRUCT_LAYOUT(TAV_CHECK_FIELD_OF_IMGSTRUCT)
TAV_HOTSPOTENTRY_LAYOUT(TAV_CHECK_FIELD_OF_HOTSPOTENTRY)
TAV_HOTSPOTDATARECORD_LAYOUT(TAV_CHECK_FIELD_OF_HOTSPOTDATARECORD)
