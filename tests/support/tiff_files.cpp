#include "tiff_files.h"

#include "frame/frame.h"
#include "tiff/tiff.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

#ifdef TAV_HAVE_LIBTIFF
#  include <tiffio.h>
#endif

// ---- Bitmaps

TiffBitmap TiffRandomBitmap(int width, int height, uint32_t seed) {
  TiffBitmap bitmap(width, height);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y) {
    int x = 0;
    bool black = random() % 2 == 0;
    while (x < width) {
      int kind = random() % 16;
      int run = kind < 10 ? 1 + random() % 8 : kind < 14 ? 1 + random() % 80 : 1 + random() % 2700;
      int end = x + run < width ? x + run : width;
      if (black)
        bitmap.Fill(y, x, end);
      x = end;
      black = !black;
    }
  }
  return bitmap;
}

TiffBitmap TiffEveryRunBitmap() {
  TiffBitmap bitmap(2560, 2561);
  for (int y = 0; y < bitmap.height; ++y)
    bitmap.Fill(y, y, bitmap.width);
  return bitmap;
}

std::string TiffScratchPath(const std::string& name) {
  std::string folder = std::string(TAV_BINARY_DIR) + "/tiff-test-files";
  mkdir(folder.c_str(), 0777);
  return folder + "/" + name;
}

bool TiffWriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (f == nullptr)
    return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

static std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> TiffBits(const char* bits) {
  std::vector<uint8_t> bytes;
  int n = 0;
  for (const char* p = bits; *p != 0; ++p) {
    if (*p != '0' && *p != '1')
      continue;
    if (n % 8 == 0)
      bytes.push_back(0);
    if (*p == '1')
      bytes.back() |= uint8_t(0x80 >> (n % 8));
    ++n;
  }
  return bytes;
}

// ---- Hand-made files

TiffFileBuilder::TiffFileBuilder(bool bigEndian) : big_(bigEndian) {}

void TiffFileBuilder::PutShort(std::vector<uint8_t>& out, uint16_t v) const {
  if (big_) {
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
  } else {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
  }
}

void TiffFileBuilder::PutLong(std::vector<uint8_t>& out, uint32_t v) const {
  if (big_) {
    PutShort(out, uint16_t(v >> 16));
    PutShort(out, uint16_t(v));
  } else {
    PutShort(out, uint16_t(v));
    PutShort(out, uint16_t(v >> 16));
  }
}

uint32_t TiffFileBuilder::AddBytes(const std::vector<uint8_t>& bytes) {
  uint32_t offset = uint32_t(8 + data_.size());
  data_.insert(data_.end(), bytes.begin(), bytes.end());
  return offset;
}

uint32_t TiffFileBuilder::AddLongs(const std::vector<uint32_t>& values) {
  std::vector<uint8_t> bytes;
  for (uint32_t v : values)
    PutLong(bytes, v);
  return AddBytes(bytes);
}

uint32_t TiffFileBuilder::AddShorts(const std::vector<uint16_t>& values) {
  std::vector<uint8_t> bytes;
  for (uint16_t v : values)
    PutShort(bytes, v);
  return AddBytes(bytes);
}

void TiffFileBuilder::Entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
  std::vector<uint8_t> entry;
  PutShort(entry, tag);
  PutShort(entry, type);
  PutLong(entry, count);
  PutLong(entry, value);
  entries_.push_back(entry);
}

void TiffFileBuilder::ShortEntry(uint16_t tag, uint16_t value) {
  std::vector<uint8_t> entry;
  PutShort(entry, tag);
  PutShort(entry, 3);
  PutLong(entry, 1);
  PutShort(entry, value);
  PutShort(entry, 0);
  entries_.push_back(entry);
}

std::vector<uint8_t> TiffFileBuilder::Build() const {
  std::vector<uint8_t> file;
  file.push_back(big_ ? 'M' : 'I');
  file.push_back(big_ ? 'M' : 'I');
  PutShort(file, 42);
  PutLong(file, uint32_t(8 + data_.size()));
  file.insert(file.end(), data_.begin(), data_.end());
  PutShort(file, uint16_t(entries_.size()));
  for (const auto& entry : entries_)
    file.insert(file.end(), entry.begin(), entry.end());
  PutLong(file, 0);
  return file;
}

