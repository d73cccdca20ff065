#include "text.h"

#include <algorithm>

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

// Appends s[from, to) to out, each byte as \xNN.
void AppendHexBytes(std::string& out, const std::string& s, size_t from, size_t to) {
  static const char kHex[] = "0123456789abcdef";
  for (size_t k = from; k < to; ++k) {
    unsigned char c = static_cast<unsigned char>(s[k]);
    out += std::string("\\x") + kHex[c >> 4] + kHex[c & 15];
  }
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

// Calls each(code, from, to) for every character of s, with code -1 for a
// byte that is not part of a UTF-8 character.
template <class Each> void ForEachCharacter(const std::string& s, Each each) {
  for (size_t i = 0; i < s.size();) {
    size_t at = i;
    long code = NextUtf8(s, i);
    if (code < 0) {
      i = at + 1;
    }
    each(code, at, i);
  }
}

std::string ValidUtf8(const std::string& bytes) {
  std::string out;
  ForEachCharacter(bytes, [&](long code, size_t from, size_t to) {
    code < 0 ? out.append("\xef\xbf\xbd") : out.append(bytes, from, to - from);
  });
  return out;
}

std::string Printable(const std::string& bytes) {
  std::string out;
  ForEachCharacter(bytes, [&](long code, size_t from, size_t to) {
    if (code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0)) {
      AppendHexBytes(out, bytes, from, to);
    } else {
      out.append(bytes, from, to - from);
    }
  });
  return out;
}

std::string UrlPath(const std::string& relative) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "./";
  for (unsigned char c : relative) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~' || c == '/') {
      out += static_cast<char>(c);
    } else {
      out += std::string("%") + kHex[c >> 4] + kHex[c & 15];
    }
  }
  return out;
}

} // namespace tool
