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
// 8-bit Windows-1252 strings, and converted both ways. A tiny reader and
// writer of our own.
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

// Windows-1252 to UTF-8 (the five bytes that code page leaves undefined
// become U+0081, U+008D, U+008F, U+0090 and U+009D, so every byte comes back).
std::string Cp1252ToUtf8(const std::string& bytes);
// UTF-8 to Windows-1252; false for text that is not UTF-8 or holds a
// character that the code page lacks.
bool Utf8ToCp1252(const std::string& text, std::string& bytes);

// A JSON string of UTF-8 text: quotes, backslashes, control characters and
// '<' escaped, so that the result may stand inside an HTML script element.
std::string JsonString(const std::string& utf8);

bool ParseHotspotsJson(const std::string& text, std::vector<HotspotSpec>& spots, std::string& error);
std::string HotspotsToJson(const std::vector<HotspotSpec>& spots);

} // namespace tool

#endif
