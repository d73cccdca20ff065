// The published layout of the picture record and the hotspot records: every
// field's offset and size with 4-byte pointers (the 32-bit Windows build),
// and how many pointer-sized elements (pointers, handles) come before it and
// are inside it. With pointers of P bytes a field sits at
//   offset32 + pointersBefore * (P - 4)
// and is size32 + pointersInside * (P - 4) bytes long, so the same table
// checks the 32-bit and the 64-bit builds. The numbers are written out from
// the field widths, not taken from the compiler.
//
// Use: TAV_IMGSTRUCT_LAYOUT(X) calls X(field, offset32, pointersBefore,
// size32, pointersInside) for each field in order, three fields a line;
// TAV_CHECK_FIELD_OF_* below turn it into compile-time checks.
#ifndef TAV_TESTS_SUPPORT_LAYOUT_OFFSETS_H
#define TAV_TESTS_SUPPORT_LAYOUT_OFFSETS_H

#include <tavoimg/tavoimg.h>

#include <stddef.h>

// clang-format off
#define TAV_IMGSTRUCT_LAYOUT(X) \
  X(PictureFile, 0, 0, 4, 1) X(DrfPath, 4, 1, 261, 0) X(TiffPath, 265, 1, 261, 0) \
  X(SparePalette, 526, 1, 4, 1) X(TiffStripOffsets, 530, 2, 4, 1) X(TiffStripCount, 534, 3, 4, 0) \
  X(MinHScrollRange, 538, 3, 4, 0) X(TiffRowsPerStrip, 542, 3, 2, 0) X(TiffCompression, 544, 3, 4, 0) \
  X(TiffStripByteCounts, 548, 3, 4, 1) X(TIFFSize, 552, 4, 8, 0) X(RowsPerBand, 560, 4, 4, 0) \
  X(LastBandRows, 564, 4, 4, 0) X(BandCount, 568, 4, 4, 0) X(PaddedWidth, 572, 4, 4, 0) \
  X(Palette, 576, 4, 4, 1) X(DRFColorType, 580, 5, 2, 0) X(DRFStripeHandles, 582, 5, 64, 16) \
  X(BandHandles, 646, 21, 64, 16) X(BandBits, 710, 37, 64, 16) X(DRFDataSize, 774, 53, 4, 0) \
  X(DRFSize, 778, 53, 8, 0) X(DRFRasterFlag, 786, 53, 4, 0) X(TiffBandRow, 790, 53, 4, 0) \
  X(TiffBandRows, 794, 53, 4, 0) X(TiffBandRowsLeft, 798, 53, 4, 0) X(InPaint, 802, 53, 4, 0) \
  X(TiffStripOffsetsCount, 806, 53, 4, 0) X(HostValue, 810, 53, 4, 0) X(NotifyCallback, 814, 53, 4, 1) \
  X(DrfShown, 818, 54, 1, 0) X(ZoomedShown, 819, 54, 1, 0) X(TiffShown, 820, 54, 1, 0) \
  X(BkRgb, 821, 54, 6, 0) X(BkBrush, 827, 54, 4, 1) X(BitmapInfoHandle, 831, 55, 4, 1) \
  X(DRFColorCount, 835, 56, 2, 0) X(DRFBitCount, 837, 56, 2, 0) X(BkValue, 839, 56, 4, 0) \
  X(BitmapInfo, 843, 56, 4, 1) X(HotspotMode, 847, 57, 4, 0) X(HotspotModeValue2, 851, 57, 4, 0) \
  X(HotspotModeValue3, 855, 57, 4, 0) X(HotspotPenWidth, 859, 57, 4, 0) X(HoverHotspot, 863, 57, 4, 0) \
  X(Reserved1, 867, 57, 32, 0) X(HotspotCount, 899, 57, 4, 0) X(DRFSpotOffset, 903, 57, 4, 0) \
  X(SelectedHotspot, 907, 57, 4, 0) X(CurrentHotspot, 911, 57, 4, 0) X(SelectedHotspotName, 915, 57, 32, 0) \
  X(CurrentHotspotName, 947, 57, 32, 0) X(Hotspots, 979, 57, 54691, 0) X(DisplayMode, 55670, 57, 4, 0) \
  X(HostValue2, 55674, 57, 4, 0) X(PictureMode, 55678, 57, 2, 0) X(FitMode, 55680, 57, 2, 0) \
  X(FitSize, 55682, 57, 16, 0) X(ScaledClientSize, 55698, 57, 8, 0) X(AltSize, 55706, 57, 8, 0) \
  X(ClientSize, 55714, 57, 8, 0) X(DrawSize, 55722, 57, 8, 0) X(WindowOrigin, 55730, 57, 8, 0) \
  X(BildMitte, 55738, 57, 8, 0) X(CentringOffset, 55746, 57, 8, 0) X(ZoomRect, 55754, 57, 16, 0) \
  X(BildFactor, 55770, 57, 16, 0) X(ScrollPos, 55786, 57, 8, 0) X(ScrollRange, 55794, 57, 8, 0) \
  X(ScrollPage, 55802, 57, 8, 0) X(Zoomed, 55810, 57, 1, 0) X(Painted, 55811, 57, 1, 0) \
  X(InZoomAction, 55812, 57, 1, 0) X(TiffReady, 55813, 57, 1, 0) X(ZoomStart, 55814, 57, 8, 0) \
  X(ZoomFactor, 55822, 57, 16, 0) X(ZoomedSize, 55838, 57, 8, 0) X(PrevScrollPage, 55846, 57, 8, 0) \
  X(ZoomOrigin, 55854, 57, 16, 0) X(PrevClientSize, 55870, 57, 16, 0) X(SavedClientSize, 55886, 57, 16, 0) \
  X(ZoomedSizeFactor, 55902, 57, 16, 0) X(PaletteSet, 55918, 57, 4, 0) X(Reserved2, 55922, 57, 16, 0)

