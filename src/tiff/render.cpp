// Reduced rendering: a window of the picture drawn at any size in five
// levels (background, three greys, black), band by band as 4-bit DIBs.
#include "drawing/palette.h"
#include "core/states.h"
#include "tiff/tiff.h"

#include <string.h>

#include <algorithm>

namespace {

enum {
  kBandBytes = 65536,
  kLevelCount = 5,
  kTopLevel = kLevelCount - 1,
  // The widest destination one 4-bit row of which fits the band buffer,
  // and the tallest the band counters are meant for (16-bit heights).
  kMaxDestWidth = kBandBytes * 2,
  kMaxDestHeight = 32767,
};

int PaddedWidth(int destWidth) {
  return (destWidth + 7) / 8 * 8;
}

} // namespace

// Rows of a full band: about 64000 pixels a band, and never so many that the
// band leaves the buffer or so few that it is empty.
int TiffBandHeight(int destWidth) {
  if (destWidth < 1)
    return 1;
  int rows = (int)(64000.0 / destWidth + 0.5);
  int fit = kBandBytes / (PaddedWidth(destWidth) / 2);
  if (rows > fit)
    rows = fit;
  return rows < 1 ? 1 : rows;
}

namespace {

void ReleaseBitmapInfo(ImgStruct* record) {
  if (record->BitmapInfoHandle != nullptr) {
    if (record->BitmapInfo != nullptr)
      GlobalUnlock(record->BitmapInfoHandle);
    GlobalFree(record->BitmapInfoHandle);
  }
  record->BitmapInfoHandle = nullptr;
  record->BitmapInfo = nullptr;
}

// The drawing's BITMAPINFO: header and the five level colours, locked into
// BitmapInfo. Replaces the one of an earlier drawing.
bool MakeBitmapInfo(ImgStruct* record, int destWidth, int destHeight) {
  ReleaseBitmapInfo(record);
  HGLOBAL handle = GlobalAlloc(GMEM_FIXED, sizeof(BITMAPINFOHEADER) + kLevelCount * sizeof(RGBQUAD));
  if (handle == nullptr)
    return false;
  BYTE* block = (BYTE*)GlobalLock(handle);
  if (block == nullptr) {
    GlobalFree(handle);
    return false;
  }
  record->BitmapInfoHandle = handle;
  record->BitmapInfo = (BITMAPINFO*)block;
  BITMAPINFOHEADER header;
  FillTiffBitmapHeader(&header, destWidth, destHeight, 4, kLevelCount);
  RGBQUAD colours[kLevelCount];
  colours[0] = {BYTE(record->BkRgb[2]), BYTE(record->BkRgb[1]), BYTE(record->BkRgb[0]), 0};
  for (int level = 1; level < kLevelCount; ++level) {
    BYTE grey = BYTE(255 - 51 * (level + 1));
    colours[level] = {grey, grey, grey, 0};
  }
  memcpy(block, &header, sizeof header);
  memcpy(block + sizeof header, colours, sizeof colours);
  return true;
}

// floor(4 * black / pixels), pixels being the source pixels behind one
// destination pixel, at most 4. The quotient is a product with a 32.32
// fixed-point reciprocal of pixels, rounded up: exact while black * pixels
// stays below 2^32 (the error, under black / 2^32, is then less than the
// 1 / pixels by which a quotient can fall short of the next integer), which
// holds for up to 65535 pixels.
class Level {
public:
  explicit Level(uint64_t pixels) : scale_(((uint64_t(4) << 32) - 1) / pixels + 1) {}
  BYTE operator()(uint32_t black) const {
    uint64_t level = (black * scale_) >> 32;
    return BYTE(level < 4 ? level : 4);
  }

private:
  uint64_t scale_;
};

// Two levels a byte, the even column in the high nibble: level(c) is asked
// for the columns in order.
template <class LevelOf> inline void PackLevels(BYTE* row, int destWidth, LevelOf level) {
  int c = 0;
  for (; c + 1 < destWidth; c += 2) {
    BYTE high = level(c);
    row[c / 2] = BYTE(high << 4 | level(c + 1));
  }
  if (c < destWidth)
    row[c / 2] = BYTE(level(c) << 4);
}

// The level of every destination column of one row, into the band row.
void PackRowLevels(BYTE* row, int destWidth, const WORD* counts, int sourceWidth, int rows) {
  if (destWidth == sourceWidth) {
    PackLevels(row, destWidth, [&](int c) { return BYTE(counts[c] != 0 ? kTopLevel : 0); });
  } else if (destWidth < sourceWidth) {
    // Destination column c covers source columns ceil(c * sw / dw) up to
    // ceil((c + 1) * sw / dw), q or q + 1 of them.
    uint32_t q = sourceWidth / destWidth, m = sourceWidth % destWidth;
    const Level level(uint64_t(q) * rows), moreLevel(uint64_t(q + 1) * rows);
    uint32_t excess = 0; // ceil(c * sw / dw) * dw - c * sw
    PackLevels(row, destWidth, [&](int c) {
      bool more = excess < m;
      excess = more ? excess + destWidth - m : excess - m;
      return more ? moreLevel(counts[c]) : level(counts[c]);
    });
  } else {
    // Enlargement: the counters are the source columns themselves; each
    // destination column shows the one it falls on.
    const Level levelOf(rows);
    uint32_t k = 0, r = 0;
    PackLevels(row, destWidth, [&](int) {
      BYTE level = levelOf(counts[k]);
      r += sourceWidth;
      if (r >= (uint32_t)destWidth) {
        r -= destWidth;
        ++k;
      }
      return level;
    });
  }
}

// The next band row has been filled: output a full band, then start the
// next one. After the last band TiffBandRows is 0.
void AdvanceBand(HDC dc, BYTE* band, int destWidth, int destRow, ImgStruct* record) {
  if (record->TiffBandRow == record->TiffBandRows - 1) {
    int x = record->ZoomStart.x + record->BildMitte.x;
    int y = record->ZoomStart.y + record->BildMitte.y - record->TiffBandRows + destRow + 1;
    SetDIBitsToDevice(dc, x, y, destWidth, record->TiffBandRows, 0, 0, 0, record->TiffBandRows, band,
                      record->BitmapInfo, DIB_RGB_COLORS);
  }
  if (++record->TiffBandRow == record->TiffBandRows) {
    record->TiffBandRowsLeft -= record->TiffBandRows;
    if (record->TiffBandRowsLeft <= record->TiffBandRows)
      record->TiffBandRows = record->TiffBandRowsLeft - 1;
    record->TiffBandRow = 0;
  }
}

bool BandRowFits(int destWidth, int sourceWidth, int rows, const ImgStruct* record) {
  return record->TiffBandRow >= 0 && record->TiffBandRow < record->TiffBandRows && destWidth >= 1 &&
         destWidth <= kMaxDestWidth && sourceWidth >= 1 && rows >= 1;
}

// Rows of the source window that lie beyond the picture's data are white;
// the drawing moves over them without walking them one by one.
bool OnlyWhiteRowsLeft(const TiffRowReader& reader) {
  return uint64_t(reader.Strip.Position) + 4 >= reader.Strip.Length &&
         uint64_t(reader.NextStripRow) / reader.RowsPerStrip >= reader.Tables.OffsetCount;
}

struct Drawing {
  HDC dc;
  ImgStruct* record;
  BYTE* band;
  WORD* counts; // the counters' block (CountersBlockBytes)
  int destWidth, destHeight;
  int xStart, xEnd, sourceWidth, firstRow, sourceHeight;
  // Destination rows inside the fill rectangle; the device clips the others
  // away, so their source rows are only skipped and their band rows left as
  // they are.
  int64_t visibleTop, visibleBottom;
};

// The destination rows that fall inside the fill rectangle (all of them
// without one): none when the rectangle misses the destination's columns.
void FindVisibleRows(Drawing& d, const RECT* fillRect) {
  d.visibleTop = 0;
  d.visibleBottom = d.destHeight;
  if (fillRect == nullptr)
    return;
  int64_t x = (int64_t)d.record->ZoomStart.x + d.record->BildMitte.x;
  int64_t y = (int64_t)d.record->ZoomStart.y + d.record->BildMitte.y;
  if (fillRect->right <= x || fillRect->left >= x + d.destWidth) {
    d.visibleBottom = 0;
    return;
  }
  d.visibleTop = std::max<int64_t>(0, fillRect->top - y);
  d.visibleBottom = std::min<int64_t>(d.destHeight, fillRect->bottom - y);
}

// One block holds the counters (with the 10 bytes of slack every row of
// counters has), the cells of the runs, the first column of each counter
// and the entry of each window column.
SIZE_T CountersBlockBytes(int counters, int sourceWidth) {
  return (SIZE_T)counters * 2 + 10 + ((SIZE_T)counters + 1) * (sizeof(TiffRunCell) + 2) +
         (SIZE_T)sourceWidth * sizeof(TiffRunColumn);
}

struct RunsLayout {
  TiffColumnRuns runs;
  const WORD* firstColumn;
};

RunsLayout LayOutRuns(WORD* block, int counters, int sourceWidth) {
  auto* cells = (TiffRunCell*)(block + counters + 5);
  WORD* firstColumn = (WORD*)(cells + counters + 1);
  auto* columns = (TiffRunColumn*)(firstColumn + counters + 1);
  // Window column k falls into counter floor(k * counters / sourceWidth);
  // counter c begins at ceil(c * sourceWidth / counters).
  for (int c = 0; c <= counters; ++c)
    firstColumn[c] = WORD(((uint64_t)c * sourceWidth + counters - 1) / counters);
  for (int c = 0; c < counters; ++c)
    for (int k = firstColumn[c]; k < firstColumn[c + 1]; ++k)
      columns[k] = {WORD(c), WORD(firstColumn[c + 1] - k), WORD(k - firstColumn[c] + 1)};
  memset(cells, 0, ((size_t)counters + 1) * sizeof(TiffRunCell));
  return {{cells, columns}, firstColumn};
}

// The counts of a destination row: each counter's pixels of the runs that
// start or end in it, plus its columns for every run that covered it
// whole. Clears the cells for the next destination row.
void CountRuns(const RunsLayout& layout, WORD* counts, int counters) {
  TiffRunCell* cells = layout.runs.Cells;
  WORD covering = 0;
  for (int c = 0; c < counters; ++c) {
    covering = WORD(covering + cells[c].Covered);
    counts[c] = WORD(cells[c].Count + (layout.firstColumn[c + 1] - layout.firstColumn[c]) * covering);
    cells[c] = {0, 0};
  }
  cells[counters] = {0, 0};
}

void DrawRows(const Drawing& d) {
  ImgStruct* record = d.record;
  // With more columns than counters, one counter gathers the black pixels of
  // up to perCounter columns from each row; rows past what a 16-bit counter
  // holds are decoded but not counted.
  int counters = d.destWidth < d.sourceWidth ? d.destWidth : d.sourceWidth;
  int perCounter = (d.sourceWidth + counters - 1) / counters;
  int maxRows = 65535 / perCounter;
  WORD pictureWidth = (WORD)record->TIFFSize.x;
  TiffRowReader reader;
  BeginTiffRows(reader, record, d.firstRow);
  RunsLayout layout = LayOutRuns(d.counts, counters, d.sourceWidth);
  int64_t acc = 0, last = 0;
  int accumulated = 0;
  for (int64_t row = d.firstRow;;) {
    EnterTiffRow(reader, (LONG)row);
    // A reduction counts each source row into destination row last, an
    // enlargement into the rows up to the one it completes.
    bool counted = std::max(last + 1, (acc + d.destHeight) / d.sourceHeight) > d.visibleTop;
    if (OnlyWhiteRowsLeft(reader)) {
      // Rows up to the one that completes destination row last.
      int64_t need = ((last + 1) * d.sourceHeight - acc + d.destHeight - 1) / d.destHeight;
      if (row + need >= record->TIFFSize.y)
        break;
      row += need - 1;
      acc += (need - 1) * d.destHeight;
      accumulated = (int)(accumulated + need - 1 < maxRows ? accumulated + need - 1 : maxRows);
    } else if (accumulated < maxRows && counted) {
      DecodeMHRowRuns((uint32_t)d.xStart, (uint32_t)d.xEnd, pictureWidth, reader.Strip.Data, reader.Strip.Length,
                      reader.Strip.Position, layout.runs, (WORD)d.sourceWidth);
    } else {
      SkipMHRow(pictureWidth, reader.Strip.Data, reader.Strip.Length, reader.Strip.Position);
    }
    // The picture's last row is decoded but never output.
    if (++row >= record->TIFFSize.y)
      break;
    acc += d.destHeight;
    if (accumulated < maxRows)
      ++accumulated;
    int64_t out = acc / d.sourceHeight;
    if (out > last) {
      if (out > d.visibleTop)
        CountRuns(layout, d.counts, counters);
      for (; last < out && last < d.destHeight; ++last) {
        if (out > d.visibleTop)
          PutBandRow(d.dc, d.band, d.destWidth, d.counts, d.sourceWidth, (int)last, accumulated, record);
        else if (BandRowFits(d.destWidth, d.sourceWidth, accumulated, record))
          AdvanceBand(d.dc, d.band, d.destWidth, (int)last, record);
      }
      accumulated = 0;
    }
    // Done once the band that holds the last visible row has been output.
    if (last >= d.destHeight || (last >= d.visibleBottom && record->TiffBandRow == 0))
      break;
  }
  EndTiffRows(reader);
}

void* AllocLocked(SIZE_T bytes, UINT flags, HGLOBAL* handle) {
  *handle = GlobalAlloc(flags, bytes);
  if (*handle == nullptr)
    return nullptr;
  void* p = GlobalLock(*handle);
  if (p == nullptr) {
    GlobalFree(*handle);
    *handle = nullptr;
  }
  return p;
}

void FreeLocked(HGLOBAL handle) {
  if (handle == nullptr)
    return;
  GlobalUnlock(handle);
  GlobalFree(handle);
}

} // namespace

