#include "json.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace tool {

namespace {

// Unicode of the Windows-1252 bytes 0x80 to 0x9F.
const unsigned short kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, unsigned long code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The next code point of UTF-8 text at i, or -1 for a malformed sequence.
long NextUtf8(const std::string& s, size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i++]);
  int more = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
  if (more < 0) {
    return -1;
  }
  long code = more == 0 ? c : c & (0x3F >> more);
  for (int k = 0; k < more; ++k, ++i) {
    if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      return -1;
    }
    code = code << 6 | (static_cast<unsigned char>(s[i]) & 0x3F);
  }
  static const long kLeast[4] = {0, 0x80, 0x800, 0x10000};
  return code < kLeast[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ? -1 : code;
}

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
        AppendUtf8(out, static_cast<unsigned long>(code)); // a surrogate half stays one and is refused later
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

} // namespace

std::string Cp1252ToUtf8(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    AppendUtf8(out, c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c);
  }
  return out;
}

bool Utf8ToCp1252(const std::string& text, std::string& bytes) {
  bytes.clear();
  for (size_t i = 0; i < text.size();) {
    long code = NextUtf8(text, i);
    if (code < 0) {
      return false;
    }
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
      bytes += static_cast<char>(code);
      continue;
    }
    const unsigned short* found = std::find(kCp1252High, kCp1252High + 32, code);
    if (found == kCp1252High + 32) {
      return false;
    }
    bytes += static_cast<char>(0x80 + (found - kCp1252High));
  }
  return true;
}

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F || c == '<') {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

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
    if (!Utf8ToCp1252(name->second.text, spot.name)) {
      error = where + "\"name\" holds a character that Windows-1252 lacks";
      return false;
    }
    auto text = item.members.find("text");
    if (text != item.members.end()) {
      if (text->second.type != Value::String) {
        error = where + "\"text\" must be a string";
        return false;
      }
      if (!Utf8ToCp1252(text->second.text, spot.text)) {
        error = where + "('" + name->second.text + "'): \"text\" holds a character that Windows-1252 lacks";
        return false;
      }
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
    out += JsonString(Cp1252ToUtf8(s.name));
    out += ", \"text\": ";
    out += JsonString(Cp1252ToUtf8(s.text));
    out += ", \"kind\": " + std::to_string(s.kind) + ", \"rect\": [" + std::to_string(s.rect[0]) + ", " +
           std::to_string(s.rect[1]) + ", " + std::to_string(s.rect[2]) + ", " + std::to_string(s.rect[3]) + "]}";
  }
  out += spots.empty() ? "]\n" : "\n]\n";
  return out;
}

} // namespace tool
