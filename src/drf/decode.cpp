// DRF raster decoding: the bitmap header and colour table of each kind, the
// record's palette, the bands, and the row decoders of kinds 5, 6 and 7.
//
// The compressed rows are read in place from the stripes. Every read stays
// below DRFDataSize and inside the stripes the loader filled; every write
// stays inside the row being decoded.
#include "drf/drf.h"
#include "core/core.h"
#include "drawing/palette.h"
#include "tiff/tiff.h"

#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <new>
#include <type_traits>

#if defined(__SSE2__)
#  include <emmintrin.h>
#endif

namespace {

enum { kColourBlockBytes = 722, kKind6Colours = 240 };

// The picture data as one byte stream over the locked stripes.
class PictureData {
public:
  explicit PictureData(ImgStruct* record) : record_(record) {}
  ~PictureData() {
    for (int i = 0; i < locked_; ++i)
      GlobalUnlock(record_->DRFStripeHandles[i]);
  }
  PictureData(const PictureData&) = delete;
  PictureData& operator=(const PictureData&) = delete;

  // Locks the stripes that hold data; false when one cannot be locked. The
  // readable length is DRFDataSize, cut where the stripes end.
  bool Lock() {
    limit_ = record_->DRFDataSize;
    for (int i = 0; i < TAV_MAX_STRIPES; ++i) {
      const DWORD start = (DWORD)i * TAV_STRIPE_BYTES;
      if (start >= limit_)
        break;
      HGLOBAL handle = record_->DRFStripeHandles[i];
      if (handle == nullptr) {
        limit_ = start;
        break;
      }
      stripes_[i] = (const BYTE*)GlobalLock(handle);
      if (stripes_[i] == nullptr)
        return false;
      locked_ = i + 1;
      const DWORD held = (DWORD)std::min<SIZE_T>(GlobalSize(handle), TAV_STRIPE_BYTES);
      if (held < TAV_STRIPE_BYTES && start + held < limit_) {
        limit_ = start + held;
        break;
      }
    }
    if (limit_ > (DWORD)TAV_MAX_STRIPES * TAV_STRIPE_BYTES)
      limit_ = (DWORD)TAV_MAX_STRIPES * TAV_STRIPE_BYTES;
    return true;
  }

  DWORD Limit() const { return limit_; }
  const BYTE* Stripe(int i) const { return stripes_[i]; }
  BYTE At(DWORD pos) const { return stripes_[pos / TAV_STRIPE_BYTES][pos % TAV_STRIPE_BYTES]; } // pos < Limit()

private:
  ImgStruct* record_;
  const BYTE* stripes_[TAV_MAX_STRIPES] = {};
  int locked_ = 0;
  DWORD limit_ = 0;
};

// A read position in the picture data. [cur, end) is the contiguous part
// from the position to the end of its stripe (or of the data).
class DataCursor {
public:
  explicit DataCursor(const PictureData& data) : data_(data) {}

  void Seek(DWORD pos) {
    if (pos >= data_.Limit()) {
      chunk_ = cur = end = nullptr;
      chunkPos_ = pos;
      return;
    }
    const DWORD index = pos / TAV_STRIPE_BYTES;
    chunkPos_ = index * TAV_STRIPE_BYTES;
    chunk_ = data_.Stripe((int)index);
    cur = chunk_ + (pos - chunkPos_);
    end = chunk_ + std::min<DWORD>(TAV_STRIPE_BYTES, data_.Limit() - chunkPos_);
  }

  // True when a byte can be taken at the position.
  bool More() {
    if (cur < end)
      return true;
    const DWORD pos = Position();
    if (pos >= data_.Limit())
      return false;
    Seek(pos);
    return true;
  }
  BYTE Take() { return *cur++; } // only after More()
  DWORD Position() const { return chunkPos_ + (DWORD)(cur - chunk_); }
  const PictureData& Data() const { return data_; }

  // Reads a big-endian row length; false when the data end first.
  bool TakeLength(DWORD* length) {
    if (!More())
      return false;
    const DWORD high = Take();
    if (!More())
      return false;
    *length = high << 8 | Take();
    return true;
  }

