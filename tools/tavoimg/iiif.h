// A picture with its hotspots as a IIIF Presentation 3 manifest: one canvas
// of the picture's size, painted by the picture's tiled pyramid (its image
// service), and every hotspot an annotation on its rectangle carrying its
// name and text.
#ifndef TAVOIMG_TOOL_IIIF_H
#define TAVOIMG_TOOL_IIIF_H

#include "json.h"
#include "pyramid.h"

#include <string>
#include <vector>

namespace tool {

struct ManifestPlan {
  std::string base;        // the address of the page's folder ending in '/' ("" for addresses relative to it)
  std::string name;        // the manifest's file name in that folder
  std::string service;     // the pyramid's folder name in that folder
  std::string label;       // UTF-8
  std::string description; // UTF-8
  int spaceWidth = 0, spaceHeight = 0; // the size in which the hotspots' rectangles are given
};

// The manifest; the hotspots' names and texts are the library's 8-bit text.
std::string ManifestJson(const ManifestPlan& plan, const Pyramid& pyramid, const std::vector<HotspotSpec>& spots);

} // namespace tool

#endif
