#include "tiff_files.h"

#include "drf_files.h"
#include "core/core.h"
#include "tiff/tiff.h"

#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <fstream>
#include <random>

#ifdef TAV_HAVE_LIBTIFF
#  include <tiffio.h>
#endif

// ---- Bitmaps and files

TiffBitmap TiffRandomBitmap(int width, int height, uint32_t seed) {
  TiffBitmap bitmap(width, height);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y) {
    int x = 0;
    bool black = random() % 2 == 0;
    while (x < width) {
      int kind = random() % 16;
      int run = kind < 10 ? 1 + random() % 8 : kind < 14 ? 1 + random() % 80 : 1 + random() % 2700;
      for (int end = std::min(x + run, width); x < end; ++x)
        bitmap.at(x, y) = black;
      black = !black;
    }
  }
  return bitmap;
}

std::vector<uint8_t> TiffReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// ---- Hand-made files

void TiffPut(std::vector<uint8_t>& out, uint32_t v, int size, bool big) {
  for (int i = 0; i < size; ++i)
    out.push_back(uint8_t(v >> 8 * (big ? size - 1 - i : i)));
}

std::vector<uint8_t> TiffSpotRecords(const std::vector<TiffSpot>& spots, bool bigEndian) {
  std::vector<uint8_t> bytes;
  for (const TiffSpot& s : spots) {
    for (uint32_t v : {uint32_t(12 + s.name.size() + s.text.size()), uint32_t(s.x), uint32_t(s.y), uint32_t(s.width),
                       uint32_t(s.height)})
      TiffPut(bytes, v, 2, bigEndian);
    bytes.push_back(uint8_t(s.name.size()));
    bytes.insert(bytes.end(), s.name.begin(), s.name.end());
    bytes.push_back(uint8_t(s.text.size()));
    bytes.insert(bytes.end(), s.text.begin(), s.text.end());
    bytes.push_back(s.kind);
    bytes.push_back(0);
  }
  return bytes;
}

uint32_t TiffFileBuilder::AddBytes(const std::vector<uint8_t>& bytes) {
  uint32_t offset = uint32_t(8 + data_.size());
  data_.insert(data_.end(), bytes.begin(), bytes.end());
  return offset;
}

uint32_t TiffFileBuilder::AddNumbers(const std::vector<uint32_t>& values, int size) {
  std::vector<uint8_t> bytes;
  for (uint32_t v : values)
    TiffPut(bytes, v, size, big_);
  return AddBytes(bytes);
}

std::vector<uint8_t> TiffFileBuilder::Build() const {
  std::vector<uint8_t> file(2, big_ ? 'M' : 'I');
  TiffPut(file, 42, 2, big_);
  TiffPut(file, uint32_t(8 + data_.size()), 4, big_);
  file.insert(file.end(), data_.begin(), data_.end());
  TiffPut(file, uint32_t(entries_.size()), 2, big_);
  for (const std::array<uint32_t, 4>& e : entries_) {
    for (int k = 0; k < 3; ++k)
      TiffPut(file, e[k], k < 2 ? 2 : 4, big_);
    const bool oneShort = e[1] == 3 && e[2] == 1;
    TiffPut(file, oneShort && big_ ? e[3] << 16 : e[3], 4, big_);
  }
  TiffPut(file, 0, 4, big_);
  return file;
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

// ---- Reading a directory

namespace {

uint32_t Number(const std::vector<uint8_t>& file, size_t at, int size, bool big) {
  uint32_t v = 0;
  for (int i = 0; i < size && at + size <= file.size(); ++i)
    v |= uint32_t(file[at + i]) << 8 * (big ? size - 1 - i : i);
  return v;
}

} // namespace

uint32_t TiffLe32(const std::vector<uint8_t>& file, size_t at) {
  return Number(file, at, 4, false);
}

const TiffDirEntry* TiffDirectory::Find(uint16_t tag) const {
  for (const TiffDirEntry& e : entries)
    if (e.tag == tag)
      return &e;
  return nullptr;
}

TiffDirectory TiffReadDirectory(const std::vector<uint8_t>& file) {
  TiffDirectory d;
  if (file.size() < 8 || file[0] != file[1] || (file[0] != 'I' && file[0] != 'M'))
    return d;
  d.big = file[0] == 'M';
  d.offset = Number(file, 4, 4, d.big);
  if ((size_t)d.offset + 2 > file.size())
    return d;
  uint16_t count = (uint16_t)Number(file, d.offset, 2, d.big);
  size_t end = (size_t)d.offset + 2 + 12u * count;
  if (end + 4 > file.size())
    return d;
  for (size_t at = d.offset + 2; at < end; at += 12) {
    TiffDirEntry e = {(uint16_t)Number(file, at, 2, d.big),
                      (uint16_t)Number(file, at + 2, 2, d.big),
                      Number(file, at + 4, 4, d.big),
                      Number(file, at + 8, 4, d.big),
                      {}};
    int size = e.type == 3 ? 2 : 4;
    size_t data = e.count * size <= 4 ? at + 8 : e.value;
    for (uint32_t k = 0; (e.type == 3 || e.type == 4) && k < e.count && data + (k + 1) * size <= file.size(); ++k)
      e.values.push_back(Number(file, data + k * size, size, d.big));
    d.entries.push_back(e);
  }
  d.next = Number(file, end, 4, d.big);
  d.ok = true;
  return d;
}

// ---- libtiff

static bool WriteWithLibtiff(const std::string& path, const TiffBitmap& bitmap, const TiffWriteOptions& options) {
#ifdef TAV_HAVE_LIBTIFF
  TIFFSetWarningHandler(nullptr);
  TIFFSetErrorHandler(nullptr);
  TIFF* tif = TIFFOpen(path.c_str(), options.bigEndian ? "wb" : "wl");
  if (tif == nullptr)
    return false;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, (uint32_t)bitmap.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, (uint32_t)bitmap.height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTRLE);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, options.photometric);
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
  if (!ok || options.byteCounts)
    return ok;
  // Tag 279 taken out of the directory libtiff wrote.
  std::vector<uint8_t> file = TiffReadBytes(path);
  TiffDirectory d = TiffReadDirectory(file);
  for (size_t i = 0; i < d.entries.size(); ++i) {
    if (d.entries[i].tag != 279)
      continue;
    size_t at = d.offset + 2 + 12 * i, end = d.offset + 2 + 12 * d.entries.size() + 4;
    memmove(&file[at], &file[at + 12], end - at - 12);
    std::vector<uint8_t> count;
    TiffPut(count, uint32_t(d.entries.size() - 1), 2, d.big);
    std::copy(count.begin(), count.end(), file.begin() + d.offset);
    return drftest::WriteBytes(path, file);
  }
  return false;
