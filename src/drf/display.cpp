// DRF display and DIB export: the decoded bands painted into a device
// context, or packed into one DIB. Every call decodes anew from the stripes
// and frees the bands and the bitmap header before it returns.
#include "drf/drf.h"
#include "core/core.h"

#include <string.h>

#include <algorithm>

namespace {

// Rows of band b as the decoder made them.
LONG BandRows(const ImgStruct* record, int b) {
  return b == record->BandCount - 1 ? record->LastBandRows : record->RowsPerBand;
}

int BandsInUse(const ImgStruct* record) {
  return std::max<LONG>(0, std::min<LONG>(record->BandCount, TAV_MAX_BANDS));
}

void FreeBand(ImgStruct* record, int b) {
  GlobalFree(record->BandHandles[b]);
  record->BandHandles[b] = nullptr;
  record->BandBits[b] = nullptr;
}

bool IsDrawableKind(int kind) {
  return DRFKindInfo(kind, nullptr, nullptr) != 0;
}

} // namespace

int DrawDRFPicture(HWND window, ImgStruct* record, HDC dc, const RECT* paintRect) {
  if (record == nullptr)
    return 0;
  if (paintRect != nullptr)
    FillRect(dc, paintRect, record->BkBrush);
  if (record->DRFRasterFlag == 0 || !IsDrawableKind(record->DRFColorType))
    return 0;
  if (!DecodeDRFPicture(window, record))
    return 0;

  HPALETTE previous = nullptr;
  if (record->Palette != nullptr) {
    previous = SelectPalette(dc, record->Palette, FALSE);
    RealizePalette(dc);
  }

  int result = 1;
  BITMAPINFO* info = (BITMAPINFO*)GlobalLock(record->BitmapInfoHandle);
  if (info == nullptr) {
    ReportError(TAV_ERR_GLOBAL_LOCK, record->DrfPath);
    result = 0;
  } else {
    record->BitmapInfo = info;
    const LONG xDest = record->DRFSpotOffset[0] + record->ZoomStart.x;
    const DWORD width = (DWORD)record->ScaledClientSize.x;
    int blitted = 0;
    // Bottom band first; a band that was not decoded is not drawn.
    for (int b = BandsInUse(record) - 1; b >= 0; --b) {
      const LONG rows = BandRows(record, b);
      HGLOBAL handle = record->BandHandles[b];
      if (handle == nullptr || rows <= 0)
        continue;
      info->bmiHeader.biHeight = rows;
      BYTE* bits = (BYTE*)GlobalLock(handle);
      if (bits == nullptr) {
        ReportError(TAV_ERR_GLOBAL_LOCK, record->DrfPath);
        result = 0;
        break;
      }
      record->BandBits[b] = bits;
      const LONG yDest = record->DRFSpotOffset[1] + record->ZoomStart.y + (SHORT)(b * record->RowsPerBand);
      const bool outside = paintRect != nullptr && paintRect->bottom <= yDest && paintRect->right <= xDest;
      if (!outside)
        blitted =
            SetDIBitsToDevice(dc, xDest, yDest, width, (DWORD)rows, 0, 0, 0, (UINT)rows, bits, info, DIB_RGB_COLORS);
      GlobalUnlock(handle);
      FreeBand(record, b);
      if (blitted == 0) {
        result = 0;
        break;
      }
    }
    GlobalUnlock(record->BitmapInfoHandle);
  }
  // The header, and any band an early exit left, go now.
  FreeDRFBands(record);

  if (previous != nullptr) {
    SelectPalette(dc, previous, FALSE);
    RealizePalette(dc);
  }
  return result;
}

