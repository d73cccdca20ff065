// Picture files of the tavoimg tool: reading BMP and PNG pictures, writing
// them, and writing a packed DIB (BITMAPINFOHEADER, colour table, bottom-up
// rows) as a .bmp file byte for byte or as a .png.
#ifndef TAVOIMG_TOOL_IMAGE_IO_H
#define TAVOIMG_TOOL_IMAGE_IO_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tool {

// An RGB picture, 3 bytes per pixel (red, green, blue), top row first.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;

  void Resize(int w, int h) {
    width = w;
    height = h;
    rgb.assign(static_cast<size_t>(w) * h * 3, 0);
  }
  const uint8_t* Pixel(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
  uint8_t* Pixel(int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

enum class PictureFileType { Bmp, Png, Other };

// By the file name's extension (.bmp, .png; any case).
PictureFileType PictureFileTypeOf(const std::string& path);

// Reads a .bmp (1, 4, 8, 16, 24 or 32 bits) or .png picture, recognised by its
// content. Transparent PNG pixels are laid over white.
bool ReadImageFile(const std::string& path, Image& image, std::string& error);

// Writes image as a 24-bit .bmp or an RGB .png, by the extension of path.
bool WriteImageFile(const std::string& path, const Image& image, std::string& error);

// What a DIB header says.
struct DibLayout {
  int width = 0, height = 0; // height > 0
  bool topDown = false;
  int bits = 0;
  uint32_t compression = 0;
  uint32_t colours = 0;    // colour table entries
  size_t colourOffset = 0; // from the start of the DIB
  size_t packedBitsOffset = 0;
  size_t stride = 0;
  uint32_t masks[3] = {0, 0, 0};
};

// Reads a DIB header and checks it against the size bytes that hold it.
bool ReadDibLayout(const uint8_t* dib, size_t size, DibLayout& layout, std::string& error);

// The number of bytes of a packed DIB: its header, colour table and rows;
// 0 when the header is not one that this tool understands or size is short.
size_t PackedDibSize(const uint8_t* dib, size_t size);

// Decodes a packed DIB of 1, 4, 8, 16, 24 or 32 bits (BI_RGB, or BI_BITFIELDS
// at 16 and 32 bits), bottom-up or top-down.
bool DecodeDib(const uint8_t* dib, size_t size, Image& image, std::string& error);

// Writes a packed DIB: as .bmp, a BITMAPFILEHEADER followed by the DIB's own
// bytes unchanged; as .png, an indexed PNG with the DIB's colour table for
// 1-, 4- and 8-bit DIBs, else an RGB PNG.
bool WriteDibFile(const std::string& path, const uint8_t* dib, size_t size, std::string& error);

// Reads a whole file; false when it cannot be opened.
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes);

} // namespace tool

#endif