  // The contiguous bytes from the position on.
  const BYTE* cur = nullptr;
  const BYTE* end = nullptr;

private:
  const PictureData& data_;
  const BYTE* chunk_ = nullptr;
  DWORD chunkPos_ = 0;
};

// Width and padded width of the rows being decoded.
struct RowShape {
  DWORD width;
  DWORD padded;
};

// Blocks of sixteen bytes of one value from out on: one vector store each
// (two 8-byte stores without SSE2).
template <int Blocks> inline void StoreBlocks16(BYTE* out, BYTE value) {
#if defined(__SSE2__)
  const __m128i v = _mm_set1_epi8((char)value);
  for (int k = 0; k < Blocks; ++k)
    _mm_storeu_si128((__m128i*)(out + 16 * k), v);
#else
  const uint64_t v = value * 0x0101010101010101ull;
  for (int k = 0; k < 2 * Blocks; ++k)
    memcpy(out + 8 * k, &v, 8);
#endif
}

// Whether the eight bytes at p repeat their first `unit` bytes (1 or 2),
// read as two 32-bit halves (no 64-bit arithmetic on 32-bit processors).
inline bool RepeatsEight(const BYTE* p, uint32_t unit) {
  uint32_t low, high;
  memcpy(&low, p, 4);
  memcpy(&high, p + 4, 4);
  const uint32_t first = unit == 1 ? (low & 0xFF) * 0x01010101u : (low & 0xFFFF) * 0x00010001u;
  return low == high && low == first;
}

// ---- Kind 6: 8 bits per pixel, 240 colours.

// Eight pixel codes are taken as machine words: one on 64-bit processors,
// two on 32-bit ones.
using CodeWord = std::conditional_t<sizeof(void*) >= 8, uint64_t, uint32_t>;
constexpr CodeWord kEveryByte = CodeWord(~CodeWord(0)) / 255; // 0x01 in every byte
constexpr int kCodeWords = 8 / sizeof(CodeWord);

// True when one of the word's bytes is below 16: a run code among them.
inline bool HasRunCode(CodeWord bytes) {
  const CodeWord high = bytes & (kEveryByte * 0xF0);
  return ((high - kEveryByte) & ~high & (kEveryByte * 0x80)) != 0;
}

void DecodeRowKind6(DataCursor& in, DWORD length, BYTE* row, const RowShape& shape, BYTE fill) {
  // Codes are read while two bytes of the record remain unread: the last
  // byte never begins a code. A record of length 0 holds no codes.
  DWORD left = length > 0 ? length - 1 : 0;
  DWORD x = 0;
  const DWORD padded = shape.padded;
  while (left > 2 && in.More()) {
    // Inside the stripe, far from the record's and the row's ends: eight
    // pixel codes at once, and runs stored sixteen pixels wide (what lies
    // past a run is written again by the next code or by the fill).
    const BYTE* p = in.cur;
    const BYTE* const end = in.end;
    while (end - p >= 16 && left >= 18 && x + 16 <= padded) {
      CodeWord v[kCodeWords];
      memcpy(v, p, 8);
      bool runCode = false;
      for (int k = 0; k < kCodeWords; ++k)
        runCode |= HasRunCode(v[k]);
      if (p[0] == 15 && x + 64 <= padded && RepeatsEight(p, 2)) {
        // Four runs of fifteen pixels of one colour.
        StoreBlocks16<4>(row + x, (BYTE)(p[1] - 16));
        p += 8, x += 60, left -= 8;
      } else if (!runCode) {
        for (int k = 0; k < kCodeWords; ++k)
          v[k] -= kEveryByte * 16;
        memcpy(row + x, v, 8);
        p += 8, x += 8, left -= 8;
      } else if (p[0] >= 16) {
        row[x++] = (BYTE)(p[0] - 16);
        p += 1, left -= 1;
      } else {
        StoreBlocks16<1>(row + x, (BYTE)(p[1] - 16));
        x += p[0];
        p += 2, left -= 2;
      }
    }
    in.cur = p;
    if (left <= 2 || !in.More())
      break;

    const BYTE c = in.Take();
    --left;
    if (c >= 16) {
      if (x < padded)
        row[x] = (BYTE)(c - 16);
      ++x;
      continue;
    }
    if (!in.More())
      break;
    const BYTE colour = (BYTE)(in.Take() - 16);
    --left;
    // A run stops at the end of the padded row.
    if (x < padded) {
      const DWORD n = std::min<DWORD>(c, padded - x);
      memset(row + x, colour, n);
      x += n;
    }
  }
  if (x < padded)
    memset(row + x, fill, padded - x);
}

// ---- Kind 7: 8 bits per pixel, 64 grey levels.

void DecodeRowKind7(DataCursor& in, BYTE* row, const RowShape& shape) {
  const DWORD width = shape.width, padded = shape.padded;
  DWORD x = 0;
  // The fast loops store four pixels for every code; the bytes past the
  // code's count (at most three, from x on) are overwritten by the next
  // code or cleared below. Grey 0 leaves pixels 0, as the band was.
  while (x < width && in.More()) {
    const BYTE* p = in.cur;
    const BYTE* end = in.end;
    while (end - p >= 8 && x + 32 <= width) {
      if (p[0] >= 0xC0 && RepeatsEight(p, 1)) {
        // Eight codes of four pixels of one grey: a run of 32.
        StoreBlocks16<2>(row + x, (BYTE)(p[0] & 63));
        x += 32;
        p += 8;
        continue;
      }
      for (int k = 0; k < 8; ++k) {
        const BYTE c = p[k];
        const uint32_t v = (uint32_t)(c & 63) * 0x01010101u;
        memcpy(row + x, &v, 4);
        x += (DWORD)(c >> 6) + 1;
      }
      p += 8;
    }
    while (p < end && x + 4 <= width) {
      const BYTE c = *p++;
      const uint32_t v = (uint32_t)(c & 63) * 0x01010101u;
      memcpy(row + x, &v, 4);
      x += (DWORD)(c >> 6) + 1;
    }
    in.cur = p;
    if (x >= width || p == end)
      continue;
    const BYTE c = in.Take();
    const DWORD next = x + (DWORD)(c >> 6) + 1;
    if (next <= padded)
      memset(row + x, c & 63, next - x);
    else
      memset(row + x, 0, std::min<DWORD>(3, padded - x));
    x = next;
  }
  if (x < padded)
    memset(row + x, 0, std::min<DWORD>(3, padded - x));
}

// ---- Kind 5: 4 bits per pixel (left pixel in the high nibble), four colours.
//
// A row is decoded one byte per pixel into a work row of PaddedWidth pixels
// and then packed two pixels to a byte into the band. Far from the row's end
// a run is stored 32 pixels wide and a literal four pixels per packed byte;
// whatever lies past a code's last pixel is written again by the next code
// or cleared at the row's end.

// The four 2-bit pixels of a packed byte (lowest pair first), one per byte
// in memory order.
struct PairTable {
  uint32_t value[256];
  PairTable() {
    for (unsigned b = 0; b < 256; ++b) {
      const BYTE pixels[4] = {(BYTE)(b & 3), (BYTE)(b >> 2 & 3), (BYTE)(b >> 4 & 3), (BYTE)(b >> 6 & 3)};
      memcpy(&value[b], pixels, 4);
    }
  }
};
const PairTable kPairs;

// Pixels (one per byte, each 0 to 3) two to a byte, the left pixel in the
// high nibble; count is a multiple of 16.
void PackNibbles(const BYTE* pixels, BYTE* out, DWORD count) {
  DWORD i = 0;
#if defined(__SSE2__)
  const __m128i low = _mm_set1_epi16(0x00FF);
  for (; i + 32 <= count; i += 32) {
    const __m128i a = _mm_loadu_si128((const __m128i*)(pixels + i));
    const __m128i b = _mm_loadu_si128((const __m128i*)(pixels + i + 16));
    const __m128i pa = _mm_and_si128(_mm_or_si128(_mm_slli_epi16(a, 4), _mm_srli_epi16(a, 8)), low);
    const __m128i pb = _mm_and_si128(_mm_or_si128(_mm_slli_epi16(b, 4), _mm_srli_epi16(b, 8)), low);
    _mm_storeu_si128((__m128i*)(out + i / 2), _mm_packus_epi16(pa, pb));
  }
#endif
  for (; i < count; i += 8) {
    uint64_t v;
    memcpy(&v, pixels + i, 8);
    v = ((v << 4) | (v >> 8)) & 0x00FF00FF00FF00FFull; // each pair in an even byte
    v = (v | v >> 8) & 0x0000FFFF0000FFFFull;
    const uint32_t packed = (uint32_t)(v | v >> 16);
    memcpy(out + i / 2, &packed, 4);
  }
}

// Decodes the code at the position (there is one) exactly, byte by byte:
// pixels past the padded row are dropped. False when the row ends inside it.
bool DecodeCodeKind5(DataCursor& in, BYTE* pixels, DWORD& x, DWORD padded) {
  const BYTE c = in.Take();
  if (c & 1) {
    if (x < padded)
      memset(pixels + x, (c >> 1) & 3, std::min<DWORD>(c >> 3, padded - x));
    x += c >> 3;
    return true;
  }
  // A literal of n pixels; its first packed byte is there even when n is 0.
  const DWORD n = c >> 1;
  if (!in.More())
    return false;
  BYTE packed = in.Take();
  int pair = 0;
  for (DWORD i = 0; i < n && x < padded; ++i, ++x) {
    if (pair == 4) {
      if (!in.More())
        return false;
      packed = in.Take();
      pair = 0;
    }
    pixels[x] = (packed >> (2 * pair++)) & 3;
  }
  return true;
}

// A row reads codes until its pixels are done or the data end, whatever its
// length says, and runs and literals of 0 pixels change nothing but the
// position. So a hostile picture made of such codes would have every row read
// the data to their end. Instead a row jumps over each stretch of them, to
// where the stretch ends, through a table made once per decode when the first
// such code is met: the stretches then cost time in proportion to the data,
// however many rows read them. Encoded pictures hold none of these codes.
inline bool WritesNothing(BYTE c) {
  return (c & 1) ? c < 8 : c == 0;
}

class NoOpStretches {
public:
  // The first position from pos on (pos below the data's limit) where a code
  // with pixels begins, or the limit.
  DWORD Skip(const PictureData& data, DWORD pos) {
    if (next_ == nullptr && !failed_)
      Build(data);
    if (next_ != nullptr)
      return next_[pos];
    // No memory for the table: one code at a time.
    const DWORD after = pos + ((data.At(pos) & 1) ? 1 : 2);
    return std::min(after, data.Limit());
  }

private:
  __attribute__((noinline)) void Build(const PictureData& data) {
    const DWORD limit = data.Limit();
    next_.reset(new (std::nothrow) DWORD[(size_t)limit + 2]);
    if (next_ == nullptr) {
      failed_ = true;
      return;
    }
    next_[limit] = next_[limit + 1] = limit; // a literal's packed byte may lie past the end
    for (DWORD stripe = (limit + TAV_STRIPE_BYTES - 1) / TAV_STRIPE_BYTES; stripe-- > 0;) {
      const BYTE* bytes = data.Stripe((int)stripe);
      const DWORD start = stripe * TAV_STRIPE_BYTES;
      DWORD* next = next_.get() + start;
      for (DWORD i = std::min<DWORD>(TAV_STRIPE_BYTES, limit - start); i-- > 0;) {
        const BYTE c = bytes[i];
        next[i] = !WritesNothing(c) ? start + i : next[i + ((c & 1) ? 1 : 2)];
      }
    }
  }