bool TiffFileBuilder::Write(const std::string& path) const {
  return TiffWriteBytes(path, Build());
}

TiffFileBuilder TiffSimpleFile(const TiffBitmap& bitmap, bool bigEndian) {
  TiffFileBuilder file(bigEndian);
  std::vector<uint8_t> rows = TiffEncodeRows(bitmap);
  uint32_t offset = file.AddBytes(rows);
  file.LongEntry(256, uint32_t(bitmap.width));
  file.LongEntry(257, uint32_t(bitmap.height));
  file.ShortEntry(259, 2);
  file.LongEntry(273, offset);
  file.LongEntry(278, uint32_t(bitmap.height));
  file.LongEntry(279, uint32_t(rows.size()));
  return file;
}

// ---- libtiff and Ghostscript

namespace {

// The first directory of a file's bytes, read without libtiff.
struct RawDirectory {
  explicit RawDirectory(const std::vector<uint8_t>& bytes) : file(bytes) {
    if (file.size() < 8)
      return;
    big = file[0] == 'M';
    offset = Long(4);
    if (offset + 2 <= file.size())
      count = Short(offset);
    if (Entry(count) > file.size())
      count = 0;
  }
  uint16_t Short(size_t at) const {
    return big ? uint16_t(file[at] << 8 | file[at + 1]) : uint16_t(file[at] | file[at + 1] << 8);
  }
  uint32_t Long(size_t at) const {
    return big ? uint32_t(Short(at)) << 16 | Short(at + 2) : uint32_t(Short(at)) | uint32_t(Short(at + 2)) << 16;
  }
  size_t Entry(size_t i) const { return offset + 2 + 12 * i; }
  // The values of entry i (SHORT or LONG), inside the field or at its offset.
  std::vector<uint32_t> Values(uint16_t i) const {
    size_t at = Entry(i);
    bool shorts = Short(at + 2) == 3;
    uint32_t n = Long(at + 4);
    size_t data = n * (shorts ? 2u : 4u) <= 4 ? at + 8 : Long(at + 8);
    std::vector<uint32_t> values;
    size_t size = shorts ? 2 : 4;
    for (uint32_t k = 0; k < n && data + (k + 1) * size <= file.size(); ++k)
      values.push_back(shorts ? Short(data + 2 * k) : Long(data + 4 * k));
    return values;
  }
  const std::vector<uint8_t>& file;
  bool big = false;
  uint32_t offset = 0;
  uint16_t count = 0;
};

} // namespace

bool TiffReadStripLayout(const std::string& path, TiffStripLayout* layout) {
  std::vector<uint8_t> file = ReadBytes(path);
  RawDirectory ifd(file);
  *layout = TiffStripLayout{};
  layout->fileLength = (uint32_t)file.size();
  for (uint16_t i = 0; i < ifd.count; ++i) {
    uint16_t tag = ifd.Short(ifd.Entry(i));
    if (tag == 273)
      layout->offsets = ifd.Values(i);
    else if (tag == 279)
      layout->counts = ifd.Values(i);
    else if (tag == 278 && !ifd.Values(i).empty())
      layout->rowsPerStrip = ifd.Values(i)[0];
  }
  return !layout->offsets.empty();
}

bool TiffRowsAtStripEnds(const TiffStripLayout& layout, const std::vector<uint32_t>& rowLengths,
                         std::vector<bool>* white, std::string* message) {
  size_t rows = rowLengths.size();
  white->assign(rows, false);
  uint32_t copyLength = (layout.fileLength / 10240 + 1) * 10240;
  uint32_t perStrip = layout.rowsPerStrip != 0 ? layout.rowsPerStrip : (uint32_t)rows;
  for (size_t s = 0; s < layout.offsets.size() && s * perStrip < rows; ++s) {
    uint32_t offset = layout.offsets[s];
    size_t first = s * perStrip, end = std::min(rows, (s + 1) * perStrip);
    uint32_t held;
    if (!layout.counts.empty())
      held = layout.counts[s];
    else
      held = s + 1 < layout.offsets.size() ? layout.offsets[s + 1] - offset : copyLength - offset;
    // Where each row begins; the strip's last row only has to fit.
    uint32_t start = 0;
    for (size_t r = first; r < end; ++r) {
      if (start + 4 >= held)
        (*white)[r] = true;
      start += rowLengths[r];
    }
    if (start - rowLengths[end - 1] >= held || (!layout.counts.empty() && start > held)) {
      *message =
          "strip " + std::to_string(s) + " holds " + std::to_string(held) + " bytes, its rows " + std::to_string(start);
      return false;
    }
  }
  return true;
}

