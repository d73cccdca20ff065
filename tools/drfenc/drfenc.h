// DRF encoder: writes DRF pictures of kinds 5, 6, 7 and 8, with or without
// the header extension, and their hotspots as a full or a compact raster
// table. Plain C++; used by the tests, the benchmarks and `tavoimg make-drf`.
//
// Rows are compressed as a real encoder would: runs where pixels repeat,
// literals elsewhere, so that the library's decoders give back exactly the
// pixels written.
#ifndef TAV_DRFENC_H
#define TAV_DRFENC_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace drfenc {

// Picture kinds.
enum : int {
  kKindFourColourTiff = 5, // four colours, with a companion TIFF
  kKindColour = 6,         // 240 colours from the colour block
  kKindGrey = 7,           // 64 grey levels
  kKindFourColourEmpty = 8 // four colours, no picture data
};

// File layout.
constexpr size_t kHeaderBytes = 11;
constexpr size_t kExtensionBytes = 50;
constexpr size_t kMainInfoBytes = 10;
constexpr size_t kColourBlockBytes = 722; // kind 6: 2 bytes, then 240 x (red, green, blue) of 0..63
constexpr size_t kCompactHeadBytes = 5;
constexpr size_t kFullRasterBytes = 72;
constexpr size_t kNameChars = 32;
constexpr size_t kTextChars = 25;
constexpr int kColourCount = 240;
constexpr size_t kMaxRowRecord = 65535;

// Header fields (offsets from the start of the file).
constexpr size_t kHeaderFlagsAt = 1;
constexpr size_t kRasterOffsetAt = 3; // 32-bit
constexpr size_t kRasterCountAt = 7;  // 16-bit
constexpr uint8_t kFlagCompactRaster = 0x01;
constexpr uint8_t kFlagHeaderExtension = 0x10;

// MainPictureInfo fields (offsets from its start: 11, or 61 with the extension).
constexpr size_t kPictureFlagAt = 0;
constexpr size_t kWidthAt = 1;    // 16-bit
constexpr size_t kHeightAt = 3;   // 16-bit
constexpr size_t kDataSizeAt = 5; // 32-bit
constexpr size_t kKindAt = 9;

struct Rgb6 {
  uint8_t red = 0, green = 0, blue = 0; // each 0 to 63
};

struct Hotspot {
  std::string name; // full form: up to 31 characters; compact form: up to 32
  std::string text; // full form: up to 24 characters; compact form: up to 25
  uint8_t kind = 0; // full form: bits 0 to 2; compact form: one kind byte shared by all hotspots
  int16_t left = 0, top = 0, right = 0, bottom = 0;
};

enum class RasterForm { Full, Compact };

struct DrfOptions {
  bool headerExtension = false;
  RasterForm rasterForm = RasterForm::Full;
  int8_t pictureFlag = 1;       // 0: the picture is neither drawn nor copied
  bool writeRasterTable = true; // false, or no hotspots: RasterOffset 0
};

struct DrfPicture {
  int kind = kKindGrey;
  int width = 0;  // 1 to 32767
  int height = 0; // 1 to 32767
  // width x height colour indices, top row first: kinds 5 and 8: 0 to 3
  // (kind 8 must be all 0), kind 6: 0 to 239, kind 7: 0 to 63.
  std::vector<uint8_t> pixels;
  std::vector<Rgb6> colours; // kind 6: up to 240 colours; missing ones are black
  std::vector<Hotspot> hotspots;
  DrfOptions options;
};

// The picture data (the bytes after MainPictureInfo) and the whole file.
// Both return false and set *error when the picture cannot be written.
bool EncodePictureData(const DrfPicture& picture, std::vector<uint8_t>& out, std::string* error = nullptr);
bool EncodeDrf(const DrfPicture& picture, std::vector<uint8_t>& out, std::string* error = nullptr);
bool WriteDrfFile(const std::string& path, const DrfPicture& picture, std::string* error = nullptr);

// A whole file around picture data made elsewhere: the header, MainPictureInfo
// (kind, width and height of the picture taken as they are, DataSize from
// data), data and the raster table of the picture's hotspots. For files
// that the encoder would not write itself, such as test cases.
std::vector<uint8_t> AssembleDrf(const DrfPicture& picture, const std::vector<uint8_t>& data);

// Row records: each appends one compressed row of width pixels to out.
void EncodeRowKind5(const uint8_t* pixels, int width, std::vector<uint8_t>& out);
void EncodeRowKind6(const uint8_t* pixels, int width, std::vector<uint8_t>& out);
void EncodeRowKind7(const uint8_t* pixels, int width, std::vector<uint8_t>& out);

// The colour table the library gives a picture of this kind (red, green,
// blue); background is colour 0 of kinds 5 and 8 (white unless the record's
// background was changed). Empty for other kinds.
std::vector<std::array<uint8_t, 3>> KindColourTable(const DrfPicture& picture,
                                                    std::array<uint8_t, 3> background = {255, 255, 255});

// Offset of MainPictureInfo in a file written with these options.
inline size_t MainInfoOffset(const DrfOptions& options) {
  return kHeaderBytes + (options.headerExtension ? kExtensionBytes : 0);
}

} // namespace drfenc

#endif
