// DRF encoder. Row records:
//   kind 5: 16-bit length (big-endian) of the codes that follow; a code is a
//           run (count << 3 | colour << 1 | 1, count 0 to 31) or a literal
//           (n << 1, n 0 to 127) followed by n pixels of 2 bits, four to a
//           byte, lowest pair first.
//   kind 6: 16-bit length of the whole record (its length bytes included);
//           a code is a pixel (colour + 16) or a run (count 0 to 15, then
//           colour + 16). The record's last byte never begins a code.
//   kind 7: 16-bit length of the whole record; a code is
//           (count - 1) << 6 | grey, count 1 to 4.
#include "drfenc.h"

#include <algorithm>
#include <cstdio>

namespace drfenc {
namespace {

// Shortest run worth a run code. Kind 5: a run costs one byte, the same
// pixels cost a quarter byte each inside a literal plus the cost of breaking
// it. Kind 6: a run costs two bytes, a pixel one.
constexpr int kMinRunKind5 = 6;
constexpr int kMinRunKind6 = 3;
constexpr int kMaxRunKind5 = 31;
constexpr int kMaxRunKind6 = 15;
constexpr int kMaxLiteralKind5 = 127;
constexpr int kMaxRunKind7 = 4;

int RunLength(const uint8_t* pixels, int from, int width, int limit) {
  int n = 1;
  while (from + n < width && n < limit && pixels[from + n] == pixels[from])
    ++n;
  return n;
}

void PutU16(std::vector<uint8_t>& out, size_t at, unsigned value) {
  out[at] = (uint8_t)(value & 0xFF);
  out[at + 1] = (uint8_t)((value >> 8) & 0xFF);
}

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    out[at + i] = (uint8_t)(value >> (8 * i));
}

void AppendU16(std::vector<uint8_t>& out, unsigned value) {
  out.push_back((uint8_t)(value & 0xFF));
  out.push_back((uint8_t)((value >> 8) & 0xFF));
}

// Reserves the big-endian row length and returns where it goes.
size_t BeginRow(std::vector<uint8_t>& out) {
  size_t at = out.size();
  out.push_back(0);
  out.push_back(0);
  return at;
}

void EndRow(std::vector<uint8_t>& out, size_t at, size_t length) {
  out[at] = (uint8_t)(length >> 8);
  out[at + 1] = (uint8_t)(length & 0xFF);
}

void AppendKind5Literal(const uint8_t* pixels, int count, std::vector<uint8_t>& out) {
  out.push_back((uint8_t)(count << 1));
  for (int i = 0; i < count; i += 4) {
    uint8_t packed = 0;
    for (int k = 0; k < 4 && i + k < count; ++k)
      packed |= (uint8_t)((pixels[i + k] & 3) << (2 * k));
    out.push_back(packed);
  }
}

bool Fail(std::string* error, const std::string& text) {
  if (error != nullptr)
    *error = text;
  return false;
}

bool CheckPicture(const DrfPicture& picture, std::string* error) {
  const int kind = picture.kind;
  if (kind < kKindFourColourTiff || kind > kKindFourColourEmpty)
    return Fail(error, "kind must be 5, 6, 7 or 8");
  if (picture.width < 1 || picture.width > 32767 || picture.height < 1 || picture.height > 32767)
    return Fail(error, "width and height must be 1 to 32767");
  const size_t count = (size_t)picture.width * (size_t)picture.height;
  if (kind == kKindFourColourEmpty) {
    if (!picture.pixels.empty() && picture.pixels.size() != count)
      return Fail(error, "pixel count does not match width x height");
    for (uint8_t p : picture.pixels)
      if (p != 0)
        return Fail(error, "a kind 8 picture has colour 0 only");
  } else if (picture.pixels.size() != count) {
    return Fail(error, "pixel count does not match width x height");
  }
  const int limit = kind == kKindColour ? kColourCount : (kind == kKindGrey ? 64 : 4);
  for (uint8_t p : picture.pixels)
    if (p >= limit)
      return Fail(error, "pixel value out of range for the kind");
  if (picture.colours.size() > (size_t)kColourCount)
    return Fail(error, "at most 240 colours");
  for (const Rgb6& c : picture.colours)
    if (c.red > 63 || c.green > 63 || c.blue > 63)
      return Fail(error, "colour components are 0 to 63");
  if (picture.hotspots.size() > 32767)
    return Fail(error, "at most 32767 hotspots");
  const bool compact = picture.options.rasterForm == RasterForm::Compact;
  for (const Hotspot& h : picture.hotspots) {
    if (h.name.size() > (compact ? kNameChars : kNameChars - 1) ||
        h.text.size() > (compact ? kTextChars : kTextChars - 1))
      return Fail(error, "hotspot name or text too long for the raster form");
    if (h.name.find('\0') != std::string::npos || h.text.find('\0') != std::string::npos)
      return Fail(error, "hotspot name and text cannot hold a zero byte");
    if (compact) {
      const Hotspot& first = picture.hotspots.front();
      if (h.right - h.left != first.right - first.left || h.bottom - h.top != first.bottom - first.top ||
          h.kind != first.kind)
        return Fail(error, "the compact raster form needs hotspots of one size and one kind");
    }
  }
  return true;
}

void AppendRasterTable(const DrfPicture& picture, std::vector<uint8_t>& out) {
  const std::vector<Hotspot>& spots = picture.hotspots;
  if (picture.options.rasterForm == RasterForm::Compact) {
    const Hotspot& first = spots.front();
    AppendU16(out, (uint16_t)(first.right - first.left));
    AppendU16(out, (uint16_t)(first.bottom - first.top));
    out.push_back(first.kind);
    for (const Hotspot& h : spots) {
      AppendU16(out, (uint16_t)h.left);
      AppendU16(out, (uint16_t)h.top);
      out.insert(out.end(), h.name.begin(), h.name.end());
      if (h.name.size() < kNameChars)
        out.push_back(0);
      out.insert(out.end(), h.text.begin(), h.text.end());
      if (h.text.size() < kTextChars)
        out.push_back(0);
    }
    return;
  }
  for (const Hotspot& h : spots) {
    size_t at = out.size();
    out.resize(at + kFullRasterBytes, 0);
    std::copy_n(h.name.begin(), std::min(h.name.size(), kNameChars), out.begin() + at);
    PutU16(out, at + 32, (uint16_t)h.left);
    PutU16(out, at + 34, (uint16_t)h.top);
    PutU16(out, at + 36, (uint16_t)h.right);
    PutU16(out, at + 38, (uint16_t)h.bottom);
    std::copy_n(h.text.begin(), std::min(h.text.size(), kTextChars), out.begin() + at + 40);
    out[at + 65] = (h.kind >> 1) & 1;
    out[at + 66] = h.kind & 1;
    out[at + 67] = (h.kind >> 2) & 1;
  }
}

} // namespace

