#include "json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace tool {

namespace {

struct Value {
  enum Type { Null, Bool, Number, String, Array, Object } type = Null;
  double number = 0;
  std::string text;
  std::vector<Value> items;
  std::map<std::string, Value> members;
};

class Parser {
public:
  explicit Parser(const std::string& s) : s_(s) {}

  bool ParseDocument(Value& v, std::string& error) {
    if (!ParseValue(v, 0) || (SkipSpace(), pos_ != s_.size())) {
      error = error_.empty() ? At("unexpected text after the end") : error_;
      return false;
    }
    return true;
  }

private:
  std::string At(const std::string& what) const {
    int line = 1;
    for (size_t i = 0; i < pos_ && i < s_.size(); ++i) {
      line += s_[i] == '\n';
    }
    return "line " + std::to_string(line) + ": " + what;
  }
  bool Fail(const std::string& what) {
    if (error_.empty()) {
      error_ = At(what);
    }
    return false;
  }
  void SkipSpace() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r')) {
      ++pos_;
    }
  }
  bool Literal(const char* word) {
    size_t n = std::char_traits<char>::length(word);
    if (s_.compare(pos_, n, word) != 0) {
      return Fail("unknown word");
    }
    pos_ += n;
    return true;
  }

  bool ParseValue(Value& v, int depth) {
    if (depth > 32) {
      return Fail("nested too deeply");
    }
    SkipSpace();
    if (pos_ >= s_.size()) {
      return Fail("unexpected end");
    }
    char c = s_[pos_];
    if (c == '{') {
      return ParseObject(v, depth);
    }
    if (c == '[') {
      return ParseArray(v, depth);
    }
    if (c == '"') {
      v.type = Value::String;
      return ParseString(v.text);
    }
    if (c == 't' || c == 'f') {
      v.type = Value::Bool;
      v.number = c == 't';
      return Literal(c == 't' ? "true" : "false");
    }
    if (c == 'n') {
      v.type = Value::Null;
      return Literal("null");
    }
    return ParseNumber(v);
  }

  bool ParseNumber(Value& v) {
    const char* begin = s_.c_str() + pos_;
    char* end = nullptr;
    v.number = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(v.number)) {
      return Fail("expected a value");
    }
    pos_ += static_cast<size_t>(end - begin);
    v.type = Value::Number;
    return true;
  }

  bool ParseString(std::string& out) {
    ++pos_; // opening quote
    while (pos_ < s_.size()) {
      char c = s_[pos_++];
      if (c == '"') {
        return true;
      }
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= s_.size()) {
        break;
      }
      char e = s_[pos_++];
      switch (e) {
      case '"':
      case '\\':
      case '/':
        out += e;
        break;
      case 'b':
        out += '\b';
        break;
      case 'f':
        out += '\f';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'u': {
        if (pos_ + 4 > s_.size()) {
          return Fail("cut-off \\u escape");
        }
        char* end = nullptr;
        std::string hex = s_.substr(pos_, 4);
        long code = std::strtol(hex.c_str(), &end, 16);
        if (*end != '\0') {
          return Fail("bad \\u escape");
        }
        pos_ += 4;
        out += code <= 0xFF ? static_cast<char>(code) : '?'; // names are 8-bit
        break;
      }
      default:
        return Fail("bad escape in a string");
      }
    }
    return Fail("unterminated string");
  }

  bool ParseArray(Value& v, int depth) {
    v.type = Value::Array;
    ++pos_;
    SkipSpace();
    if (pos_ < s_.size() && s_[pos_] == ']') {
      ++pos_;
      return true;
    }
    while (true) {
      v.items.emplace_back();
      if (!ParseValue(v.items.back(), depth + 1)) {
        return false;
      }
      SkipSpace();
      if (pos_ < s_.size() && s_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (pos_ < s_.size() && s_[pos_] == ']') {
        ++pos_;
        return true;
      }
      return Fail("expected ',' or ']'");
    }
  }

  bool ParseObject(Value& v, int depth) {
    v.type = Value::Object;
    ++pos_;
    SkipSpace();
    if (pos_ < s_.size() && s_[pos_] == '}') {
      ++pos_;
      return true;
    }
    while (true) {
      SkipSpace();
      std::string key;
      if (pos_ >= s_.size() || s_[pos_] != '"' || !ParseString(key)) {
        return Fail("expected a member name");
      }
      SkipSpace();
      if (pos_ >= s_.size() || s_[pos_] != ':') {
        return Fail("expected ':'");
      }
      ++pos_;
      if (!ParseValue(v.members[key], depth + 1)) {
        return false;
      }
      SkipSpace();
      if (pos_ < s_.size() && s_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (pos_ < s_.size() && s_[pos_] == '}') {
        ++pos_;
        return true;
      }
      return Fail("expected ',' or '}'");
    }
  }

  const std::string& s_;
  size_t pos_ = 0;
  std::string error_;
};

bool ToInt(const Value& v, int& out) {
  if (v.type != Value::Number || v.number != std::floor(v.number) || v.number < -2147483648.0 ||
      v.number > 2147483647.0) {
    return false;
  }
  out = static_cast<int>(v.number);
  return true;
}

void AppendQuoted(std::string& out, const std::string& s) {
  out += '"';
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

} // namespace

bool ParseHotspotsJson(const std::string& text, std::vector<HotspotSpec>& spots, std::string& error) {
  Value doc;
  Parser parser(text);
  if (!parser.ParseDocument(doc, error)) {
    return false;
  }
  if (doc.type != Value::Array) {
    error = "expected an array of hotspots";
    return false;
  }
  spots.clear();
  for (size_t i = 0; i < doc.items.size(); ++i) {
    const Value& item = doc.items[i];
    std::string where = "hotspot " + std::to_string(i) + ": ";
    if (item.type != Value::Object) {
      error = where + "expected an object";
      return false;
    }
    HotspotSpec spot;
    spot.number = static_cast<int>(i);
    auto name = item.members.find("name");
    if (name == item.members.end() || name->second.type != Value::String) {
      error = where + "\"name\" must be a string";
      return false;
    }
    spot.name = name->second.text;
    auto text = item.members.find("text");
    if (text != item.members.end()) {
      if (text->second.type != Value::String) {
        error = where + "\"text\" must be a string";
        return false;
      }
      spot.text = text->second.text;
    }
    auto kind = item.members.find("kind");
    if (kind != item.members.end() && (!ToInt(kind->second, spot.kind) || spot.kind < 0 || spot.kind > 255)) {
      error = where + "\"kind\" must be a whole number from 0 to 255";
      return false;
    }
    auto rect = item.members.find("rect");
    if (rect == item.members.end() || rect->second.type != Value::Array || rect->second.items.size() != 4) {
      error = where + "\"rect\" must be [left, top, right, bottom]";
      return false;
    }
    for (int k = 0; k < 4; ++k) {
      if (!ToInt(rect->second.items[k], spot.rect[k]) || spot.rect[k] < -32768 || spot.rect[k] > 32767) {
        error = where + "\"rect\" must hold whole numbers from -32768 to 32767";
        return false;
      }
    }
    spots.push_back(spot);
  }
  return true;
}

std::string HotspotsToJson(const std::vector<HotspotSpec>& spots) {
  std::string out = "[";
  for (size_t i = 0; i < spots.size(); ++i) {
    const HotspotSpec& s = spots[i];
    out += i ? ",\n  {" : "\n  {";
    out += "\"number\": " + std::to_string(s.number) + ", \"name\": ";
    AppendQuoted(out, s.name);
    out += ", \"text\": ";
    AppendQuoted(out, s.text);
    out += ", \"kind\": " + std::to_string(s.kind) + ", \"rect\": [" + std::to_string(s.rect[0]) + ", " +
           std::to_string(s.rect[1]) + ", " + std::to_string(s.rect[2]) + ", " + std::to_string(s.rect[3]) + "]}";
  }
  out += spots.empty() ? "]\n" : "\n]\n";
  return out;
}

} // namespace tool
