// The record layout handed to hosts, against the published table of
// layout_offsets.h: every field at its offset and of its size in this build
// (checked when this file compiles).
#include "layout_offsets.h"

TAV_IMGSTRUCT_LAYOUT(TAV_CHECK_FIELD_OF_IMGSTRUCT)
TAV_HOTSPOTENTRY_LAYOUT(TAV_CHECK_FIELD_OF_HOTSPOTENTRY)
TAV_HOTSPOTDATARECORD_LAYOUT(TAV_CHECK_FIELD_OF_HOTSPOTDATARECORD)