void PutBandRow(HDC dc, BYTE* band, int destWidth, const WORD* counts, int sourceWidth, int destRow, int rows,
                ImgStruct* record) {
  if (!BandRowFits(destWidth, sourceWidth, rows, record))
    return;
  size_t stride = (size_t)PaddedWidth(destWidth) / 2;
  BYTE* row = band + (size_t)(record->TiffBandRows - record->TiffBandRow - 1) * stride;
  PackRowLevels(row, destWidth, counts, sourceWidth, rows);
  AdvanceBand(dc, band, destWidth, destRow, record);
}

void DrawTIFF(int insetX, int insetY, int srcX0, int srcX1, int srcY0, int srcY1, int destWidth, int destHeight,
              ImgStruct* record, HDC dc, const RECT* fillRect) {
  if (record == nullptr || destWidth < 1 || destHeight < 1)
    return;
  Drawing d = {};
  d.dc = dc;
  d.record = record;
  d.destWidth = destWidth;
  d.destHeight = destHeight;
  d.xStart = srcX0 + insetX;
  d.xEnd = srcX1 - insetX;
  d.sourceWidth = d.xEnd - d.xStart;
  d.firstRow = srcY0 + insetY;
  d.sourceHeight = srcY1 - insetY - d.firstRow;

  int bandRows = TiffBandHeight(destWidth);
  record->TiffBandRow = 0;
  record->TiffBandRowsLeft = destHeight;
  record->TiffBandRows = destHeight <= bandRows ? destHeight - 1 : bandRows;

  HPALETTE oldPalette = nullptr;
  if (MakeBitmapInfo(record, destWidth, destHeight)) {
    if (record->Palette == nullptr)
      BuildPalette(nullptr, record, TAV_PALETTE_TIFF);
    if (record->Palette != nullptr) {
      oldPalette = SelectPalette(dc, record->Palette, FALSE);
      RealizePalette(dc);
    }
  }
  if (fillRect != nullptr && record->BkBrush != nullptr)
    FillRect(dc, fillRect, record->BkBrush);

  // A source window that is empty or outside the 16-bit columns of a row,
  // or a destination too wide for one band row or taller than 16-bit
  // heights, is only cleared.
  bool drawable = record->BitmapInfo != nullptr && d.sourceWidth >= 1 && d.sourceHeight >= 1 && d.xStart >= 0 &&
                  d.xEnd <= 0xFFFF && d.firstRow >= 0 && destWidth <= kMaxDestWidth && destHeight <= kMaxDestHeight;
  HGLOBAL bandHandle = nullptr, countsHandle = nullptr;
  if (drawable) {
    int counters = destWidth < d.sourceWidth ? destWidth : d.sourceWidth;
    d.band = (BYTE*)AllocLocked(kBandBytes, GMEM_MOVEABLE | GMEM_ZEROINIT, &bandHandle);
    d.counts = (WORD*)AllocLocked(CountersBlockBytes(counters, d.sourceWidth), GMEM_MOVEABLE, &countsHandle);
  }
  FindVisibleRows(d, fillRect);
  if (d.band != nullptr && d.counts != nullptr) {
    if (record->PictureMode != TAV_PICTURE_FITTED)
      SetBkMode(dc, TRANSPARENT);
    if (d.visibleTop < d.visibleBottom)
      DrawRows(d);
  }
  FreeLocked(countsHandle);
  FreeLocked(bandHandle);
  if (oldPalette != nullptr) {
    SelectPalette(dc, oldPalette, FALSE);
    RealizePalette(dc);
  }
  ReleaseBitmapInfo(record);
}
