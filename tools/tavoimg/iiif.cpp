#include "iiif.h"

#include "text.h"

#include <algorithm>
#include <cmath>

namespace tool {

namespace {

Json Text(const std::string& utf8) {
  return {{"none", {utf8}}};
}

// A rectangle of the hotspot space as whole picture pixels.
std::string Fragment(const HotspotSpec& s, double fx, double fy) {
  double l = std::min(s.rect[0], s.rect[2]) * fx, r = std::max(s.rect[0], s.rect[2]) * fx;
  double t = std::min(s.rect[1], s.rect[3]) * fy, b = std::max(s.rect[1], s.rect[3]) * fy;
  auto whole = [](double v) { return std::to_string(static_cast<long>(std::lround(v))); };
  return "xywh=" + whole(l) + "," + whole(t) + "," + whole(r - l) + "," + whole(b - t);
}

} // namespace

std::string ManifestJson(const ManifestPlan& plan, const Pyramid& pyramid, const std::vector<HotspotSpec>& spots) {
  std::string id = plan.base + UrlPath(plan.name).substr(2), canvas = id + "/canvas";
  std::string service = plan.base + UrlPath(plan.service).substr(2);
  // The smallest level is one file that every level-0 service holds.
  int scale = 1 << (pyramid.levels - 1);
  int smallW = (pyramid.width + scale - 1) / scale, smallH = (pyramid.height + scale - 1) / scale;
  std::string picture = service + "/full/" +
                        (scale == 1 ? "max" : std::to_string(smallW) + "," + std::to_string(smallH)) + "/0/default.png";
  Json painting = {{"id", id + "/painting"},
                   {"type", "Annotation"},
                   {"motivation", "painting"},
                   {"body",
                    {{"id", picture},
                     {"type", "Image"},
                     {"format", "image/png"},
                     {"width", pyramid.width},
                     {"height", pyramid.height},
                     {"service", {{{"id", service}, {"type", "ImageService3"}, {"profile", "level0"}}}}}},
                   {"target", canvas}};
  double fx = plan.spaceWidth > 0 ? static_cast<double>(pyramid.width) / plan.spaceWidth : 1.0;
  double fy = plan.spaceHeight > 0 ? static_cast<double>(pyramid.height) / plan.spaceHeight : 1.0;
  Json notes = Json::array();
  for (size_t i = 0; i < spots.size(); ++i) {
    std::string name = Cp1252ToUtf8(spots[i].name), text = Cp1252ToUtf8(spots[i].text);
    Json bodies = {{{"type", "TextualBody"}, {"value", name}, {"purpose", "tagging"}, {"format", "text/plain"}}};
    if (!text.empty()) {
      bodies.push_back({{"type", "TextualBody"}, {"value", text}, {"purpose", "describing"}, {"format", "text/plain"}});
    }
    notes.push_back({{"id", id + "/hotspot/" + std::to_string(i)},
                     {"type", "Annotation"},
                     {"motivation", "commenting"},
                     {"label", Text(name)},
                     {"body", bodies},
                     {"target", canvas + "#" + Fragment(spots[i], fx, fy)}});
  }
  Json manifest = {{"@context", "http://iiif.io/api/presentation/3/context.json"},
                   {"id", id},
                   {"type", "Manifest"},
                   {"label", Text(plan.label)},
                   {"summary", Text(plan.description)},
                   {"items",
                    {{{"id", canvas},
                      {"type", "Canvas"},
                      {"width", pyramid.width},
                      {"height", pyramid.height},
                      {"items", {{{"id", id + "/page"}, {"type", "AnnotationPage"}, {"items", {painting}}}}},
                      {"annotations", {{{"id", id + "/hotspots"}, {"type", "AnnotationPage"}, {"items", notes}}}}}}}};
  return manifest.dump(1, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace tool
