// 1-bit export: a window of the picture at full resolution into a DIB in the
// caller's memory.
#include "frame/frame.h"
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

// Eight counters as the bits of one DIB byte, the leftmost in bit 7.
BYTE MonoByte(const WORD* counts, int pixels) {
  BYTE byte = 0;
  for (int k = 0; k < pixels; ++k)
    byte |= BYTE((counts[k] != 0) << (7 - k));
  return byte;
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

void PutMonoRow(BYTE* bits, int width, const WORD* counts, ImgStruct* record) {
  if (record->TiffBandRow < 0 || record->TiffBandRow >= record->TiffBandRows)
    return;
  int strideBits = (width + 31) / 32 * 32;
  if (strideBits >= 1) {
    BYTE* row = bits + (size_t)(record->TiffBandRows - record->TiffBandRow - 1) * (size_t)(strideBits / 8);
    int whole = width / 8;
    for (int i = 0; i < whole; ++i) {
      const WORD* c = counts + 8 * i;
      uint64_t left, right;
      memcpy(&left, c, 8);
      memcpy(&right, c + 4, 8);
      if ((left | right) != 0)
        row[i] |= MonoByte(c, 8);
    }
    if (width % 8 != 0)
      row[whole] |= MonoByte(counts + 8 * whole, width % 8);
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

  HGLOBAL countsHandle = GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)width * 2 + 10);
  WORD* counts = countsHandle != nullptr ? (WORD*)GlobalLock(countsHandle) : nullptr;
  if (counts == nullptr) {
    if (countsHandle != nullptr)
      GlobalFree(countsHandle);
    return 0;
  }
  TiffRowReader reader;
  BeginTiffRows(reader, record, y0);
  WORD pictureWidth = (WORD)record->TIFFSize.x;
  memset(counts, 0, (size_t)width * 2);
  LONG row = y0;
  for (int i = 0; i < height; ++i) {
    EnterTiffRow(reader, row);
    DecodeMHRow((uint32_t)x0, (uint32_t)x1, pictureWidth, reader.Strip.Data, reader.Strip.Length, reader.Strip.Position,
                counts, (WORD)width, (WORD)width);
    // The picture's last row is decoded but not written: it stays white.
    if (++row >= record->TIFFSize.y)
      break;
    PutMonoRow(bits, width, counts, record);
    memset(counts, 0, (size_t)width * 2);
  }
  EndTiffRows(reader);
  GlobalUnlock(countsHandle);
  GlobalFree(countsHandle);
  return 1;
}

extern "C" LONG WINAPI TAVIMG_DecodeTIFF2DIB(ImgStruct* record, void* dib) {
  TAV_ENTER_EXPORT();
  if (record == nullptr)
    return 0;
  return DecodeTIFFToDIB(0, (WORD)record->TIFFSize.x, 0, (WORD)record->TIFFSize.y, (BYTE*)dib, record);
}
