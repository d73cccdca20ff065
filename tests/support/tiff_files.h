// Test support for TIFF pictures: bilevel bitmaps, Compression 2 files
// written by libtiff or rendered by Ghostscript, hand-made files, libtiff's
// decode as the oracle, and picture records loaded straight from a path.
#ifndef TAV_TESTS_SUPPORT_TIFF_FILES_H
#define TAV_TESTS_SUPPORT_TIFF_FILES_H

#include <tavoimg/tavoimg.h>

#include <stdint.h>

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
  // Black pixels from x0 up to x1 (exclusive) of row y.
  void Fill(int y, int x0, int x1) {
    for (int x = x0; x < x1; ++x)
      at(x, y) = 1;
  }
};

// Random runs of both colours, from single pixels up to beyond 2560.
TiffBitmap TiffRandomBitmap(int width, int height, uint32_t seed);
// Row r holds a white run of r pixels and then black to the end (width 2560,
// 2561 rows): every code of both colours occurs.
TiffBitmap TiffEveryRunBitmap();

// A file in the test's scratch folder.
std::string TiffScratchPath(const std::string& name);

struct TiffWriteOptions {
  uint32_t rowsPerStrip = 0; // 0: one strip
  bool bigEndian = false;
  bool byteCounts = true; // false: tag 279 is taken out of the directory afterwards
};

// Compression 2 through libtiff. False when libtiff is not there or fails.
bool TiffWriteWithLibtiff(const std::string& path, const TiffBitmap& bitmap, const TiffWriteOptions& options);
// libtiff's decode of a Compression 2 file (any strips, byte order).
bool TiffDecodeWithLibtiff(const std::string& path, TiffBitmap* bitmap);
// The Modified Huffman rows of bitmap, one byte-aligned row after another,
// as libtiff encodes them.
std::vector<uint8_t> TiffEncodeRows(const TiffBitmap& bitmap);

// The strips of a file as its first directory gives them.
struct TiffStripLayout {
  std::vector<uint32_t> offsets, counts; // counts empty without tag 279
  uint32_t rowsPerStrip = 0;             // 0 without tag 278
  uint32_t fileLength = 0;
};
bool TiffReadStripLayout(const std::string& path, TiffStripLayout* layout);
// Bytes of the code of each row of bitmap, as libtiff encodes them.
std::vector<uint32_t> TiffRowLengths(const TiffBitmap& bitmap);
// Rows the library leaves white because they begin in the last 4 bytes of
// their strip as it holds the strip (a strip without byte count reaching to
// the next strip, the last one to the end of the memory copy). False with a
// message when the row lengths do not add up to the strips.
bool TiffRowsAtStripEnds(const TiffStripLayout& layout, const std::vector<uint32_t>& rowLengths,
                         std::vector<bool>* white, std::string* message);

// Renders PostScript with Ghostscript's tiffcrle device at the given size in
// pixels; false when Ghostscript is not there or fails.
bool TiffRenderPostScript(const std::string& postscript, const std::string& path, int width, int height);
bool TiffHaveGhostscript();

// Bytes from a string of '0' and '1' (other characters are ignored), the
// last byte filled up with zero bits.
std::vector<uint8_t> TiffBits(const char* bits);

// A hand-made TIFF: data blocks after the header, then the first IFD.
class TiffFileBuilder {
public:
  explicit TiffFileBuilder(bool bigEndian = false);
  // Appends data; returns its file offset.
  uint32_t AddBytes(const std::vector<uint8_t>& bytes);
  uint32_t AddLongs(const std::vector<uint32_t>& values);
  uint32_t AddShorts(const std::vector<uint16_t>& values);
  // An entry whose value field is value as one 32-bit number.
  void Entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value);
  // A SHORT entry with its value in the first two bytes of the field.
  void ShortEntry(uint16_t tag, uint16_t value);
  void LongEntry(uint16_t tag, uint32_t value) { Entry(tag, 4, 1, value); }
  // The file; the IFD follows the data, entries in the order given.
  std::vector<uint8_t> Build() const;
  bool Write(const std::string& path) const;

  // Numbers in the file's byte order.
  void PutShort(std::vector<uint8_t>& out, uint16_t v) const;
  void PutLong(std::vector<uint8_t>& out, uint32_t v) const;

private:
  bool big_;
  std::vector<uint8_t> data_; // everything after the 8-byte header
  std::vector<std::vector<uint8_t>> entries_;
};

// A picture file of one Compression 2 strip: width, height, compression 2,
// offsets, rows per strip and byte counts, plus the builder for more.
TiffFileBuilder TiffSimpleFile(const TiffBitmap& bitmap, bool bigEndian = false);

bool TiffWriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// The record of a window handle that no real window has, reset as an
// opening resets it; unloaded when the object goes.
class TiffRecord {
public:
  TiffRecord();
  ~TiffRecord();
  TiffRecord(const TiffRecord&) = delete;
  TiffRecord& operator=(const TiffRecord&) = delete;
  ImgStruct* get() const { return record_; }
  ImgStruct* operator->() const { return record_; }
  HWND window() const { return window_; }
  // Sets TiffPath, clears the last error code and runs LoadTIFF.
  int Load(const std::string& path);

private:
  HWND window_;
  ImgStruct* record_;
};

// TAVIMG_DecodeTIFF2DIB of the whole picture, as a bitmap (top row first);
// also checks the DIB header. Empty when the export returns 0.
TiffBitmap TiffExport(ImgStruct* record);

// Rows 0 to rows - 1 of a and b are equal; the message names the first
// differing pixels.
bool TiffSameRows(const TiffBitmap& a, const TiffBitmap& b, int rows, std::string* message);

#endif
