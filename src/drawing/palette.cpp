// Palette management: the record's logical palette, built either straight
// from the decoded bitmap's colour table or as a full 256-entry palette that
// keeps the 20 system colours in place; and the module-wide table of colours
// that the host sets and a full DRF palette fills.
#include "core/core.h"
#include "drawing/palette.h"

#include <string.h>

#include <algorithm>
#include <vector>

namespace {

enum {
  kTableSize = 256,
  kSystemColours = 20,
  kPictureFirst = 13, // entries 13 to 242 hold the picture's colours
  kPictureCount = 230,
  kUpperGreysFirst = 243,
  kUpperSystemFirst = 246,
  kCandidateCount = 512,
  kTiffColours = 5,
};

// Greys beside the system colours: the low three bytes of each constant,
// lowest first.
constexpr DWORD kLowerGreys = 0x00336699;
constexpr DWORD kUpperGreys = 0x00CDF5F7;

PALETTEENTRY PaletteTable[kTableSize];
LONG PaletteTableCount = 0;

// Entries are compared as whole 32-bit values, flags byte included.
DWORD ValueOf(const PALETTEENTRY& entry) {
  DWORD value;
  memcpy(&value, &entry, sizeof value);
  return value;
}
bool Same(const PALETTEENTRY& a, const PALETTEENTRY& b) {
  return ValueOf(a) == ValueOf(b);
}

PALETTEENTRY Grey(BYTE level) {
  return {level, level, level, 0};
}

// Candidate c: red 0, green c / 256, blue c % 256.
PALETTEENTRY Candidate(int c) {
  return {0, (BYTE)(c >> 8), (BYTE)(c & 0xFF), 0};
}

// Colours the record's palette is made of: the decoded bitmap's colour
// table (kind 8: DRFColorCount entries; kind 9: 5).
int PictureColourCount(const ImgStruct* record, int kind) {
  if (record->BitmapInfo == nullptr)
    return 0;
  int n = kind == TAV_PALETTE_DRF ? record->DRFColorCount : (kind == TAV_PALETTE_TIFF ? kTiffColours : 0);
  return n < 0 ? 0 : (n > kTableSize ? kTableSize : n);
}

std::vector<PALETTEENTRY> PictureColours(const ImgStruct* record, int n) {
  std::vector<PALETTEENTRY> colours((size_t)n);
  const BITMAPINFO* info = record->BitmapInfo;
  const RGBQUAD* table = (const RGBQUAD*)((const BYTE*)info + info->bmiHeader.biSize);
  for (int i = 0; i < n; ++i)
    colours[(size_t)i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
  return colours;
}

// A zero-filled LOGPALETTE of n entries in movable memory, locked.
struct LogPalette {
  explicit LogPalette(int n) {
    handle = GlobalAlloc(GHND, sizeof(WORD) * 2 + sizeof(PALETTEENTRY) * (SIZE_T)(n > 0 ? n : 1));
    palette = handle != nullptr ? (LOGPALETTE*)GlobalLock(handle) : nullptr;
    if (palette != nullptr) {
      palette->palVersion = 0x300;
      palette->palNumEntries = (WORD)n;
    }
  }
  ~LogPalette() {
    if (palette != nullptr)
      GlobalUnlock(handle);
    if (handle != nullptr)
      GlobalFree(handle);
  }
  LogPalette(const LogPalette&) = delete;
  LogPalette& operator=(const LogPalette&) = delete;
  HGLOBAL handle;
  LOGPALETTE* palette;
};

void StoreNearestWhite(BYTE* fillIndex, HPALETTE palette) {
  if (fillIndex != nullptr)
    *fillIndex = palette != nullptr ? (BYTE)GetNearestPaletteIndex(palette, 0x00FFFFFF) : 0;
}

void DeleteRecordPalettes(ImgStruct* record) {
  if (record->Palette != nullptr)
    DeleteObject(record->Palette);
  record->Palette = nullptr;
  if (record->SparePalette != nullptr)
    DeleteObject(record->SparePalette);
  record->SparePalette = nullptr;
}

// The 20 colours of the stock default palette: 0 to 9 into entries 0 to 9,
// 10 to 19 into entries 246 to 255.
void GetSystemColours(PALETTEENTRY* entries) {
  PALETTEENTRY system[kSystemColours] = {};
  HPALETTE stock = (HPALETTE)GetStockObject(DEFAULT_PALETTE);
  WORD count = 0;
  if (stock != nullptr && GetObjectA(stock, sizeof count, &count) != 0) {
    if (count > kSystemColours)
      count = kSystemColours;
    GetPaletteEntries(stock, 0, count, system);
  }
  memcpy(entries, system, sizeof(PALETTEENTRY) * 10);
  memcpy(entries + kUpperSystemFirst, system + 10, sizeof(PALETTEENTRY) * 10);
}

} // namespace

void ReduceColours(const PALETTEENTRY* source, PALETTEENTRY* target, int n, int max) {
  if (target == nullptr || max <= 0)
    return;
  std::vector<PALETTEENTRY> distinct;
  for (int i = 0; source != nullptr && i < n; ++i) {
    bool seen = false;
    for (const PALETTEENTRY& d : distinct)
      if (Same(d, source[i])) {
        seen = true;
        break;
      }
    if (!seen)
      distinct.push_back(source[i]);
  }
  const int u = (int)distinct.size();
  if (u <= max) {
    for (int i = 0; i < max; ++i)
      target[i] = i < u ? distinct[(size_t)i] : PALETTEENTRY{0, 0, 0, 0};
    return;
  }
  // Keep the first and the last colour, and sample the rest evenly.
  for (int i = 0; i < max; ++i)
    target[i] = distinct[max > 1 ? (size_t)((long long)i * (u - 1) / (max - 1)) : 0];
}

void SeparatePaletteEntries(PALETTEENTRY* entries) {
  if (entries == nullptr)
    return;
  // A candidate is taken when an entry holds it, and once it is handed out:
  // every replaced entry gets a colour of its own.
  bool taken[kCandidateCount] = {};
  for (int c = 0; c < kCandidateCount; ++c)
    for (int k = 0; k < kTableSize && !taken[c]; ++k)
      taken[c] = Same(entries[k], Candidate(c));
  int cursor = 0;
  auto replace = [&](PALETTEENTRY& entry) {
    while (cursor < kCandidateCount && taken[cursor])
      ++cursor;
    if (cursor == kCandidateCount)
      return;
    entry = Candidate(cursor);
    taken[cursor++] = true;
  };
  for (int k = kPictureFirst; k < kPictureFirst + kPictureCount; ++k) {
    for (int j = 0; j < kPictureFirst; ++j)
      if (Same(entries[k], entries[j]))
        replace(entries[k]);
    for (int j = kUpperGreysFirst; j < kTableSize; ++j)
      if (Same(entries[k], entries[j]))
        replace(entries[k]);
    for (int j = kPictureFirst; j < k; ++j)
      if (Same(entries[k], entries[j]))
        replace(entries[k]);
  }
  for (int k = 10; k < kUpperSystemFirst; ++k)
    for (int j = 0; j < k; ++j)
      if (Same(entries[k], entries[j])) {
        entries[k].peFlags = PC_RESERVED;
        break;
      }
}

void BuildFullPalette(BYTE* fillIndex, ImgStruct* record, int kind) {
  if (record == nullptr)
    return;
  DeleteRecordPalettes(record);
  const int n = PictureColourCount(record, kind);
  LogPalette log(kTableSize);
  if (log.palette == nullptr)
    return;
  PALETTEENTRY* entries = log.palette->palPalEntry;
  GetSystemColours(entries);
  for (int i = 0; i < 3; ++i) {
    entries[10 + i] = Grey((BYTE)(kLowerGreys >> (8 * i)));
    entries[kUpperGreysFirst + i] = Grey((BYTE)(kUpperGreys >> (8 * i)));
  }
  if (kind == TAV_PALETTE_TIFF) {
    const LONG count = std::min<LONG>(PaletteTableCount, kPictureCount);
    memcpy(entries + kPictureFirst, PaletteTable, sizeof(PALETTEENTRY) * (size_t)count);
  } else {
    std::vector<PALETTEENTRY> colours = n > 0 ? PictureColours(record, n) : std::vector<PALETTEENTRY>();
    ReduceColours(colours.data(), entries + kPictureFirst, n, kPictureCount);
  }
  SeparatePaletteEntries(entries);
  if (kind == TAV_PALETTE_DRF || kind == TAV_PALETTE_TIFF)
    record->Palette = CreatePalette(log.palette);
  if (kind == TAV_PALETTE_DRF) {
    memcpy(PaletteTable, entries + kPictureFirst, sizeof(PALETTEENTRY) * kPictureCount);
    PaletteTableCount = kPictureCount;
  }
  StoreNearestWhite(fillIndex, record->Palette);
}

void BuildPalette(BYTE* fillIndex, ImgStruct* record, int kind) {
  if (record == nullptr)
    return;
  DeleteRecordPalettes(record);
  if (record->PaletteSet != 0) {
    BuildFullPalette(fillIndex, record, kind);
    return;
  }
  const int n = PictureColourCount(record, kind);
  if (n == 0)
    return;
  LogPalette log(n);
  if (log.palette == nullptr)
    return;
  std::vector<PALETTEENTRY> colours = PictureColours(record, n);
  memcpy(log.palette->palPalEntry, colours.data(), sizeof(PALETTEENTRY) * (size_t)n);
  record->Palette = CreatePalette(log.palette);
  StoreNearestWhite(fillIndex, record->Palette);
}

extern "C" LONG WINAPI TAVIMG_SetPaletteEntries(ImgStruct* record, const PALETTEENTRY* entries, LONG count) {
  TAV_ENTER_EXPORT_KEEPING_LAST_ERROR();
  if (count == 0) {
    if (record != nullptr)
      record->PaletteSet = 1;
    return 0;
  }
  if (count < 0) {
    if (record != nullptr)
      record->PaletteSet = 0;
    return -1;
  }
  if (entries == nullptr)
    return 0; // nothing to store
  const LONG n = std::min<LONG>(count, kTableSize);
  memcpy(PaletteTable, entries, sizeof(PALETTEENTRY) * (size_t)n);
  PaletteTableCount = n;
  return n;
}

extern "C" LONG WINAPI TAVIMG_GetPaletteEntries(DWORD, PALETTEENTRY* entries) {
  TAV_ENTER_EXPORT_KEEPING_LAST_ERROR();
  if (PaletteTableCount >= 1 && entries != nullptr)
    memcpy(entries, PaletteTable, sizeof(PALETTEENTRY) * (size_t)PaletteTableCount);
  return PaletteTableCount;
}
