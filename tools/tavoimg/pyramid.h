// A picture as a tiled pyramid in the static layout of the IIIF Image API 3.0
// (compliance level 0): FOLDER/info.json and one PNG per tile at
// FOLDER/REGION/SIZE/0/default.png, REGION and SIZE in their canonical forms.
// Level 0 is the picture at full size; each further level is half the one
// before (sizes rounded up), down to the first that fits in one tile, so a
// picture no larger than a tile is a single image.
#ifndef TAVOIMG_TOOL_PYRAMID_H
#define TAVOIMG_TOOL_PYRAMID_H

#include "image_io.h"
#include "json.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tool {

const int kTileSize = 512;

struct Pyramid {
  int width = 0, height = 0;
  int levels = 0; // scale factors 1, 2, 4, ... 2^(levels - 1)
  Image smallest; // the last level's pixels, for thumbnails
};

// Writes the tiles of a packed DIB (as the library exports it) into folder,
// replacing whatever was there only once every tile is written. A 1-bit
// picture keeps its two colours at full size and is reduced to the five grey
// levels with which the library draws a reduced bilevel page; other pictures
// keep their colour table at full size and are reduced to mean colours.
// threads (at least 1) share the compression. The folder's info.json names
// id as the address of the folder. Throws Failure.
Pyramid WritePyramid(const uint8_t* dib, size_t size, const std::string& folder, const std::string& id, int threads);

// The pyramid's info.json.
Json ImageInfo(const Pyramid& pyramid, const std::string& id);

} // namespace tool

#endif