  std::unique_ptr<DWORD[]> next_;
  bool failed_ = false;
};

// Decodes one row into pixels, PaddedWidth bytes.
void DecodeRowKind5(DataCursor& in, BYTE* pixels, const RowShape& shape, NoOpStretches& stretches) {
  const DWORD width = shape.width, padded = shape.padded;
  DWORD x = 0;
  while (x < width && in.More()) {
    // Far from the row's end, and every byte of the longest code (a literal
    // of 127 pixels in 32 packed bytes) in this stripe. Codes without pixels
    // go to the jump below, so that every code here gives pixels.
    const BYTE* p = in.cur;
    const BYTE* const end = in.end;
    while (end - p >= 33 && x + 128 <= padded && x < width) {
      const BYTE c = *p;
      if (WritesNothing(c))
        break;
      if (c & 1) {
        StoreBlocks16<2>(pixels + x, (c >> 1) & 3);
        x += c >> 3;
        p += 1;
        continue;
      }
      const DWORD n = c >> 1;
      const DWORD packedBytes = n > 0 ? (n + 3) / 4 : 1;
      for (DWORD i = 0; i < packedBytes; ++i)
        memcpy(pixels + x + 4 * i, &kPairs.value[p[1 + i]], 4);
      x += n;
      p += 1 + packedBytes;
    }
    in.cur = p;
    if (x >= width || !in.More())
      break;
    if (WritesNothing(*in.cur))
      in.Seek(stretches.Skip(in.Data(), in.Position()));
    else if (!DecodeCodeKind5(in, pixels, x, padded))
      break;
  }
  if (x < padded)
    memset(pixels + x, 0, padded - x);
}

// ---- Common frame.

// A failure of the decoding: reported, and the window destroyed.
int Fail(HWND window, ImgStruct* record, UINT code) {
  ReportError(code, record->DrfPath);
  FreeDRFBands(record);
  if (window != nullptr)
    DestroyWindow(window);
  return 0;
}

// A row decoder's own failure is reported the same way, but the bands stay:
// the rows not decoded are 0, and the paint or export goes on with them.
int DecoderFails(HWND window, ImgStruct* record, UINT code) {
  ReportError(code, record->DrfPath);
  if (window != nullptr)
    DestroyWindow(window);
  return 0;
}

// Decodes the rows from position first into the bands, band 0 at the top;
// within a band the first row is the last in memory. Each row is a record
// of a big-endian length and the row's codes; the next record starts
// length + lengthExtra bytes after this one, whatever the codes consumed.
// decodeRow(cursor after the length, length, row) decodes one row.
template <class DecodeRow>
int DecodeBands(HWND window, ImgStruct* record, const RowShape& shape, DWORD bits, DWORD first, DWORD lengthExtra,
                DecodeRow decodeRow) {
  if (shape.width == 0)
    return 1;
  PictureData data(record);
  if (!data.Lock())
    return DecoderFails(window, record, TAV_ERR_GLOBAL_LOCK);
  DataCursor cursor(data);
  const DWORD rowBytes = shape.padded * bits / 8;
  const int bands = std::min<LONG>(record->BandCount, TAV_MAX_BANDS);
  DWORD pos = first;
  for (int b = 0; b < bands && pos < data.Limit(); ++b) {
    HGLOBAL handle = record->BandHandles[b];
    const LONG rows = b == record->BandCount - 1 ? record->LastBandRows : record->RowsPerBand;
    if (handle == nullptr || rows <= 0 || GlobalSize(handle) < (SIZE_T)rows * rowBytes)
      continue;
    BYTE* bits = (BYTE*)GlobalLock(handle);
    if (bits == nullptr)
      return DecoderFails(window, record, TAV_ERR_GLOBAL_LOCK);
    record->BandBits[b] = bits;
    for (LONG r = 0; r < rows && pos < data.Limit(); ++r) {
      cursor.Seek(pos);
      DWORD length;
      if (!cursor.TakeLength(&length))
        break; // the data end inside the length: this row and the rest stay 0
      decodeRow(cursor, length, bits + (DWORD)(rows - 1 - r) * rowBytes);
      pos += length + lengthExtra;
    }
    GlobalUnlock(handle);
  }
  return 1;
}

RowShape ShapeOf(const ImgStruct* record) {
  const DWORD padded = record->PaddedWidth > 0 ? (DWORD)record->PaddedWidth : 0;
  const DWORD width = record->ScaledClientSize.x > 0 ? (DWORD)record->ScaledClientSize.x : 0;
  return {std::min(width, padded), padded};
}

// The kind's colour table, after the header.
void FillColourTable(ImgStruct* record, RGBQUAD* table) {
  switch (record->DRFColorType) {
  case 5:
  case 8: {
    table[0] = {(BYTE)record->BkRgb[2], (BYTE)record->BkRgb[1], (BYTE)record->BkRgb[0], 0};
    table[1] = {170, 170, 170, 0};
    table[2] = {85, 85, 85, 0};
    table[3] = {0, 0, 0, 0};
    break;
  }
  case 7:
    for (int i = 0; i < 64; ++i)
      table[i] = {(BYTE)(4 * i), (BYTE)(4 * i), (BYTE)(4 * i), 0};
    break;
  default:
    break;
  }
}

// Kind 6: the colours of the colour block (each 0 to 63, times 4); colours
// missing from short data are black. False when a stripe cannot be locked.
bool ReadColourBlock(ImgStruct* record, RGBQUAD* table) {
  PictureData data(record);
  if (!data.Lock())
    return false;
  DataCursor in(data);
  in.Seek(2);
  BYTE rgb[3 * kKind6Colours] = {};
  for (BYTE& value : rgb) {
    if (!in.More())
      break;
    value = in.Take();
  }
  for (int i = 0; i < kKind6Colours; ++i)
    table[i] = {(BYTE)(rgb[3 * i + 2] * 4), (BYTE)(rgb[3 * i + 1] * 4), (BYTE)(rgb[3 * i] * 4), 0};
  return true;
}

} // namespace

