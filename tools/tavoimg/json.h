// The hotspot list as JSON, read by make-drf and written by "hotspots --json":
//
//   [
//     {"number": 0, "name": "item-01", "text": "Housing", "kind": 1, "rect": [10, 20, 110, 60]},
//     ...
//   ]
//
// rect is left, top, right, bottom in picture pixels; "number" is written for
// reference and ignored when read; "text" and "kind" may be left out (empty,
// 0). The file is UTF-8; names and texts are held as the library holds them,
// 8-bit Windows-1252 strings, and converted both ways.
#ifndef TAVOIMG_TOOL_JSON_H
#define TAVOIMG_TOOL_JSON_H

#include "text.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace tool {

// Members keep the order they were set in, so that what the tool writes
// reads the same from run to run.
using Json = nlohmann::ordered_json;

struct HotspotSpec {
  int number = -1;
  std::string name;
  std::string text;
  int kind = 0;
  int rect[4] = {0, 0, 0, 0}; // left, top, right, bottom
};

// JSON text on one line. Bytes that are not UTF-8 (a file name may hold
// them) become U+FFFD, and every '<' is written \u003c, so that the text may
// stand inside an HTML script element.
std::string JsonText(const Json& value);

// An array with one item a line, so that a list of hundreds or millions of
// items stays readable and compares line by line.
std::string JsonLines(const Json& array);

bool ParseHotspotsJson(const std::string& text, std::vector<HotspotSpec>& spots, std::string& error);
std::string HotspotsToJson(const std::vector<HotspotSpec>& spots);

} // namespace tool

#endif
