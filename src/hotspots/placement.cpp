// Placing the hotspots on the screen: each entry's PictureRect, in picture
// pixels of the DRF or TIFF picture, scaled into the view and moved to where
// the picture is drawn, gives its ScreenRect.
#include "core/numbers.h"
#include "core/states.h"
#include "hotspots/hotspots.h"

DWORD PlaceHotspots(double fx, double fy, ImgStruct* record) {
  if (record == nullptr || record->HotspotCount <= 0)
    return 0;

  LONG ox, oy;
  if (record->PictureMode == TAV_PICTURE_FITTED) {
    ox = record->BildMitte.x;
    oy = record->BildMitte.y;
  } else {
    ox = record->ZoomStart.x;
    oy = record->ZoomStart.y;
    if (record->PictureMode == TAV_PICTURE_DRF) {
      ox += record->DRFSpotOffset[0];
      oy += record->DRFSpotOffset[1];
    }
  }

  // Base scale: the picture's zoom-1 pixels per hotspot unit. DRF hotspot
  // coordinates are taken to the scale of the TIFF picture first.
  double bx = 1.0, by = 1.0;
  const TavPair& picture = record->TIFFSize;
  if (record->TiffShown && picture.x > 0 && picture.y > 0) {
    bx = static_cast<double>(record->ScaledClientSize.x) / picture.x;
    by = static_cast<double>(record->ScaledClientSize.y) / picture.y;
    if (record->DRFSize.x != 0 || record->DRFSize.y != 0) {
      bx *= Quotient(picture.x, record->DRFSize.x);
      by *= Quotient(picture.y, record->DRFSize.y);
    }
  }

  const double sx = bx * fx;
  const double sy = by * fy;
  const int count = UsableHotspotCount(record);
  for (int i = 0; i < count; ++i) {
    HotspotEntry& entry = record->Hotspots[i];
    const TavRect& p = entry.PictureRect;
    entry.ScreenRect.left = ClampToLong(static_cast<long long>(NearToLong(p.left * sx)) + ox);
    entry.ScreenRect.top = ClampToLong(static_cast<long long>(NearToLong(p.top * sy)) + oy);
    entry.ScreenRect.right = ClampToLong(static_cast<long long>(NearToLong(p.right * sx)) + ox);
    entry.ScreenRect.bottom = ClampToLong(static_cast<long long>(NearToLong(p.bottom * sy)) + oy);
  }
  return 1;
}

void PlaceHotspotsInTiffPixels(ImgStruct* record) {
  record->ZoomStart = TavPair{0, 0};
  record->ScaledClientSize = record->TIFFSize;
  record->PictureMode = TAV_PICTURE_DRF;
  record->TiffShown = 1;
  PlaceHotspots(1.0, 1.0, record);
}