#define TAV_HOTSPOTENTRY_LAYOUT(X) \
  X(ScreenRect, 0, 0, 16, 0)   X(HotspotName, 16, 0, 32, 0) X(HotspotText, 48, 0, 25, 0) \
  X(HotspotState, 73, 0, 1, 0) X(HotspotKind, 74, 0, 1, 0)  X(PictureRect, 75, 0, 16, 0)

#define TAV_HOTSPOTDATARECORD_LAYOUT(X) \
  X(Number, 0, 0, 4, 0)  X(ScreenRect, 4, 0, 16, 0) X(PictureRect, 20, 0, 16, 0) X(Name, 36, 0, 34, 0) \
  X(Text, 70, 0, 27, 0)  X(State, 97, 0, 4, 0)      X(Kind, 101, 0, 4, 0)
// clang-format on

// Compile-time checks of every field of one structure:
//   TAV_IMGSTRUCT_LAYOUT(TAV_CHECK_FIELD_OF_IMGSTRUCT)
#define TAV_CHECK_FIELD(type, field, offset32, pointersBefore, size32, pointersInside)                                 \
  static_assert(offsetof(type, field) == offset32 + pointersBefore * (sizeof(void*) - 4), #type "." #field " offset"); \
  static_assert(sizeof(((type*)nullptr)->field) == size32 + pointersInside * (sizeof(void*) - 4),                      \
                #type "." #field " size");
#define TAV_CHECK_FIELD_OF_IMGSTRUCT(...) TAV_CHECK_FIELD(ImgStruct, __VA_ARGS__)
#define TAV_CHECK_FIELD_OF_HOTSPOTENTRY(...) TAV_CHECK_FIELD(HotspotEntry, __VA_ARGS__)
#define TAV_CHECK_FIELD_OF_HOTSPOTDATARECORD(...) TAV_CHECK_FIELD(HotspotDataRecord, __VA_ARGS__)

#endif