#ifdef TAV_HAVE_LIBTIFF
namespace {

void QuietLibtiff() {
  TIFFSetWarningHandler(nullptr);
  TIFFSetErrorHandler(nullptr);
}

// Takes tag 279 out of the first directory of a file libtiff wrote.
bool RemoveByteCounts(const std::string& path) {
  std::vector<uint8_t> file = ReadBytes(path);
  RawDirectory ifd(file);
  for (uint16_t i = 0; i < ifd.count; ++i) {
    size_t at = ifd.Entry(i);
    if (ifd.Short(at) != 279)
      continue;
    size_t end = ifd.Entry(ifd.count) + 4;
    memmove(&file[at], &file[at + 12], end - at - 12);
    uint16_t less = uint16_t(ifd.count - 1);
    file[ifd.offset] = uint8_t(ifd.big ? less >> 8 : less);
    file[ifd.offset + 1] = uint8_t(ifd.big ? less : less >> 8);
    return TiffWriteBytes(path, file);
  }
  return false;
}

} // namespace
#endif

bool TiffWriteWithLibtiff(const std::string& path, const TiffBitmap& bitmap, const TiffWriteOptions& options) {
#ifdef TAV_HAVE_LIBTIFF
  QuietLibtiff();
  TIFF* tif = TIFFOpen(path.c_str(), options.bigEndian ? "wb" : "wl");
  if (tif == nullptr)
    return false;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, (uint32_t)bitmap.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, (uint32_t)bitmap.height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTRLE);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, options.rowsPerStrip != 0 ? options.rowsPerStrip : (uint32_t)bitmap.height);
  std::vector<uint8_t> row((bitmap.width + 7) / 8);
  bool ok = true;
  for (int y = 0; y < bitmap.height && ok; ++y) {
    std::fill(row.begin(), row.end(), 0);
    for (int x = 0; x < bitmap.width; ++x)
      if (bitmap.at(x, y))
        row[x / 8] |= uint8_t(0x80 >> (x % 8));
    ok = TIFFWriteScanline(tif, row.data(), (uint32_t)y, 0) == 1;
  }
  TIFFClose(tif);
  if (ok && !options.byteCounts)
    ok = RemoveByteCounts(path);
  return ok;
#else
  (void)path, (void)bitmap, (void)options;
  return false;
#endif
}

bool TiffDecodeWithLibtiff(const std::string& path, TiffBitmap* bitmap) {
#ifdef TAV_HAVE_LIBTIFF
  QuietLibtiff();
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (tif == nullptr)
    return false;
  uint32_t width = 0, height = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
  *bitmap = TiffBitmap((int)width, (int)height);
  std::vector<uint8_t> row(TIFFScanlineSize(tif));
  bool ok = true;
  for (uint32_t y = 0; y < height && ok; ++y) {
    ok = TIFFReadScanline(tif, row.data(), y, 0) == 1;
    for (uint32_t x = 0; x < width; ++x)
      bitmap->at((int)x, (int)y) = (row[x / 8] >> (7 - x % 8)) & 1;
  }
  TIFFClose(tif);
  return ok;
#else
  (void)path, (void)bitmap;
  return false;
#endif
}

std::vector<uint8_t> TiffEncodeRows(const TiffBitmap& bitmap) {
  std::vector<uint8_t> rows;
#ifdef TAV_HAVE_LIBTIFF
  std::string path = TiffScratchPath("encode-rows.tif");
  if (!TiffWriteWithLibtiff(path, bitmap, TiffWriteOptions{}))
    return rows;
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (tif == nullptr)
    return rows;
  uint64_t* counts = nullptr;
  if (TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts) && counts != nullptr) {
    rows.resize(counts[0]);
    if (TIFFReadRawStrip(tif, 0, rows.data(), (tmsize_t)rows.size()) != (tmsize_t)rows.size())
      rows.clear();
  }
  TIFFClose(tif);
