#include "json.h"

#include <cmath>

namespace tool {

std::string JsonText(const Json& value) {
  std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace), out;
  for (char c : text) {
    out += c == '<' ? std::string("\\u003c") : std::string(1, c);
  }
  return out;
}

namespace {

bool WholeNumber(const nlohmann::json& v, long low, long high, int& out) {
  if (!v.is_number() || v.get<double>() != std::floor(v.get<double>()) || v.get<double>() < low ||
      v.get<double>() > high) {
    return false;
  }
  out = static_cast<int>(v.get<double>());
  return true;
}

// A member that must be a string of Windows-1252 characters when present.
bool TextMember(const nlohmann::json& item, const char* key, std::string& out, std::string& error) {
  auto it = item.find(key);
  if (it == item.end()) {
    return true;
  }
  if (!it->is_string()) {
    error = std::string("\"") + key + "\" must be a string";
    return false;
  }
  if (!Utf8ToCp1252(it->get<std::string>(), out)) {
    error = std::string("\"") + key + "\" holds a character that Windows-1252 lacks";
    return false;
  }
  return true;
}

} // namespace

bool ParseHotspotsJson(const std::string& text, std::vector<HotspotSpec>& spots, std::string& error) {
  nlohmann::json doc;
  try {
    doc = nlohmann::json::parse(text);
  } catch (const nlohmann::json::exception& e) {
    // The library's text without its "[json.exception...] " prefix.
    std::string what = e.what();
    error = what.substr(what.find(']') == std::string::npos ? 0 : what.find(']') + 2);
    return false;
  }
  if (!doc.is_array()) {
    error = "expected an array of hotspots";
    return false;
  }
  spots.clear();
  for (size_t i = 0; i < doc.size(); ++i) {
    const nlohmann::json& item = doc[i];
    std::string where = "hotspot " + std::to_string(i) + ": ";
    if (!item.is_object()) {
      error = where + "expected an object";
      return false;
    }
    HotspotSpec spot;
    spot.number = static_cast<int>(i);
    if (!item.contains("name") || !item["name"].is_string()) {
      error = where + "\"name\" must be a string";
      return false;
    }
    if (!TextMember(item, "name", spot.name, error)) {
      error = where + error;
      return false;
    }
    if (!TextMember(item, "text", spot.text, error)) {
      error = where + "('" + item["name"].get<std::string>() + "'): " + error;
      return false;
    }
    if (item.contains("kind") && !WholeNumber(item["kind"], 0, 255, spot.kind)) {
      error = where + "\"kind\" must be a whole number from 0 to 255";
      return false;
    }
    if (!item.contains("rect") || !item["rect"].is_array() || item["rect"].size() != 4) {
      error = where + "\"rect\" must be [left, top, right, bottom]";
      return false;
    }
    for (int k = 0; k < 4; ++k) {
      if (!WholeNumber(item["rect"][k], -32768, 32767, spot.rect[k])) {
        error = where + "\"rect\" must hold whole numbers from -32768 to 32767";
        return false;
      }
    }
    spots.push_back(spot);
  }
  return true;
}

std::string JsonLines(const Json& array) {
  std::string out = "[";
  for (size_t i = 0; i < array.size(); ++i) {
    out += (i ? ",\n  " : "\n  ") + JsonText(array[i]);
  }
  return out + (array.empty() ? "]\n" : "\n]\n");
}

std::string HotspotsToJson(const std::vector<HotspotSpec>& spots) {
  Json list = Json::array();
  for (const HotspotSpec& s : spots) {
    list.push_back({{"number", s.number},
                    {"name", Cp1252ToUtf8(s.name)},
                    {"text", Cp1252ToUtf8(s.text)},
                    {"kind", s.kind},
                    {"rect", {s.rect[0], s.rect[1], s.rect[2], s.rect[3]}}});
  }
  return JsonLines(list);
}

} // namespace tool
