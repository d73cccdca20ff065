#include "image_io.h"

#include "output_file.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace tool {

namespace {

uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
}
void PutLe16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

} // namespace

bool ReadDibLayout(const uint8_t* dib, size_t size, DibLayout& d, std::string& error) {
  if (size < 40) {
    error = "the bitmap header is cut off";
    return false;
  }
  uint32_t headerSize = Le32(dib);
  if (headerSize < 40 || headerSize > 124 || headerSize > size) {
    error = "unsupported bitmap header of " + std::to_string(headerSize) + " bytes";
    return false;
  }
  int32_t w = static_cast<int32_t>(Le32(dib + 4));
  int32_t h = static_cast<int32_t>(Le32(dib + 8));
  d.bits = Le16(dib + 14);
  d.compression = Le32(dib + 16);
  uint32_t used = Le32(dib + 32);
  if (w < 1 || w > 65535 || h == 0 || h < -65535 || h > 65535) {
    error = "unsupported bitmap size";
    return false;
  }
  d.width = w;
  d.topDown = h < 0;
  d.height = h < 0 ? -h : h;
  bool bitfields = d.compression == 3 && (d.bits == 16 || d.bits == 32);
  if (!(d.compression == 0 || bitfields) ||
      !(d.bits == 1 || d.bits == 4 || d.bits == 8 || d.bits == 16 || d.bits == 24 || d.bits == 32)) {
    error = "unsupported bitmap: " + std::to_string(d.bits) + " bits, compression " + std::to_string(d.compression);
    return false;
  }
  d.colourOffset = headerSize;
  if (bitfields) {
    size_t at = 40; // after the header, or inside a V4/V5 header at the same place
    if (at + 12 > size) {
      error = "the bitmap's colour masks are cut off";
      return false;
    }
    for (int i = 0; i < 3; ++i) {
      d.masks[i] = Le32(dib + at + 4 * i);
    }
    if (headerSize == 40) {
      d.colourOffset += 12;
    }
  } else if (d.bits == 16) {
    d.masks[0] = 0x7C00;
    d.masks[1] = 0x03E0;
    d.masks[2] = 0x001F;
  } else if (d.bits == 32) {
    d.masks[0] = 0xFF0000;
    d.masks[1] = 0xFF00;
    d.masks[2] = 0xFF;
  }
  if (d.bits <= 8) {
    uint32_t most = 1u << d.bits;
    d.colours = used == 0 ? most : used;
    if (d.colours > most) {
      error = "the bitmap's colour table is longer than its bits allow";
      return false;
    }
  } else {
    d.colours = used > 256 ? 0 : used;
  }
  d.packedBitsOffset = d.colourOffset + 4 * static_cast<size_t>(d.colours);
  d.stride = (static_cast<size_t>(d.width) * d.bits + 31) / 32 * 4;
  return true;
}

