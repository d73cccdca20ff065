// The Modified Huffman row decoder: one byte-aligned row of white and black
// runs, read through a bit window and the code lookup tables, with every
// black pixel of the visible window added to a row of column counters.
#include "tiff/mh_codes.h"
#include "tiff/tiff.h"

#include <string.h>

#include <algorithm>
#include <type_traits>

namespace {

constexpr mh::LookupTable<mh::kWhiteBits> kWhite = mh::BuildTable<mh::kWhiteBits>(true);
constexpr mh::LookupTable<mh::kBlackBits> kBlack = mh::BuildTable<mh::kBlackBits>(false);

// The white lookup again, where a terminating white code is followed inside
// the same kWhiteBits by a whole terminating black code: such an entry holds
// both runs, so the most common pair of a row costs one lookup. Bits 0-4:
// the bits both codes use (0: the stop), bit 5: set for a pair, bits 6-9:
// the white code's length, bits 10-15: the black run, bits 16 on: the white
// run. Any other entry is the white table's: its run and length.
struct PairTable {
  uint32_t entries[1 << mh::kWhiteBits];
};

constexpr uint32_t kPair = 32;

constexpr PairTable BuildPairs() {
  PairTable table{};
  for (uint32_t i = 0; i < (1u << mh::kWhiteBits); ++i) {
    uint32_t white = kWhite.entries[i], whiteLength = white & 15, whiteRun = white >> 4;
    table.entries[i] = whiteRun << 16 | whiteLength;
    if (whiteLength == 0 || whiteRun >= 64)
      continue;
    uint32_t rest = (i << whiteLength) & ((1u << mh::kWhiteBits) - 1);
    uint32_t black = kBlack.entries[rest << (mh::kBlackBits - mh::kWhiteBits)];
    uint32_t blackLength = black & 15, blackRun = black >> 4;
    if (blackLength == 0 || blackRun >= 64 || whiteLength + blackLength > uint32_t(mh::kWhiteBits))
      continue;
    table.entries[i] = whiteRun << 16 | blackRun << 10 | whiteLength << 6 | kPair | (whiteLength + blackLength);
  }
  return table;
}

constexpr PairTable kWhitePairs = BuildPairs();

// The bits of a row from its first byte on, most significant bit first, in a
// window of one machine register (64 bits, or 32 on 32-bit processors, where
// a wider one costs two registers). Once the strip's bytes are used up its
// last byte is read again and again, so a row that runs out of data is still
// decoded to its end.
class BitWindow {
public:
  using Word = std::conditional_t<sizeof(void*) >= 8, uint64_t, uint32_t>;
  static constexpr int kBits = int(sizeof(Word) * 8);

  BitWindow(const BYTE* data, DWORD length, DWORD start)
      : first_(data + start), next_(first_), end_(data + length), last_(data[length - 1]) {}

  // Bits dropped since the start.
  uint64_t Used() const { return (uint64_t(next_ - first_) + repeated_) * 8 - valid_; }

  // Leading bits of the window; at least 16 bits are valid after Fill().
  uint32_t Peek(int bits) const { return uint32_t(window_ >> (kBits - bits)); }
  void Drop(int bits) {
    window_ <<= bits;
    valid_ -= bits;
  }
  void Fill() {
    if (valid_ >= 16)
      return;
    if (end_ - next_ >= (ptrdiff_t)sizeof(Word)) {
      // Whole bytes past the valid bits may land in the window as well; they
      // are the bytes that follow, so the next fill puts the same bits there.
      Word bytes;
      memcpy(&bytes, next_, sizeof bytes);
      window_ |= FromBigEndian(bytes) >> valid_;
      int taken = (kBits - 1 - valid_) >> 3;
      next_ += taken;
      valid_ += taken * 8;
      return;
    }
    while (valid_ <= kBits - 8) {
      BYTE byte = last_;
      if (next_ < end_)
        byte = *next_++;
      else
        ++repeated_;
      window_ |= Word(byte) << (kBits - 8 - valid_);
      valid_ += 8;
    }
  }

private:
  static Word FromBigEndian(Word v) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return v;
#else
    if constexpr (sizeof(Word) == 8)
      return __builtin_bswap64(v);
    else
      return __builtin_bswap32(v);
#endif
  }

  const BYTE* first_;
  const BYTE* next_;
  const BYTE* end_;
  BYTE last_;
  uint64_t repeated_ = 0; // bytes read again past the end
  Word window_ = 0;
  int valid_ = 0;
};

// Runs of one row as source columns: Sink::Black(out, n) receives the black
// pixels inside the window xStart..xEnd - 1 (at most visible of them), out
// counted from xStart.
struct Window {
  int32_t xStart;
  int32_t xEnd;
  int32_t visible;
};

// The black pixels from..to - 1 of a row counted from the window's first
// column, of which the columns 0..visibleEnd - 1 are seen.
template <class Sink> inline void PaintBlack(int32_t visibleEnd, int32_t from, int32_t to, Sink& sink) {
  int32_t a = from > 0 ? from : 0;
  int32_t b = to < visibleEnd ? to : visibleEnd;
  if (a < b)
    sink.Black(a, b - a);
}

