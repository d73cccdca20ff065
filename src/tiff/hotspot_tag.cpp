// The private hotspot tag (65024): one variable-length record per hotspot,
// read into the record's hotspot table.
#include "core/numbers.h"
#include "core/states.h"
#include "tiff/tiff.h"

#include <afx.h>

#include <string.h>

namespace {

// Longest name and text the entry holds, without the terminator.
enum { kNameChars = sizeof(HotspotEntry::HotspotName) - 1, kTextChars = sizeof(HotspotEntry::HotspotText) - 1 };

double ViewFactor(LONG viewSize, LONG pictureSize) {
  return pictureSize != 0 ? (double)viewSize / pictureSize : 0.0;
}

void PlaceOnScreen(const ImgStruct* record, HotspotEntry& entry) {
  double fx = ViewFactor(record->AltSize.x, record->TIFFSize.x);
  double fy = ViewFactor(record->AltSize.y, record->TIFFSize.y);
  LONG ox = record->ZoomStart.x, oy = record->ZoomStart.y;
  if (record->PictureMode == TAV_PICTURE_FITTED) {
    ox = record->BildMitte.x;
    oy = record->BildMitte.y;
  } else if (record->PictureMode == TAV_PICTURE_DRF) {
    ox += record->DRFSpotOffset[0];
    oy += record->DRFSpotOffset[1];
  }
  const TavRect& p = entry.PictureRect;
  entry.ScreenRect.left = TruncToLong(p.left * fx + 0.5) + ox;
  entry.ScreenRect.top = TruncToLong(p.top * fy + 0.5) + oy;
  entry.ScreenRect.right = TruncToLong(p.right * fx + 0.5) + ox;
  entry.ScreenRect.bottom = TruncToLong(p.bottom * fy + 0.5) + oy;
}

// Reads a counted string of up to 255 bytes whole and keeps what fits.
void ReadCountedString(CMemFile* file, char* field, int fieldChars) {
  BYTE count = 0;
  file->Read(&count, 1);
  char bytes[256] = {};
  if (count != 0)
    file->Read(bytes, count);
  lstrcpynA(field, bytes, (count < fieldChars ? count : fieldChars) + 1);
}

} // namespace

void ReadTIFFBytes(CMemFile* file, char* string, int n) {
  if (string == nullptr || n < 1)
    return;
  size_t length = strlen(string);
  for (int i = 0; i < n; ++i) {
    char c = 0;
    if (file->Read(&c, 1) != 1)
      return;
    if (c != 0) {
      string[length++] = c;
      string[length] = 0;
    }
  }
}

void ReadTIFFHotspot(CMemFile* file, int index, BOOL littleEndian, ImgStruct* record) {
  if (index < 0 || index >= TAVIMG_MAX_HOTSPOTS)
    return;
  HotspotEntry& entry = record->Hotspots[index];
  ReadTIFFShort(littleEndian, file); // length of the rest of the record
  LONG x = ReadTIFFShort(littleEndian, file);
  LONG y = ReadTIFFShort(littleEndian, file);
  LONG width = ReadTIFFShort(littleEndian, file);
  LONG height = ReadTIFFShort(littleEndian, file);
  ReadCountedString(file, entry.HotspotName, kNameChars);
  ReadCountedString(file, entry.HotspotText, kTextChars);
  char kind[2] = "";
  ReadTIFFBytes(file, kind, 1);
  BYTE spare;
  file->Read(&spare, 1);
  entry.PictureRect = {x, y, x + width, y + height};
  entry.HotspotKind = (signed char)kind[0];
  PlaceOnScreen(record, entry);
}

void ReadTIFFHotspots(CMemFile* file, DWORD offset, BOOL littleEndian, ImgStruct* record) {
  LONG count = record->HotspotCount;
  if (count <= 0)
    return; // nothing to read; a negative count stays as the tag gave it
  if (count > TAVIMG_MAX_HOTSPOTS)
    count = TAVIMG_MAX_HOTSPOTS;
  record->HotspotCount = count;
  DWORD resume = file->GetPosition();
  try {
    file->Seek((LONG)offset, CFile::begin);
    // A record that would begin beyond the copy has nothing to be read: its
    // entry stays as the opening left it, empty.
    for (LONG i = 0; i < count && file->GetPosition() < file->GetLength(); ++i)
      ReadTIFFHotspot(file, i, littleEndian, record);
  } catch (CException* e) {
    e->Delete();
  }
  for (LONG i = 0; i < count; ++i)
    record->Hotspots[i].HotspotState = 0;
  file->Seek((LONG)resume, CFile::begin);
}