namespace {

int MaskShift(uint32_t mask) {
  int shift = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

uint8_t MaskedChannel(uint32_t pixel, uint32_t mask) {
  if (!mask) {
    return 0;
  }
  int shift = MaskShift(mask);
  uint32_t top = mask >> shift;
  return static_cast<uint8_t>(((pixel & mask) >> shift) * 255u / top);
}

// Index of pixel x of a 1-, 4- or 8-bit row.
unsigned IndexAt(const uint8_t* row, int bits, int x) {
  switch (bits) {
  case 1:
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
  case 4:
    return (x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4;
  default:
    return row[x];
  }
}

bool DecodeDibAt(const uint8_t* dib, size_t size, size_t bitsOffset, Image& image, std::string& error) {
  DibLayout d;
  if (!ReadDibLayout(dib, size, d, error)) {
    return false;
  }
  if (d.colourOffset + 4 * static_cast<size_t>(d.colours) > size ||
      bitsOffset + d.stride * static_cast<size_t>(d.height) > size) {
    error = "the bitmap's pixels are cut off";
    return false;
  }
  image.Resize(d.width, d.height);
  const uint8_t* table = dib + d.colourOffset;
  for (int y = 0; y < d.height; ++y) {
    int memoryRow = d.topDown ? y : d.height - 1 - y;
    const uint8_t* row = dib + bitsOffset + d.stride * static_cast<size_t>(memoryRow);
    for (int x = 0; x < d.width; ++x) {
      uint8_t* out = image.Pixel(x, y);
      if (d.bits <= 8) {
        unsigned i = IndexAt(row, d.bits, x);
        if (i >= d.colours) {
          i = 0;
        }
        out[0] = table[4 * i + 2];
        out[1] = table[4 * i + 1];
        out[2] = table[4 * i];
      } else if (d.bits == 24) {
        out[0] = row[3 * x + 2];
        out[1] = row[3 * x + 1];
        out[2] = row[3 * x];
      } else {
        uint32_t pixel = d.bits == 16 ? Le16(row + 2 * x) : Le32(row + 4 * x);
        for (int c = 0; c < 3; ++c) {
          out[c] = MaskedChannel(pixel, d.masks[c]);
        }
      }
    }
  }
  return true;
}

bool ReadPng(const std::string& path, Image& image, std::string& error) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) {
    error = std::string("cannot read PNG: ") + png.message;
    return false;
  }
  if (png.width > 32767 || png.height > 32767 || static_cast<uint64_t>(png.width) * png.height > (1u << 26)) {
    png_image_free(&png);
    error = "the PNG picture is too large";
    return false;
  }
  png.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, rgba.data(), 0, nullptr)) {
    error = std::string("cannot read PNG: ") + png.message;
    png_image_free(&png);
    return false;
  }
  image.Resize(static_cast<int>(png.width), static_cast<int>(png.height));
  for (size_t i = 0, n = static_cast<size_t>(png.width) * png.height; i < n; ++i) {
    unsigned a = rgba[4 * i + 3];
    for (int c = 0; c < 3; ++c) {
      image.rgb[3 * i + c] = static_cast<uint8_t>((rgba[4 * i + c] * a + 255 * (255 - a) + 127) / 255);
    }
  }
  return true;
}

// pixels: indices into colourMap, else grey levels (grey) or RGB.
bool WritePng(const std::string& path, int width, int height, const uint8_t* pixels, const uint8_t* colourMap,
              unsigned colourCount, std::string& error, bool grey = false) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(width);
  png.height = static_cast<png_uint_32>(height);
  png.format = colourMap ? PNG_FORMAT_RGB_COLORMAP : grey ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB;
  png.colormap_entries = colourMap ? colourCount : 0;
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(png, size, 0, pixels, 0, colourMap)) {
    error = "cannot write " + path + ": " + png.message;
    return false;
  }
  std::vector<uint8_t> bytes(size);
  if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, pixels, 0, colourMap)) {
    error = "cannot write " + path + ": " + png.message;
    return false;
  }
  return WriteWholeFile(path, bytes.data(), size, error);
}

} // namespace

PictureFileType PictureFileTypeOf(const std::string& path) {
  std::string lower = Lower(path);
  auto endsWith = [&](const char* ext) {
    size_t n = std::strlen(ext);
    return lower.size() > n && lower.compare(lower.size() - n, n, ext) == 0;
  };
  if (endsWith(".bmp")) {
    return PictureFileType::Bmp;
  }
  if (endsWith(".png")) {
    return PictureFileType::Png;
  }
  return PictureFileType::Other;
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!f) {
    return false;
  }
  bytes.clear();
  uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  return !std::ferror(f.get());
}

bool ReadImageFile(const std::string& path, Image& image, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) {
    error = "cannot open " + path;
    return false;
  }
  static const uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), pngSignature, 8) == 0) {
    return ReadPng(path, image, error);
  }
  if (bytes.size() >= 14 + 40 && bytes[0] == 'B' && bytes[1] == 'M') {
    uint32_t offBits = Le32(&bytes[10]);
    if (offBits < 14 + 40 || offBits > bytes.size()) {
      error = path + ": the BMP's pixel offset lies outside the file";
      return false;
    }
    if (!DecodeDibAt(&bytes[14], bytes.size() - 14, offBits - 14, image, error)) {
      error = path + ": " + error;
      return false;
    }
    return true;
  }
  error = path + " is neither a BMP nor a PNG picture";
  return false;
}