#else
  (void)bitmap;
#endif
  return rows;
}

std::vector<uint32_t> TiffRowLengths(const TiffBitmap& bitmap) {
  std::vector<uint32_t> lengths;
  std::string path = TiffScratchPath("row-lengths.tif");
  TiffStripLayout layout;
  if (TiffWriteWithLibtiff(path, bitmap, TiffWriteOptions{1, false, true}) && TiffReadStripLayout(path, &layout))
    lengths = layout.counts;
  return lengths;
}

bool TiffHaveGhostscript() {
  return system("gs --version >/dev/null 2>&1") == 0;
}

bool TiffRenderPostScript(const std::string& postscript, const std::string& path, int width, int height) {
  std::string source = path + ".ps";
  if (!TiffWriteBytes(source, std::vector<uint8_t>(postscript.begin(), postscript.end())))
    return false;
  std::ostringstream command;
  command << "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=tiffcrle -r200 -g" << width << "x" << height << " -sOutputFile='"
          << path << "' '" << source << "' >/dev/null 2>&1";
  remove(path.c_str());
  return system(command.str().c_str()) == 0 && !ReadBytes(path).empty();
}

// ---- Records

TiffRecord::TiffRecord() {
  static uintptr_t next = 0x7D000000u;
  next += 16;
  window_ = reinterpret_cast<HWND>(next);
  record_ = TAVIMG_GetImgStruct(window_);
  if (record_ != nullptr)
    InitImgStruct(record_);
}

TiffRecord::~TiffRecord() {
  if (record_ != nullptr)
    TAVIMG_UnloadPicture(window_, record_);
}

int TiffRecord::Load(const std::string& path) {
  if (record_ == nullptr)
    return 0;
  lstrcpynA(record_->TiffPath, path.c_str(), sizeof record_->TiffPath);
  ClearLastErrorCode();
  return LoadTIFF(record_);
}

TiffBitmap TiffExport(ImgStruct* record) {
  int width = record->TIFFSize.x & 0xFFFF, height = record->TIFFSize.y & 0xFFFF;
  size_t stride = (size_t)(width + 31) / 32 * 4;
  std::vector<uint8_t> dib(48 + stride * height, 0);
  if (TAVIMG_DecodeTIFF2DIB(record, dib.data()) != 1)
    return TiffBitmap();
  BITMAPINFOHEADER header;
  memcpy(&header, dib.data(), sizeof header);
  EXPECT_EQ(header.biSize, 40u);
  EXPECT_EQ(header.biWidth, width);
  EXPECT_EQ(header.biHeight, height);
  EXPECT_EQ(header.biBitCount, 1);
  EXPECT_EQ(header.biClrUsed, 2u);
  const uint8_t colours[8] = {255, 255, 255, 0, 0, 0, 0, 0};
  EXPECT_EQ(memcmp(dib.data() + 40, colours, 8), 0);
  TiffBitmap bitmap(width, height);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = dib.data() + 48 + stride * (size_t)(height - 1 - y);
    for (int x = 0; x < width; ++x)
      bitmap.at(x, y) = (row[x / 8] >> (7 - x % 8)) & 1;
    for (int x = width; x < (int)stride * 8; ++x)
      EXPECT_EQ((row[x / 8] >> (7 - x % 8)) & 1, 0) << "padding bit " << x << " of row " << y;
  }
  return bitmap;
}

bool TiffSameRows(const TiffBitmap& a, const TiffBitmap& b, int rows, std::string* message) {
  if (a.width != b.width || a.height < rows || b.height < rows) {
    *message = "sizes differ: " + std::to_string(a.width) + "x" + std::to_string(a.height) + " and " +
               std::to_string(b.width) + "x" + std::to_string(b.height);
    return false;
  }
  std::ostringstream out;
  int wrong = 0;
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < a.width; ++x)
      if (a.at(x, y) != b.at(x, y) && wrong++ < 8)
        out << " (" << x << "," << y << "): " << int(a.at(x, y)) << " vs " << int(b.at(x, y));
  if (wrong != 0)
    *message = std::to_string(wrong) + " pixels differ:" + out.str();
  return wrong == 0;
}