int DRFToDIB(BYTE* buffer, ImgStruct* record) {
  if (buffer == nullptr || record == nullptr)
    return 0;
  if (!DecodeDRFPicture(nullptr, record))
    return 0;
  BITMAPINFO* info = (BITMAPINFO*)GlobalLock(record->BitmapInfoHandle);
  if (info == nullptr) {
    FreeDRFBands(record);
    return 0;
  }
  record->BitmapInfo = info;
  const DWORD width = (DWORD)record->ScaledClientSize.x;
  const DWORD height = (DWORD)record->ScaledClientSize.y;
  const DWORD bits = (DWORD)record->DRFBitCount;
  const DWORD padded = (DWORD)record->PaddedWidth;
  const size_t headerBytes = sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * (size_t)record->DRFColorCount;

  info->bmiHeader.biSizeImage = 0;
  info->bmiHeader.biHeight = (LONG)height;
  info->bmiHeader.biWidth = (LONG)padded;
  memcpy(buffer, info, headerBytes);
  GlobalUnlock(record->BitmapInfoHandle);

  // The bands, bottom band first, each row copied straight to its place in
  // the packed DIB with its padding 0; never more than the picture's rows,
  // and rows of a band that is missing stay 0.
  ((BITMAPINFOHEADER*)buffer)->biWidth = (LONG)width;
  BYTE* const pixels = buffer + headerBytes;
  const size_t sourceStride = (size_t)padded * bits / 8;
  const size_t rowBytes = ((size_t)width * bits + 7) / 8;
  const size_t stride = ((size_t)width * bits + 31) / 32 * 4;
  DWORD rowsDone = 0;
  int result = 1;
  for (int b = BandsInUse(record) - 1; b >= 0 && rowsDone < height; --b) {
    const DWORD rows = (DWORD)std::max<LONG>(0, std::min<LONG>(BandRows(record, b), (LONG)(height - rowsDone)));
    BYTE* out = pixels + rowsDone * stride;
    if (record->BandHandles[b] == nullptr) {
      memset(out, 0, rows * stride);
      rowsDone += rows;
      continue;
    }
    const BYTE* bits = (const BYTE*)GlobalLock(record->BandHandles[b]);
    if (bits == nullptr) {
      result = 0;
      break;
    }
    for (DWORD r = 0; r < rows; ++r, out += stride, bits += sourceStride) {
      memcpy(out, bits, rowBytes);
      memset(out + rowBytes, 0, stride - rowBytes);
    }
    GlobalUnlock(record->BandHandles[b]);
    FreeBand(record, b);
    rowsDone += rows;
  }
  FreeDRFBands(record);
  return result;
}

HGLOBAL CopyDRFToGlobal(ImgStruct* record) {
  if (record == nullptr)
    return nullptr;
  SHORT bits, colours;
  if (!DRFKindInfo(record->DRFColorType, &bits, &colours) || record->DRFRasterFlag == 0)
    return nullptr;
  const LONG width = record->ScaledClientSize.x, height = record->ScaledClientSize.y;
  if (width <= 0 || height <= 0)
    return nullptr;
  const SIZE_T size = (SIZE_T)DRFPaddedWidth(width) * (SIZE_T)bits / 8 * (SIZE_T)height + 4 * (SIZE_T)colours + 1040;
  HGLOBAL block = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size);
  if (block == nullptr)
    return nullptr;
  BYTE* bytes = (BYTE*)GlobalLock(block);
  if (bytes == nullptr || !DRFToDIB(bytes, record)) {
    if (bytes != nullptr)
      GlobalUnlock(block);
    GlobalFree(block);
    return nullptr;
  }
  GlobalUnlock(block);
  return block;
}

extern "C" LONG WINAPI TAVIMG_DecodeDRF2DIB(ImgStruct* record, void* buffer) {
  TAV_ENTER_EXPORT_KEEPING_LAST_ERROR();
  if (record == nullptr || buffer == nullptr)
    return 0;
  if (!record->DrfShown)
    record->DrfShown = 1;
  // The host sizes its buffer from the picture's own size; a view that has
  // put another size into ScaledClientSize (fitted, converted) must not make
  // the export write more, so the picture is exported at its own size.
  const TavPair viewSize = record->ScaledClientSize;
  record->ScaledClientSize = record->DRFSize;
  const LONG result = DRFToDIB((BYTE*)buffer, record);
  record->ScaledClientSize = viewSize;
  return result;
}
