// Test helpers of the clipboard and DRF-to-TIFF tests: bilevel pictures,
// TIFF files written and read by libtiff, a small directory parser for the
// converter's output, and records filled by hand from a file's bytes.
#ifndef TAV_TESTS_CONVERT_FILES_H
#define TAV_TESTS_CONVERT_FILES_H

#include <tavoimg/tavoimg.h>

#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

namespace convert {

// One byte per pixel, 1 = black, rows top-down.
struct Bilevel {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> black;
  bool At(int x, int y) const { return black[(size_t)y * width + x] != 0; }
};

// A deterministic pattern with runs of many lengths, solid rows and columns.
Bilevel MakePattern(int width, int height, unsigned seed);

// Fresh paths and writing files: drftest::TempPath and drftest::WriteBytes.
std::vector<uint8_t> ReadBytes(const std::string& path);
bool FileExists(const std::string& path);

#ifdef TAV_HAVE_LIBTIFF
// Writes picture as a bilevel TIFF with Compression 2 (rows byte-aligned),
// little-endian unless bigEndian.
bool WriteTiff(const std::string& path, const Bilevel& picture, int rowsPerStrip, int photometric = 0,
               bool bigEndian = false);

// What libtiff finds in a file: the picture (1 = black for photometric 0),
// the StripByteCounts, and the count and values of tag 65024.
struct LibtiffView {
  bool opened = false;
  Bilevel picture;
  int photometric = -1;
  std::vector<uint64_t> stripOffsets;
  std::vector<uint64_t> stripByteCounts;
  bool hasHotspotTag = false;
  uint32_t hotspotCount = 0;
  std::vector<uint32_t> hotspotValues;
};
LibtiffView ReadWithLibtiff(const std::string& path);
#endif

// The first directory of a little-endian TIFF, as stored.
struct IfdEntry {
  uint16_t tag;
  uint16_t type;
  uint32_t count;
  uint32_t value;
};
struct Directory {
  bool ok = false;
  uint32_t offset = 0;
  std::vector<IfdEntry> entries;
  uint32_t next = 0;
  const IfdEntry* Find(uint16_t tag) const;
};
Directory ParseFirstDirectory(const std::vector<uint8_t>& file);
uint16_t Le16(const std::vector<uint8_t>& file, size_t at);
uint32_t Le32(const std::vector<uint8_t>& file, size_t at);

// A hotspot record of tag 65024 as stored.
struct StoredHotspot {
  uint16_t length, x, y, width, height;
  std::string name, text;
  uint8_t kind, pad;
};
// Reads count records from offset; stops (ok = false) at the end of the file.
std::vector<StoredHotspot> ParseHotspotRecords(const std::vector<uint8_t>& file, uint32_t offset, uint32_t count,
                                               bool* ok);

// A fresh record of a slot (as a host's window gets one), unloaded with all
// it holds at the end.
struct RecordDeleter {
  HWND window;
  void operator()(ImgStruct* record) const;
};
using RecordPtr = std::unique_ptr<ImgStruct, RecordDeleter>;
RecordPtr NewRecord();

// Fills a record as the TIFF reader would from the file at path: the memory
// copy, the size and the strip offsets, without reading the file's directory.
void FillTiffByHand(ImgStruct* record, const std::string& path, LONG width, LONG height,
                    const std::vector<uint32_t>& stripOffsets);

void SetHotspot(ImgStruct* record, int index, TavRect pictureRect, const char* name, const char* text, int kind);

// The bits of a 1-bit DIB (48-byte header first) as pixels, 1 = black.
Bilevel DibPixels(const std::vector<uint8_t>& dib);

} // namespace convert

#endif