void EncodeRowKind5(const uint8_t* pixels, int width, std::vector<uint8_t>& out) {
  const size_t at = BeginRow(out);
  int literalStart = 0, literalCount = 0;
  auto flush = [&] {
    if (literalCount > 0)
      AppendKind5Literal(pixels + literalStart, literalCount, out);
    literalCount = 0;
  };
  for (int x = 0; x < width;) {
    int run = RunLength(pixels, x, width, kMaxRunKind5);
    if (run >= kMinRunKind5) {
      flush();
      out.push_back((uint8_t)(run << 3 | (pixels[x] & 3) << 1 | 1));
      x += run;
      continue;
    }
    if (literalCount == 0)
      literalStart = x;
    if (++literalCount == kMaxLiteralKind5)
      flush();
    ++x;
  }
  flush();
  EndRow(out, at, out.size() - at - 2);
}

void EncodeRowKind6(const uint8_t* pixels, int width, std::vector<uint8_t>& out) {
  const size_t at = BeginRow(out);
  bool lastIsPixel = false;
  for (int x = 0; x < width;) {
    int run = RunLength(pixels, x, width, kMaxRunKind6);
    if (run >= kMinRunKind6) {
      out.push_back((uint8_t)run);
      out.push_back((uint8_t)(pixels[x] + 16));
      x += run;
      lastIsPixel = false;
    } else {
      out.push_back((uint8_t)(pixels[x] + 16));
      ++x;
      lastIsPixel = true;
    }
  }
  // A single-byte code cannot be the record's last byte.
  if (lastIsPixel)
    out.push_back(0);
  EndRow(out, at, out.size() - at);
}

