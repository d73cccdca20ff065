// 1-bit export: a window of the picture at full resolution into a DIB in the
// caller's memory.
#include "core/core.h"
#include "tiff/tiff.h"

#include <string.h>

namespace {

// Bytes before the bits: the header and two colours.
enum { kMonoBitsOffset = 48 };

void PutMonoHeader(BYTE* dib, LONG width, LONG height) {
  BITMAPINFOHEADER header;
  FillTiffBitmapHeader(&header, width, height, 1, 2);
  const RGBQUAD colours[2] = {{255, 255, 255, 0}, {0, 0, 0, 0}};
  memcpy(dib, &header, sizeof header);
  memcpy(dib + sizeof header, colours, sizeof colours);
}

} // namespace

void FillTiffBitmapHeader(BITMAPINFOHEADER* header, LONG width, LONG height, WORD bitCount, DWORD colours) {
  memset(header, 0, sizeof *header);
  header->biSize = sizeof *header;
  header->biWidth = width;
  header->biHeight = height;
  header->biPlanes = 1;
  header->biBitCount = bitCount;
  header->biCompression = BI_RGB;
  header->biClrUsed = colours;
}

void PutMonoRow(BYTE* bits, int width, const BYTE* row, ImgStruct* record) {
  if (record->TiffBandRow < 0 || record->TiffBandRow >= record->TiffBandRows)
    return;
  size_t stride = (size_t)(width + 31) / 32 * 4;
  // The stride in bits is a 16-bit signed number: from a width of 32,737 on
  // it is not positive, and the row is only counted (it stays white).
  const SHORT strideBits = (SHORT)(stride * 8);
  if (width >= 1 && strideBits >= 1) {
    BYTE* to = bits + (size_t)(record->TiffBandRows - record->TiffBandRow - 1) * stride;
    size_t bytes = (size_t)(width + 7) / 8;
    for (size_t i = 0; i < bytes; ++i)
      to[i] |= row[i];
  }
  ++record->TiffBandRow;
}

int DecodeTIFFToDIB(int x0, int x1, int y0, int y1, BYTE* dib, ImgStruct* record) {
  if (record == nullptr || dib == nullptr)
    return 0;
  // The window is taken as 16-bit numbers; an empty or reversed one gives
  // nothing.
  int width = (WORD)(x1 - x0), height = (WORD)(y1 - y0);
  if (width == 0 || height == 0 || x1 < x0 || y1 < y0 || x0 < 0 || y0 < 0)
    return 0;
  record->TiffBandRows = record->TiffBandRowsLeft = height;
  record->TiffBandRow = 0;
  PutMonoHeader(dib, width, height);
  BYTE* bits = dib + kMonoBitsOffset;

  // One row of bits stands for the counters: destination and source width
  // are the same.
  size_t rowBytes = (size_t)(width + 7) / 8;
  HGLOBAL rowHandle = GlobalAlloc(GMEM_MOVEABLE, rowBytes + 8);
  BYTE* row = rowHandle != nullptr ? (BYTE*)GlobalLock(rowHandle) : nullptr;
  if (row == nullptr) {
    if (rowHandle != nullptr)
      GlobalFree(rowHandle);
    return 0;
  }
  TiffRowReader reader;
  BeginTiffRows(reader, record, y0);
  WORD pictureWidth = (WORD)record->TIFFSize.x;
  memset(row, 0, rowBytes);
  LONG y = y0;
  for (int i = 0; i < height; ++i) {
    EnterTiffRow(reader, y);
    // The picture's last row is not written: it stays white.
    if (y + 1 >= record->TIFFSize.y)
      break;
    DecodeMHRowBits((uint32_t)x0, (uint32_t)x1, pictureWidth, reader.Strip.Data, reader.Strip.Length,
                    reader.Strip.Position, row);
    ++y;
    PutMonoRow(bits, width, row, record);
    memset(row, 0, rowBytes);
  }
  EndTiffRows(reader);
  GlobalUnlock(rowHandle);
  GlobalFree(rowHandle);
  return 1;
}

extern "C" LONG WINAPI TAVIMG_DecodeTIFF2DIB(ImgStruct* record, void* dib) {
  TAV_ENTER_EXPORT_KEEPING_LAST_ERROR();
  if (!IsSlotRecord(record))
    return 0;
  return DecodeTIFFToDIB(0, (WORD)record->TIFFSize.x, 0, (WORD)record->TIFFSize.y, (BYTE*)dib, record);
}