bool WriteImageFile(const std::string& path, const Image& image, std::string& error) {
  if (PictureFileTypeOf(path) == PictureFileType::Png) {
    // A grey picture (a TIFF reduced to grey levels) as a grey PNG: the same
    // pixels in a third of the bytes to compress.
    std::vector<uint8_t> grey;
    grey.reserve(image.rgb.size() / 3);
    for (size_t i = 0; i + 2 < image.rgb.size() && image.rgb[i] == image.rgb[i + 1] && image.rgb[i] == image.rgb[i + 2];
         i += 3) {
      grey.push_back(image.rgb[i]);
    }
    if (grey.size() == image.rgb.size() / 3) {
      return WritePng(path, image.width, image.height, grey.data(), nullptr, 0, error, true);
    }
    return WritePng(path, image.width, image.height, image.rgb.data(), nullptr, 0, error);
  }
  size_t stride = (static_cast<size_t>(image.width) * 24 + 31) / 32 * 4;
  std::vector<uint8_t> out;
  out.reserve(54 + stride * image.height);
  out.push_back('B');
  out.push_back('M');
  PutLe32(out, static_cast<uint32_t>(54 + stride * image.height));
  PutLe32(out, 0);
  PutLe32(out, 54);
  PutLe32(out, 40);
  PutLe32(out, static_cast<uint32_t>(image.width));
  PutLe32(out, static_cast<uint32_t>(image.height));
  PutLe16(out, 1);
  PutLe16(out, 24);
  for (int i = 0; i < 6; ++i) {
    PutLe32(out, 0);
  }
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = image.Pixel(x, y);
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
    }
    out.resize(out.size() + stride - 3 * static_cast<size_t>(image.width), 0);
  }
  return WriteWholeFile(path, out.data(), out.size(), error);
}

size_t PackedDibSize(const uint8_t* dib, size_t size) {
  DibLayout d;
  std::string ignored;
  if (!ReadDibLayout(dib, size, d, ignored)) {
    return 0;
  }
  size_t total = d.packedBitsOffset + d.stride * static_cast<size_t>(d.height);
  return total <= size ? total : 0;
}

bool DecodeDib(const uint8_t* dib, size_t size, Image& image, std::string& error) {
  DibLayout d;
  if (!ReadDibLayout(dib, size, d, error)) {
    return false;
  }
  return DecodeDibAt(dib, size, d.packedBitsOffset, image, error);
}

bool WriteDibFile(const std::string& path, const uint8_t* dib, size_t size, std::string& error) {
  DibLayout d;
  if (!ReadDibLayout(dib, size, d, error)) {
    return false;
  }
  size_t total = PackedDibSize(dib, size);
  if (total == 0) {
    error = "the bitmap's pixels are cut off";
    return false;
  }
  if (PictureFileTypeOf(path) == PictureFileType::Bmp) {
    std::vector<uint8_t> out;
    out.reserve(14 + total);
    out.push_back('B');
    out.push_back('M');
    PutLe32(out, static_cast<uint32_t>(14 + total));
    PutLe32(out, 0);
    PutLe32(out, static_cast<uint32_t>(14 + d.packedBitsOffset));
    out.insert(out.end(), dib, dib + total);
    return WriteWholeFile(path, out.data(), out.size(), error);
  }
  if (d.bits > 8) {
    Image image;
    return DecodeDib(dib, size, image, error) && WriteImageFile(path, image, error);
  }
  // Indexed: the DIB's own colour table and indices.
  std::vector<uint8_t> colourMap(3 * static_cast<size_t>(d.colours));
  for (uint32_t i = 0; i < d.colours; ++i) {
    const uint8_t* q = dib + d.colourOffset + 4 * i;
    colourMap[3 * i] = q[2];
    colourMap[3 * i + 1] = q[1];
    colourMap[3 * i + 2] = q[0];
  }
  std::vector<uint8_t> indices(static_cast<size_t>(d.width) * d.height);
  for (int y = 0; y < d.height; ++y) {
    int memoryRow = d.topDown ? y : d.height - 1 - y;
    const uint8_t* row = dib + d.packedBitsOffset + d.stride * static_cast<size_t>(memoryRow);
    for (int x = 0; x < d.width; ++x) {
      unsigned i = IndexAt(row, d.bits, x);
      indices[static_cast<size_t>(y) * d.width + x] = static_cast<uint8_t>(i < d.colours ? i : 0);
    }
  }
  return WritePng(path, d.width, d.height, indices.data(), colourMap.data(), d.colours, error);
}

} // namespace tool
