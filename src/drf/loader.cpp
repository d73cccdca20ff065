// DRF loader: reads the header and MainPictureInfo of a DRF file into the
// picture record, keeps the compressed picture data in stripes of 65,536
// bytes and fills the hotspot table from the raster table.
#include "drf/drf.h"
#include "core/core.h"
#include "core/states.h"

#include <afx.h>

#include <string.h>

namespace {

enum : UINT { kDrfOpenFlags = CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary }; // 32,832
static_assert(kDrfOpenFlags == 32832, "DRF files are opened read only, share deny none, binary");

enum {
  kHeaderBytes = 11,
  kExtensionBytes = 50,
  kMainInfoBytes = 10,
  kCompactHeadBytes = 5,
  kFullRasterBytes = 72,
  kHalfStripe = TAV_STRIPE_BYTES / 2,
  kStripesUsable = TAV_MAX_STRIPES - 1, // the picture data fill at most 15 stripes
};

enum : BYTE { kFlagCompactRaster = 0x01, kFlagHeaderExtension = 0x10 };

inline WORD ReadU16(const BYTE* p) {
  return (WORD)(p[0] | p[1] << 8);
}
inline SHORT ReadS16(const BYTE* p) {
  return (SHORT)ReadU16(p);
}
inline DWORD ReadU32(const BYTE* p) {
  return (DWORD)p[0] | (DWORD)p[1] << 8 | (DWORD)p[2] << 16 | (DWORD)p[3] << 24;
}

// Reads exactly count bytes; false when the file holds fewer.
bool ReadExactly(CFile& file, void* buffer, UINT count) {
  return file.Read(buffer, count) == count;
}

// Seek that never throws: false when the position cannot be reached.
bool SeekTo(CFile& file, LONG offset, UINT from) {
  try {
    file.Seek(offset, from);
    return true;
  } catch (CException* e) {
    e->Delete();
    return false;
  }
}

// ScreenRect of a hotspot: its picture rectangle at the picture's place in
// the window.
void PlaceHotspot(ImgStruct* record, HotspotEntry& entry) {
  const LONG dx = record->DRFSpotOffset[0] + record->ZoomStart.x;
  const LONG dy = record->DRFSpotOffset[1] + record->ZoomStart.y;
  entry.ScreenRect.left = entry.PictureRect.left + dx;
  entry.ScreenRect.right = entry.PictureRect.right + dx;
  entry.ScreenRect.top = entry.PictureRect.top + dy;
  entry.ScreenRect.bottom = entry.PictureRect.bottom + dy;
}

// Reads one stripe of n bytes into slot index; 0 or the error code.
UINT ReadStripe(CFile& file, ImgStruct* record, int index, DWORD n) {
  HGLOBAL handle = GlobalAlloc(GHND, n);
  if (handle == nullptr)
    return TAV_ERR_DRF_PICTURE_MEMORY;
  record->DRFStripeHandles[index] = handle;
  BYTE* bytes = (BYTE*)GlobalLock(handle);
  if (bytes == nullptr)
    return TAV_ERR_DRF_STRIPE_MEMORY;
  // A full stripe is read in two halves. Like any other stripe it fails only
  // when nothing at all could be read; a short read leaves zeros behind.
  UINT got;
  if (n == TAV_STRIPE_BYTES) {
    got = file.Read(bytes, kHalfStripe);
    got += file.Read(bytes + kHalfStripe, kHalfStripe);
  } else {
    got = file.Read(bytes, (UINT)n);
  }
  GlobalUnlock(handle);
  return got == 0 ? (UINT)TAV_ERR_DRF_STRIPE_READ : 0u;
}

// Reads the picture data into stripes; 0 or the error code. On an error
// every stripe read here is freed again.
UINT ReadStripes(CFile& file, ImgStruct* record) {
  DWORD remaining = record->DRFDataSize;
  if (remaining > (DWORD)kStripesUsable * TAV_STRIPE_BYTES)
    return TAV_ERR_DRF_PICTURE_MEMORY;
  for (int i = 0; remaining > 0; ++i) {
    const DWORD n = remaining < (DWORD)TAV_STRIPE_BYTES ? remaining : (DWORD)TAV_STRIPE_BYTES;
    if (UINT code = ReadStripe(file, record, i, n)) {
      FreeDRFStripes(record);
      return code;
    }
    remaining -= n;
  }
  return 0;
}

} // namespace

void ReadDRFString(CFile& file, char* destination, int maxChars) {
  if (destination == nullptr || maxChars <= 0)
    return;
  // Writes up to maxChars characters and their terminator: the byte after a
  // field of maxChars characters must belong to the caller.
  int length = 0;
  destination[0] = 0;
  while (maxChars > 0) {
    char c;
    if (file.Read(&c, 1) != 1 || c == 0)
      return;
    destination[length++] = c;
    destination[length] = 0;
    --maxChars;
  }
}

