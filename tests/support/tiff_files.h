// Test support for TIFF pictures: bilevel bitmaps, Compression 2 files
// written by libtiff, hand-made files, libtiff's decode as the oracle, a
// directory reader, and picture records loaded straight from a path.
#ifndef TAV_TESTS_SUPPORT_TIFF_FILES_H
#define TAV_TESTS_SUPPORT_TIFF_FILES_H

#include "drf_files.h"
#include "frame_records.h"

#include <tavoimg/tavoimg.h>

#include <stdint.h>

#include <array>
#include <string>
#include <vector>

// A bilevel picture, top row first, one byte a pixel (1 = black).
struct TiffBitmap {
  int width = 0, height = 0;
  std::vector<uint8_t> black;
  TiffBitmap() = default;
  TiffBitmap(int w, int h) : width(w), height(h), black((size_t)w * h, 0) {}
  uint8_t& at(int x, int y) { return black[(size_t)y * width + x]; }
  uint8_t at(int x, int y) const { return black[(size_t)y * width + x]; }
};

// Random runs of both colours, from single pixels up to beyond 2560.
TiffBitmap TiffRandomBitmap(int width, int height, uint32_t seed);

std::vector<uint8_t> TiffReadBytes(const std::string& path);

struct TiffWriteOptions {
  uint32_t rowsPerStrip = 0; // 0: one strip
  bool bigEndian = false;
  bool byteCounts = true; // false: tag 279 is taken out of the directory afterwards
  uint16_t photometric = 0;
};

// Compression 2 through libtiff (a 1-bit is stored for every black pixel)
// into a fresh file of that name; the test fails when libtiff cannot.
std::string TiffWritten(const std::string& name, const TiffBitmap& bitmap, const TiffWriteOptions& options = {});

// libtiff's decode of a Compression 2 file (stored 1-bits as 1).
bool TiffDecodeWithLibtiff(const std::string& path, TiffBitmap* bitmap);
// The Modified Huffman rows of bitmap, one byte-aligned row after another,
// as libtiff encodes them; lengths gets the length of each.
std::vector<uint8_t> TiffEncodeRows(const TiffBitmap& bitmap, std::vector<uint32_t>* lengths = nullptr);

// The first directory of a file, read without libtiff; values holds the
// SHORT or LONG values of an entry, from its field or from its offset.
struct TiffDirEntry {
  uint16_t tag, type;
  uint32_t count, value;
  std::vector<uint32_t> values;
};
struct TiffDirectory {
  bool ok = false, big = false;
  uint32_t offset = 0, next = 0;
  std::vector<TiffDirEntry> entries;
  const TiffDirEntry* Find(uint16_t tag) const;
};
TiffDirectory TiffReadDirectory(const std::vector<uint8_t>& file);
// A little-endian 32-bit number of a file.
uint32_t TiffLe32(const std::vector<uint8_t>& file, size_t at);

// A record of tag 65024.
struct TiffSpot {
  uint16_t x, y, width, height;
  std::string name, text;
  uint8_t kind;
};
std::vector<uint8_t> TiffSpotRecords(const std::vector<TiffSpot>& spots, bool bigEndian = false);

// A hand-made TIFF: data blocks after the header, then the first IFD.
class TiffFileBuilder {
public:
  explicit TiffFileBuilder(bool bigEndian = false) : big_(bigEndian) {}
  // Appends data; returns its file offset.
  uint32_t AddBytes(const std::vector<uint8_t>& bytes);
  uint32_t AddNumbers(const std::vector<uint32_t>& values, int size);
  // An entry whose value field is value as one 32-bit number, but a single
  // SHORT's, which takes the first two bytes of the field.
  void Entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    entries_.push_back({tag, type, count, value});
  }
  void ShortEntry(uint16_t tag, uint16_t value) { Entry(tag, 3, 1, value); }
  void LongEntry(uint16_t tag, uint32_t value) { Entry(tag, 4, 1, value); }
  // The file; the IFD follows the data, entries in the order given.
  std::vector<uint8_t> Build() const;
  bool Write(const std::string& path) const { return drftest::WriteBytes(path, Build()); }

private:
  bool big_;
  std::vector<uint8_t> data_; // everything after the 8-byte header
  std::vector<std::array<uint32_t, 4>> entries_;
};
// Appends v in size bytes in the given byte order.
void TiffPut(std::vector<uint8_t>& out, uint32_t v, int size, bool big);

// A picture file of one Compression 2 strip: width, height, compression 2,
// offsets, rows per strip and byte counts, plus the builder for more.
TiffFileBuilder TiffSimpleFile(const TiffBitmap& bitmap, bool bigEndian = false);

// The record of a window handle that no real window has, reset as an
// opening resets it; unloaded when the object goes.
class TiffRecord : public FrameRecord {
public:
  TiffRecord();
  // Sets TiffPath, clears the last error code and runs LoadTIFF.
  int Load(const std::string& path);
};

// TAVIMG_DecodeTIFF2DIB of the whole picture, as a bitmap (top row first);
// also checks the DIB header, colours and padding. Empty when the export
// returns 0.
TiffBitmap TiffExport(ImgStruct* record);

#endif
