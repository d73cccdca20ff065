// Text between the encodings the tool meets: the library's Windows-1252,
// the UTF-8 of JSON and web pages, file names that are any bytes at all,
// and what may be printed on a terminal.
#ifndef TAVOIMG_TOOL_TEXT_H
#define TAVOIMG_TOOL_TEXT_H

#include <string>

namespace tool {

// Windows-1252 to UTF-8 (the five bytes that code page leaves undefined
// become U+0081, U+008D, U+008F, U+0090 and U+009D, so every byte comes back).
std::string Cp1252ToUtf8(const std::string& bytes);
// UTF-8 to Windows-1252; false for text that is not UTF-8 or holds a
// character that the code page lacks.
bool Utf8ToCp1252(const std::string& text, std::string& bytes);

// UTF-8 text from any bytes: each byte that is not part of a UTF-8
// character becomes U+FFFD.
std::string ValidUtf8(const std::string& bytes);

// Text for a terminal or a log: control characters (C0, DEL and C1, a
// newline among them) and bytes that are not UTF-8 are written as \xNN, so
// that a name cannot move the cursor, retitle the window or forge a line.
std::string Printable(const std::string& bytes);

// A relative path ('/' between folders, any bytes) as a URL path for a page:
// every byte but letters, digits, "-._~" and '/' percent-encoded, and "./" in
// front, so that no scheme, host, query or fragment can be read into it.
std::string UrlPath(const std::string& relative);

} // namespace tool

#endif