// Decodes one row of width pixels starting at byte start of data and returns
// the number of bits it used. Codes are taken until a terminating code
// brings the row to its width, or a stop (eight zero bits), which uses no
// bits. A row whose codes run far past its width (make-up codes only, as a
// broken strip can give) is ended there.
template <class Sink>
uint64_t DecodeRow(const BYTE* data, DWORD length, DWORD start, int32_t width, const Window& window, Sink& sink) {
  BitWindow bits(data, length, start);
  // Columns are counted from the window's first one, so that a run is
  // clipped to what is seen with two comparisons.
  int32_t x = -window.xStart;
  int32_t end = width - window.xStart;
  const int32_t runLimit = end + 65536;
  const int32_t visibleEnd = std::min(window.xEnd - window.xStart, window.visible);
  for (;;) {
    // White: make-up codes, then one terminating code, which may come with
    // the terminating black code after it.
    bits.Fill();
    uint32_t entry = kWhitePairs.entries[bits.Peek(mh::kWhiteBits)];
    int length = entry & 31;
    if (length == 0)
      return bits.Used();
    int run = int(entry >> 16);
    x += run;
    int32_t from = x;
    if (entry & kPair) {
      if (x >= end) {
        bits.Drop((entry >> 6) & 15);
        return bits.Used();
      }
      bits.Drop(length);
      x += (entry >> 10) & 63;
    } else {
      bits.Drop(length);
      if (run >= 64) {
        if (x > runLimit)
          return bits.Used();
        continue;
      }
      if (x >= end)
        return bits.Used();
      // Black: make-up codes, then one terminating code. A stop or a run
      // past the limit ends the row once the run is painted.
      for (;;) {
        bits.Fill();
        entry = kBlack.entries[bits.Peek(mh::kBlackBits)];
        length = entry & 15;
        if (length == 0) {
          end = x; // the row ends with this run
          break;
        }
        run = int(entry >> 4);
        bits.Drop(length);
        x += run;
        if (run < 64)
          break;
        if (x > runLimit) {
          end = x; // the row ends with this run
          break;
        }
      }
    }
    // The black run, painted once its last code is read.
    PaintBlack(visibleEnd, from, x, sink);
    if (x >= end)
      return bits.Used();
  }
}

// The 1:1 row as bits, the leftmost pixel in bit 7 of the first byte: for a
// counter of its own column the only question is whether it is zero.
struct BitRowSink {
  BYTE* row;

  void Black(int32_t out, int32_t n) {
    uint32_t from = uint32_t(out), to = uint32_t(out + n);
    uint32_t first = from >> 3, last = (to - 1) >> 3;
    BYTE head = BYTE(0xFF >> (from & 7)), tail = BYTE(0xFF << (7 - ((to - 1) & 7)));
    if (first == last) {
      row[first] |= head & tail;
      return;
    }
    row[first] |= head;
    for (uint32_t i = first + 1; i < last; ++i)
      row[i] = 0xFF;
    row[last] |= tail;
  }
};

// Runs gathered for several rows at once: a run adds its pixels in the
// counters where it starts and ends, and for the whole counters between them
// +1 where they begin and -1 after them in the coverage differences, so a
// row costs per run, not per pixel or per column. No branch tells the cases
// apart.
class RunSink {
public:
  explicit RunSink(const TiffColumnRuns& runs) : cells_(runs.Cells), columns_(runs.Columns) {}

  void Black(int32_t out, int32_t n) {
    // Inside one counter the two ends add its columns plus n, and the
    // coverage takes its columns away again.
    const TiffRunColumn& first = columns_[out];
    const TiffRunColumn& last = columns_[out + n - 1];
    cells_[first.Counter].Count = WORD(cells_[first.Counter].Count + first.ToEnd);
    cells_[last.Counter].Count = WORD(cells_[last.Counter].Count + last.FromStart);
    ++cells_[first.Counter + 1].Covered;
    --cells_[last.Counter].Covered;
  }

private:
  TiffRunCell* cells_;
  const TiffRunColumn* columns_;
};

struct NoSink {
  void Black(int32_t, int32_t) {}
};

// A row is decoded only when at least 5 bytes of the strip remain from its
// first byte; the next row begins at the byte boundary after its last code.
template <class Sink>
void DecodeRowAt(WORD width, const BYTE* data, DWORD length, DWORD& position, const Window& window, Sink& sink) {
  if (data == nullptr || uint64_t(position) + 4 >= length)
    return;
  uint64_t total = DecodeRow(data, length, position, width, window, sink);
  uint64_t next = position + (total + 7) / 8;
  position = next > 0xFFFFFFFFu ? 0xFFFFFFFFu : DWORD(next);
}

} // namespace

void DecodeMHRowBits(uint32_t xStart, uint32_t xEnd, WORD width, const BYTE* data, DWORD length, DWORD& position,
                     BYTE* row) {
  Window window = {int32_t(xStart & 0xFFFF), int32_t(xEnd & 0xFFFF), 0};
  window.visible = window.xEnd > window.xStart && row != nullptr ? window.xEnd - window.xStart : 0;
  BitRowSink sink = {row};
  DecodeRowAt(width, data, length, position, window, sink);
}

void DecodeMHRowRuns(uint32_t xStart, uint32_t xEnd, WORD width, const BYTE* data, DWORD length, DWORD& position,
                     const TiffColumnRuns& runs, WORD sourceWidth) {
  Window window = {int32_t(xStart & 0xFFFF), int32_t(xEnd & 0xFFFF), sourceWidth};
  RunSink sink(runs);
  DecodeRowAt(width, data, length, position, window, sink);
}

void SkipMHRow(WORD width, const BYTE* data, DWORD length, DWORD& position) {
  Window window = {0, 0, 0};
  NoSink sink;
  DecodeRowAt(width, data, length, position, window, sink);
}
