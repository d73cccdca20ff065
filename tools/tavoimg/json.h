// The hotspot list as JSON, read by make-drf and written by "hotspots --json":
//
//   [
//     {"number": 0, "name": "item-01", "text": "Housing", "kind": 1, "rect": [10, 20, 110, 60]},
//     ...
//   ]
//
// rect is left, top, right, bottom in picture pixels; "number" is written for
// reference and ignored when read; "text" and "kind" may be left out (empty,
// 0). Names and texts are 8-bit strings: bytes above 127 are written as
// \u00XX and read back to the same byte. A tiny reader and writer of our own.
#ifndef TAVOIMG_TOOL_JSON_H
#define TAVOIMG_TOOL_JSON_H

#include <string>
#include <vector>

namespace tool {

struct HotspotSpec {
  int number = -1;
  std::string name;
  std::string text;
  int kind = 0;
  int rect[4] = {0, 0, 0, 0}; // left, top, right, bottom
};

bool ParseHotspotsJson(const std::string& text, std::vector<HotspotSpec>& spots, std::string& error);
std::string HotspotsToJson(const std::vector<HotspotSpec>& spots);

} // namespace tool

#endif
