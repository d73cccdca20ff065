// Shared pieces of the fuzz targets and the bad-input suite: the tests' host
// window, the temporary files the library opens by path, the bundled samples,
// and a picture opened and used as a host would.
#ifndef TAV_FUZZ_COMMON_H
#define TAV_FUZZ_COMMON_H

#include "host_window.h"

#include <tavoimg/tavoimg.h>

#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>

namespace fuzz {

// The tests' host window at (0, 0), with the library's message boxes off.
struct Window : viewtest::HostWindow {
  Window(int width, int height) : HostWindow(0, 0, width, height) { TAVIMG_ShowErrorMessages(0); }
};

// Writes bytes to a file of this process named by slot; returns its path.
std::string WriteTempFile(const char* slot, const uint8_t* data, size_t size);
std::string TempPath(const char* slot);
std::vector<uint8_t> ReadFile(const std::string& path);

// The .drf and .tif files of TAV_SAMPLES_DIR, sorted by name.
const std::vector<std::string>& SampleFiles();
bool IsTiffName(const std::string& path);

// Delivers pending paints, as a message loop would.
void Pump(HWND window);

// Bytes read from the front of the input, zero once it runs out.
class ByteReader {
public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t U8() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint16_t U16() { return (uint16_t)(U8() | (U8() << 8)); }
  uint32_t U32() { return (uint32_t)U16() | ((uint32_t)U16() << 16); }
  bool Empty() const { return pos_ >= size_; }
  const uint8_t* Rest() const { return data_ + pos_; }
  size_t RestSize() const { return size_ - pos_; }
  void Skip(size_t n) { pos_ = n > size_ - pos_ ? size_ : pos_ + n; }

private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// Exports a record's picture (a TIFF's or a DRF's) into a buffer sized from
// its own queries; skips pictures whose export would need more than 8 MiB.
void Export(ImgStruct* record, bool tiff);

// The error codes Use saw: of the opening, and of the first paint when the
// picture was opened.
struct Used {
  bool opened;
  UINT openCode, paintCode;
};
// Opens a TIFF fitted (display mode 1), or a DRF with its companion TIFF in
// display mode 0, into a 200 x 150 window; paints it, marks every hotspot,
// moves the mouse, zooms with a rubber band, scrolls, exports and unloads.
Used Use(bool tiff, const std::string& tiffPath, const std::string& drfPath);

} // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

#endif