#else
  (void)path, (void)bitmap, (void)options;
  return false;
#endif
}

std::string TiffWritten(const std::string& name, const TiffBitmap& bitmap, const TiffWriteOptions& options) {
  const std::string path = drftest::TempPath(name);
  EXPECT_TRUE(WriteWithLibtiff(path, bitmap, options)) << "libtiff could not write " << path;
  return path;
}

bool TiffDecodeWithLibtiff(const std::string& path, TiffBitmap* bitmap) {
#ifdef TAV_HAVE_LIBTIFF
  // Tests judge by what libtiff finds, not by its messages.
  TIFFSetWarningHandler(nullptr);
  TIFFSetErrorHandler(nullptr);
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

std::vector<uint8_t> TiffEncodeRows(const TiffBitmap& bitmap, std::vector<uint32_t>* lengths) {
  std::string path = drftest::TempPath("encode-rows.tif");
  std::vector<uint8_t> file, rows;
  if (WriteWithLibtiff(path, bitmap, TiffWriteOptions{1}))
    file = TiffReadBytes(path);
  TiffDirectory d = TiffReadDirectory(file);
  const TiffDirEntry *offsets = d.Find(273), *counts = d.Find(279);
  for (size_t r = 0; offsets != nullptr && counts != nullptr && r < counts->values.size(); ++r)
    rows.insert(rows.end(), file.begin() + offsets->values[r], file.begin() + offsets->values[r] + counts->values[r]);
  if (lengths != nullptr)
    *lengths = counts != nullptr ? counts->values : std::vector<uint32_t>();
  return rows;
}

// ---- Records

TiffRecord::TiffRecord() : FrameRecord(FrameFakeWindow()) {}

int TiffRecord::Load(const std::string& path) {
  if (get() == nullptr)
    return 0;
  lstrcpynA(get()->TiffPath, path.c_str(), sizeof get()->TiffPath);
  ClearLastErrorCode();
  return LoadTIFF(get());
}

TiffBitmap TiffExport(ImgStruct* record) {
  int width = record->TIFFSize.x & 0xFFFF, height = record->TIFFSize.y & 0xFFFF;
  const size_t stride = TAVIMG_DIB_STRIDE(width, 1);
  std::vector<uint8_t> dib(TAVIMG_TIFF_DIB_SIZE(width, height), 0);
  if (TAVIMG_DecodeTIFF2DIB(record, dib.data()) != 1)
    return TiffBitmap();
  BITMAPINFOHEADER header;
  memcpy(&header, dib.data(), sizeof header);
  EXPECT_EQ(std::vector<long>(
                {(long)header.biSize, header.biWidth, header.biHeight, header.biBitCount, (long)header.biClrUsed}),
            std::vector<long>({40, width, height, 1, 2}));
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
