// Reducing an RGB picture to the pixels a DRF kind holds: four colours
// (kind 5), 64 grey levels (kind 7), or at most 240 colours of 6 bits per
// channel (kind 6).
#ifndef TAVOIMG_TOOL_QUANTIZE_H
#define TAVOIMG_TOOL_QUANTIZE_H

#include "image_io.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tool {

struct IndexedPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> index; // one per pixel, top row first
  // Kind 6 only: the colours, each channel 0 to 63 (shown as that value × 4).
  std::vector<std::array<uint8_t, 3>> palette;
};

// Kind 5: colour 0 white (the background), 1 grey 170, 2 grey 85, 3 black,
// the nearest by brightness.
IndexedPicture MapToFourColours(const Image& image);

// Kind 7: grey level i shows as 4i; the nearest by brightness.
IndexedPicture MapToGreys(const Image& image);

// Kind 6: each channel to 6 bits; when more than maxColours colours remain,
// median cut down to maxColours and every pixel to its nearest colour.
IndexedPicture MapToPalette(const Image& image, int maxColours);

} // namespace tool

#endif