LONG DRFPaddedWidth(LONG width) {
  return width % 16 == 0 ? width : (width / 16 + 1) * 16;
}

int DRFKindInfo(int kind, SHORT* bitCount, SHORT* colorCount) {
  SHORT bits, colours;
  switch (kind) {
  case 5:
  case 8:
    bits = 4, colours = 4;
    break;
  case 6:
    bits = 8, colours = kKind6Colours;
    break;
  case 7:
    bits = 8, colours = 64;
    break;
  default:
    return 0;
  }
  if (bitCount != nullptr)
    *bitCount = bits;
  if (colorCount != nullptr)
    *colorCount = colours;
  return 1;
}

extern "C" LONG WINAPI TAVIMG_GetDRFColorInfo(ImgStruct* record, SHORT* bitCount, SHORT* colorCount) {
  TAV_ENTER_EXPORT_KEEPING_LAST_ERROR();
  if (record == nullptr)
    return 0;
  return DRFKindInfo(record->DRFColorType, bitCount, colorCount);
}

int DecodeDRFKind6(HWND window, ImgStruct* record, BYTE fillIndex) {
  const RowShape shape = ShapeOf(record);
  return DecodeBands(window, record, shape, 8, kColourBlockBytes, 0, [&](DataCursor& in, DWORD length, BYTE* row) {
    DecodeRowKind6(in, length, row, shape, fillIndex);
  });
}

