// Clipboard copy: a DRF picture as a packed DIB (CF_DIB), a TIFF picture, or
// the section of it that a zoom shows, as a monochrome bitmap (CF_BITMAP).
#include "core/core.h"
#include "core/states.h"
#include "output/output.h"
#include "drf/drf.h"
#include "tiff/tiff.h"

#include <string.h>

namespace {

enum : UINT { kDibHeaderBytes = 48 }; // BITMAPINFOHEADER and two colours

// A section of the picture given as [from, to): a nonzero 16-bit extent
// from 0 on. What lies beyond the picture's right or bottom edge is copied
// white.
bool SectionFits(int from, int to) {
  return from >= 0 && to > from && to - from <= 0xFFFF;
}

// The monochrome bitmap's rows, top-down and padded to 16 bits, from the
// bottom-up 1-bit DIB rows, inverted: a black DIB pixel is a 0-bit.
void CopyRowsInverted(const BYTE* dibBits, UINT dibRowBytes, BYTE* bits, UINT rowBytes, UINT height) {
  for (UINT r = 0; r < height; r++) {
    const BYTE* from = dibBits + (size_t)r * dibRowBytes;
    BYTE* to = bits + (size_t)(height - 1 - r) * rowBytes;
    for (UINT i = 0; i < rowBytes; i++)
      to[i] = (BYTE)~from[i];
  }
}

void FreeBlock(HGLOBAL block) {
  if (block == nullptr)
    return;
  GlobalUnlock(block);
  GlobalFree(block);
}

struct ClipboardObject {
  UINT format;
  HANDLE handle;
};

void ReleaseObject(const ClipboardObject& object) {
  if (object.format == CF_DIB)
    GlobalFree((HGLOBAL)object.handle);
  else
    DeleteObject((HGDIOBJ)object.handle);
}

ClipboardObject MakeClipboardObject(ImgStruct* record) {
  if (record->DrfShown != 0)
    return {CF_DIB, CopyDRFToGlobal(record)};
  HBITMAP bitmap;
  if (record->Zoomed != TAV_ZOOM_NONE) {
    WORD x0 = (WORD)record->ScrollPos.x, y0 = (WORD)record->ScrollPos.y;
    bitmap = TiffToBitmap(x0, (WORD)(x0 + record->ScrollPage.x), y0, (WORD)(y0 + record->ScrollPage.y), record);
  } else {
    bitmap = TiffToBitmap(0, record->TIFFSize.x, 0, record->TIFFSize.y, record);
  }
  return {CF_BITMAP, bitmap};
}

} // namespace

HBITMAP TiffToBitmap(int x0, int x1, int y0, int y1, ImgStruct* record) {
  if (record == nullptr || !SectionFits(x0, x1) || !SectionFits(y0, y1))
    return nullptr;
  const UINT width = (UINT)(x1 - x0), height = (UINT)(y1 - y0);
  const UINT dibRowBytes = ((width + 31) / 8) & ~3u;
  const UINT rowBytes = (width + 15) / 16 * 2;
  const SIZE_T dibBytes = (SIZE_T)dibRowBytes * height;
  const SIZE_T bitmapBytes = (SIZE_T)rowBytes * height;

  HGLOBAL dibBlock = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, dibBytes + kDibHeaderBytes);
  BYTE* dib = dibBlock != nullptr ? (BYTE*)GlobalLock(dibBlock) : nullptr;
  if (dib == nullptr || DecodeTIFFToDIB(x0, x1, y0, y1, dib, record) == 0) {
    if (dibBlock != nullptr)
      GlobalFree(dibBlock);
    return nullptr;
  }
  BITMAPINFOHEADER header;
  memcpy(&header, dib, sizeof header);
  if (header.biWidth != (LONG)width || header.biHeight != (LONG)height || header.biBitCount != 1 ||
      header.biPlanes != 1) {
    FreeBlock(dibBlock);
    return nullptr;
  }

  HGLOBAL bitsBlock = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bitmapBytes);
  BYTE* bits = bitsBlock != nullptr ? (BYTE*)GlobalLock(bitsBlock) : nullptr;
  if (bits == nullptr) {
    if (bitsBlock != nullptr)
      GlobalFree(bitsBlock);
    FreeBlock(dibBlock);
    return nullptr;
  }

  BITMAP description;
  description.bmType = 0;
  description.bmWidth = header.biWidth;
  description.bmHeight = header.biHeight;
  description.bmWidthBytes = (LONG)rowBytes;
  description.bmPlanes = header.biPlanes;
  description.bmBitsPixel = header.biBitCount;
  description.bmBits = bits;
  CopyRowsInverted(dib + kDibHeaderBytes, dibRowBytes, bits, rowBytes, height);

  HBITMAP bitmap = CreateBitmapIndirect(&description);
  FreeBlock(bitsBlock);
  FreeBlock(dibBlock);
  return bitmap;
}

extern "C" DWORD WINAPI TAVIMG_CopyToClipboard(ImgStruct* record) {
  TAV_ENTER_EXPORT();
  if (!IsSlotRecord(record))
    return 0;

  ClipboardObject object = MakeClipboardObject(record);
  if (object.handle == nullptr) {
    ReportError(TAV_ERR_CLIPBOARD_DATA, nullptr);
    return 0;
  }
  if (!OpenClipboard(nullptr)) {
    ReportError(TAV_ERR_OPEN_CLIPBOARD, nullptr);
    ReleaseObject(object);
    return 0;
  }
  if (!EmptyClipboard()) {
    ReportError(TAV_ERR_EMPTY_CLIPBOARD, nullptr);
    CloseClipboard();
    ReleaseObject(object);
    return 0;
  }
  if (SetClipboardData(object.format, object.handle) == nullptr) {
    ReportError(TAV_ERR_SET_CLIPBOARD_DATA, nullptr);
    CloseClipboard();
    ReleaseObject(object);
    return 0;
  }
  CloseClipboard();
  return 1;
}
