// Shared pieces of the fuzz targets: a host window that forwards its messages
// to the library, and the temporary files the library opens by path.
#ifndef TAV_FUZZ_COMMON_H
#define TAV_FUZZ_COMMON_H

#include <tavoimg/tavoimg.h>

#include <stddef.h>
#include <stdint.h>
#include <string>

namespace fuzz {

// A visible popup window of the given size whose procedure forwards every
// message to TAVIMG_OnMessage for the record attached with Attach().
HWND CreateHostWindow(int width, int height);
void Attach(HWND window, ImgStruct* record);
void DestroyHostWindow(HWND window);

// Writes bytes to a file of this process named by slot; returns its path.
std::string WriteTempFile(const char* slot, const uint8_t* data, size_t size);
std::string TempPath(const char* slot);

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

// Exports a record's picture into a buffer sized from its own queries; skips
// pictures whose export would need more than limit bytes.
void ExportDRF(ImgStruct* record, size_t limit);
void ExportTIFF(ImgStruct* record, size_t limit);

} // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

#endif