void EncodeRowKind7(const uint8_t* pixels, int width, std::vector<uint8_t>& out) {
  const size_t at = BeginRow(out);
  for (int x = 0; x < width;) {
    int run = RunLength(pixels, x, width, kMaxRunKind7);
    out.push_back((uint8_t)((run - 1) << 6 | (pixels[x] & 63)));
    x += run;
  }
  EndRow(out, at, out.size() - at);
}

bool EncodePictureData(const DrfPicture& picture, std::vector<uint8_t>& out, std::string* error) {
  out.clear();
  if (!CheckPicture(picture, error))
    return false;
  if (picture.kind == kKindFourColourEmpty)
    return true;
  if (picture.kind == kKindColour) {
    out.resize(kColourBlockBytes, 0);
    for (size_t i = 0; i < picture.colours.size(); ++i) {
      out[2 + 3 * i] = picture.colours[i].red;
      out[3 + 3 * i] = picture.colours[i].green;
      out[4 + 3 * i] = picture.colours[i].blue;
    }
  }
  const size_t w = (size_t)picture.width;
  for (int y = 0; y < picture.height; ++y) {
    const uint8_t* row = picture.pixels.data() + (size_t)y * w;
    switch (picture.kind) {
    case kKindFourColourTiff:
      EncodeRowKind5(row, picture.width, out);
      break;
    case kKindColour:
      EncodeRowKind6(row, picture.width, out);
      break;
    default:
      EncodeRowKind7(row, picture.width, out);
      break;
    }
  }
  return true;
}

std::vector<uint8_t> AssembleDrf(const DrfPicture& picture, const std::vector<uint8_t>& data) {
  const DrfOptions& options = picture.options;
  const bool raster = options.writeRasterTable && !picture.hotspots.empty();
  const size_t mainAt = MainInfoOffset(options);
  std::vector<uint8_t> out(mainAt + kMainInfoBytes, 0);
  out[kHeaderFlagsAt] = (uint8_t)((options.headerExtension ? kFlagHeaderExtension : 0) |
                                  (options.rasterForm == RasterForm::Compact ? kFlagCompactRaster : 0));
  out[mainAt + kPictureFlagAt] = (uint8_t)options.pictureFlag;
  PutU16(out, mainAt + kWidthAt, (uint16_t)picture.width);
  PutU16(out, mainAt + kHeightAt, (uint16_t)picture.height);
  PutU32(out, mainAt + kDataSizeAt, (uint32_t)data.size());
  out[mainAt + kKindAt] = (uint8_t)picture.kind;
  out.insert(out.end(), data.begin(), data.end());
  if (raster) {
    PutU32(out, kRasterOffsetAt, (uint32_t)out.size());
    PutU16(out, kRasterCountAt, (uint16_t)picture.hotspots.size());
    AppendRasterTable(picture, out);
  }
  return out;
}

bool EncodeDrf(const DrfPicture& picture, std::vector<uint8_t>& out, std::string* error) {
  std::vector<uint8_t> data;
  if (!EncodePictureData(picture, data, error))
    return false;
  out = AssembleDrf(picture, data);
  return true;
}

bool WriteDrfFile(const std::string& path, const DrfPicture& picture, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!EncodeDrf(picture, bytes, error))
    return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr)
    return Fail(error, "cannot create " + path);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed)
    return Fail(error, "cannot write " + path);
  return true;
}

std::vector<std::array<uint8_t, 3>> KindColourTable(const DrfPicture& picture, std::array<uint8_t, 3> background) {
  std::vector<std::array<uint8_t, 3>> table;
  switch (picture.kind) {
  case kKindFourColourTiff:
  case kKindFourColourEmpty:
    table = {background, {170, 170, 170}, {85, 85, 85}, {0, 0, 0}};
    break;
  case kKindColour:
    table.assign(kColourCount, {0, 0, 0});
    for (size_t i = 0; i < picture.colours.size(); ++i) {
      const Rgb6& c = picture.colours[i];
      table[i] = {(uint8_t)(c.red * 4), (uint8_t)(c.green * 4), (uint8_t)(c.blue * 4)};
    }
    break;
  case kKindGrey:
    for (int i = 0; i < 64; ++i)
      table.push_back({(uint8_t)(4 * i), (uint8_t)(4 * i), (uint8_t)(4 * i)});
    break;
  default:
    break;
  }
  return table;
}

} // namespace drfenc