int ReadDRFRasterTable(CFile& file, const BYTE* header, ImgStruct* record) {
  const DWORD rasterOffset = ReadU32(header + 3);
  if (rasterOffset == 0)
    return 1;
  const LONG declared = ReadS16(header + 7);
  const bool compact = (header[1] & kFlagCompactRaster) != 0;
  const char* path = record->DrfPath;
  const bool positioned = rasterOffset <= 0x7FFFFFFFu && SeekTo(file, (LONG)rasterOffset, CFile::begin);

  LONG count = declared;
  if (compact) {
    BYTE head[kCompactHeadBytes];
    if (!positioned || !ReadExactly(file, head, sizeof head)) {
      ReportError(TAV_ERR_DRF_COMP_RASTER_HEAD, path);
      return 0;
    }
    const SHORT width = ReadS16(head), height = ReadS16(head + 2);
    for (LONG i = 0; i < declared; ++i) {
      // The shared kind comes first, so an entry whose corner cannot be read
      // keeps it; the 601st entry has no place to take it.
      if (i < TAVIMG_MAX_HOTSPOTS)
        record->Hotspots[i].HotspotKind = (signed char)head[4];
      BYTE corner[4];
      if (!ReadExactly(file, corner, sizeof corner)) {
        ReportError(TAV_ERR_DRF_COMP_RASTER, path);
        return 0;
      }
      if (i == TAVIMG_MAX_HOTSPOTS) {
        ReportError(TAV_ERR_DRF_RASTER_LIMIT, path);
        count = TAVIMG_MAX_HOTSPOTS;
        break;
      }
      HotspotEntry& entry = record->Hotspots[i];
      const LONG x = ReadS16(corner), y = ReadS16(corner + 2);
      entry.PictureRect = {x, y, x + width, y + height};
      PlaceHotspot(record, entry);
      ReadDRFString(file, entry.HotspotName, sizeof entry.HotspotName);
      ReadDRFString(file, entry.HotspotText, sizeof entry.HotspotText);
    }
  } else {
    for (LONG i = 0; i < declared; ++i) {
      BYTE raster[kFullRasterBytes];
      if (!positioned || !ReadExactly(file, raster, sizeof raster)) {
        ReportError(TAV_ERR_DRF_RASTER, path);
        return 0;
      }
      if (i == TAVIMG_MAX_HOTSPOTS) {
        ReportError(TAV_ERR_DRF_RASTER_LIMIT, path);
        count = TAVIMG_MAX_HOTSPOTS;
        break;
      }
      HotspotEntry& entry = record->Hotspots[i];
      // Both fields are 0-terminated within the record; a field without its
      // terminator is cut to fit.
      lstrcpynA(entry.HotspotName, (const char*)raster, sizeof entry.HotspotName);
      lstrcpynA(entry.HotspotText, (const char*)raster + 40, sizeof entry.HotspotText);
      entry.HotspotKind |= (signed char)((raster[67] & 1) << 2 | (raster[65] & 1) << 1 | (raster[66] & 1));
      entry.PictureRect = {ReadS16(raster + 32), ReadS16(raster + 34), ReadS16(raster + 36), ReadS16(raster + 38)};
      PlaceHotspot(record, entry);
    }
  }
  record->HotspotCount = count; // a negative count means none
  for (LONG i = 0; i < record->HotspotCount; ++i)
    record->Hotspots[i].HotspotState = 0;
  return 1;
}

int LoadDRFPicture(ImgStruct* record) {
  if (record == nullptr)
    return 0;
  const char* path = record->DrfPath;
  CFile file;
  if (!file.Open(path, kDrfOpenFlags)) {
    ReportError(TAV_ERR_DRF_OPEN, path);
    return 0;
  }

  BYTE header[kHeaderBytes];
  if (!ReadExactly(file, header, sizeof header)) {
    ReportError(TAV_ERR_DRF_HEADER, path);
    return 0;
  }
  BYTE info[kMainInfoBytes];
  if (((header[1] & kFlagHeaderExtension) && !SeekTo(file, kExtensionBytes, CFile::current)) ||
      !ReadExactly(file, info, sizeof info)) {
    ReportError(TAV_ERR_DRF_MAIN_INFO, path);
    return 0;
  }

  // The record now describes this file: stripes of a picture loaded before
  // go first, so that a reload never leaks them or mixes them with the new
  // picture's size.
  FreeDRFStripes(record);
  const SHORT width = ReadS16(info + 1), height = ReadS16(info + 3);
  record->DRFRasterFlag = (signed char)info[0];
  record->ScaledClientSize = {width, height};
  record->DRFSize = {width, height};
  record->DRFDataSize = ReadU32(info + 5);
  record->DRFColorType = (signed char)info[9];

  const DWORD mode = record->DisplayMode;
  if (mode != TAV_DISPLAY_FITTED && mode != TAV_DISPLAY_FIT_WIDTH) {
    if (record->AltSize.x != 0 && mode != TAV_DISPLAY_DRF_IN_WINDOW) {
      const double dx = record->AltSize.x * 0.5 - width * 0.5;
      const double dy = record->AltSize.y * 0.5 - height * 0.5;
      record->CentringOffset.x += (SHORT)(LONG)dx;
      record->CentringOffset.y += (SHORT)(LONG)dy;
    }
    if (UINT code = ReadStripes(file, record)) {
      ReportError(code, path);
      return 0;
    }
  }

  // An error inside the raster table is reported there; the picture itself
  // is loaded.
  ReadDRFRasterTable(file, header, record);
  return 1;
}