int DecodeDRFKind7(HWND window, ImgStruct* record) {
  const RowShape shape = ShapeOf(record);
  return DecodeBands(window, record, shape, 8, 0, 0,
                     [&](DataCursor& in, DWORD, BYTE* row) { DecodeRowKind7(in, row, shape); });
}

int DecodeDRFKind5(HWND window, ImgStruct* record) {
  const RowShape shape = ShapeOf(record);
  std::unique_ptr<BYTE[]> pixels(new (std::nothrow) BYTE[shape.padded]);
  if (pixels == nullptr)
    return DecoderFails(window, record, TAV_ERR_BITMAP_MEMORY);
  // The length counts the bytes after itself.
  NoOpStretches stretches;
  return DecodeBands(window, record, shape, 4, 0, 2, [&](DataCursor& in, DWORD, BYTE* row) {
    DecodeRowKind5(in, pixels.get(), shape, stretches);
    PackNibbles(pixels.get(), row, shape.padded);
  });
}

int DecodeDRFPicture(HWND window, ImgStruct* record) {
  if (record == nullptr)
    return 0;
  const int kind = record->DRFColorType;
  SHORT bits, colours;
  if (!DRFKindInfo(kind, &bits, &colours))
    return 0;
  const LONG width = record->ScaledClientSize.x, height = record->ScaledClientSize.y;
  if (width <= 0 || height <= 0)
    return 0; // nothing to decode or draw

  if (kind == 5 && record->TiffPath[0] != 0 && record->PictureFile == nullptr)
    record->TiffReady = LoadTIFF(record) ? 1 : 0;
  record->DRFBitCount = bits;
  record->DRFColorCount = colours;

  // Whatever an earlier paint or export left behind goes first.
  FreeDRFBands(record);

  const DWORD padded = (DWORD)DRFPaddedWidth(width);
  const DWORD rowsPerBand = (TAV_STRIPE_BYTES / padded) * 8u / (DWORD)bits - 1u;
  record->PaddedWidth = (LONG)padded;
  record->RowsPerBand = (LONG)rowsPerBand;
  if (record->DrfShown) {
    // Sixteen bands hold the picture, or it is refused.
    DWORD bands = rowsPerBand >= 1 && rowsPerBand <= TAV_STRIPE_BYTES ? ((DWORD)height + rowsPerBand - 1) / rowsPerBand
                                                                      : TAV_MAX_BANDS + 1;
    if (bands > TAV_MAX_BANDS) {
      record->BandCount = 0;
      return Fail(window, record, TAV_ERR_BAND_TOO_LARGE);
    }
    record->BandCount = (LONG)bands;
  }
  record->LastBandRows = (LONG)((int64_t)height - ((int64_t)record->BandCount - 1) * (int64_t)record->RowsPerBand);

  record->BitmapInfoHandle = GlobalAlloc(GMEM_FIXED, (SIZE_T)colours * sizeof(RGBQUAD) + sizeof(BITMAPINFOHEADER));
  if (record->BitmapInfoHandle == nullptr)
    return Fail(window, record, TAV_ERR_BITMAP_HEADER_MEMORY);
  BITMAPINFO* info = (BITMAPINFO*)GlobalLock(record->BitmapInfoHandle);
  if (info == nullptr)
    return Fail(window, record, TAV_ERR_GLOBAL_LOCK);
  record->BitmapInfo = info;
  BITMAPINFOHEADER& header = info->bmiHeader;
  header = {};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = (SHORT)padded;
  header.biHeight = (SHORT)rowsPerBand;
  header.biPlanes = 1;
  header.biBitCount = (WORD)bits;
  header.biCompression = BI_RGB;
  header.biClrUsed = (DWORD)colours;
  RGBQUAD* table = (RGBQUAD*)((BYTE*)info + sizeof(BITMAPINFOHEADER));
  if (kind == 6) {
    if (!ReadColourBlock(record, table)) {
      GlobalUnlock(record->BitmapInfoHandle);
      return Fail(window, record, TAV_ERR_GLOBAL_LOCK);
    }
  } else {
    FillColourTable(record, table);
  }

  BYTE fillIndex = 0;
  if (record->Palette == nullptr)
    BuildPalette(&fillIndex, record, TAV_PALETTE_DRF);
  GlobalUnlock(record->BitmapInfoHandle);

  if (!record->DrfShown)
    return 1;
  for (LONG b = 0; b < record->BandCount; ++b) {
    const LONG rows = b == record->BandCount - 1 ? record->LastBandRows : record->RowsPerBand;
    const uint64_t size = (uint64_t)bits * padded * (uint64_t)rows / 8;
    if (size > TAV_STRIPE_BYTES)
      return Fail(window, record, TAV_ERR_BAND_TOO_LARGE);
    record->BandHandles[b] = GlobalAlloc(GHND, (SIZE_T)size);
    if (record->BandHandles[b] == nullptr)
      return Fail(window, record, TAV_ERR_BITMAP_MEMORY);
    record->BandBits[b] = (BYTE*)GlobalLock(record->BandHandles[b]);
    if (record->BandBits[b] == nullptr)
      return Fail(window, record, TAV_ERR_GLOBAL_LOCK);
    GlobalUnlock(record->BandHandles[b]);
  }

  // A decoder's failure has been reported by it; the picture is shown or
  // exported as far as it was decoded.
  switch (kind) {
  case 5:
    DecodeDRFKind5(window, record);
    break;
  case 6:
    DecodeDRFKind6(window, record, fillIndex);
    break;
  case 7:
    DecodeDRFKind7(window, record);
    break;
  default:
    break; // kind 8: every pixel is colour 0
  }
  return 1;
}
