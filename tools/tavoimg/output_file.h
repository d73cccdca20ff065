// Files the tool writes: a file is replaced only by a complete one. The bytes
// go into a temporary file in the same folder, every write and the close are
// checked, and only then is it renamed over the path; on any failure the
// temporary file is removed and the error names the operating system's reason.
#ifndef TAVOIMG_TOOL_OUTPUT_FILE_H
#define TAVOIMG_TOOL_OUTPUT_FILE_H

#include <cstddef>
#include <functional>
#include <string>

namespace tool {

// Writes size bytes as the whole of path. On failure error is
// "cannot write PATH: REASON" and path is as it was.
bool WriteWholeFile(const std::string& path, const void* data, size_t size, std::string& error);

// For a file that something else writes by name: fill(temporary) writes the
// temporary file beside path and returns false (with error set) when it
// failed; then the temporary file is renamed over path. The temporary file is
// removed whatever happens.
bool ReplaceFileWith(const std::string& path, const std::function<bool(const std::string& temporary)>& fill,
                     std::string& error);

// "cannot write PATH: REASON" for the current errno (or the given code).
std::string WriteErrorText(const std::string& path, int code);

} // namespace tool

#endif
