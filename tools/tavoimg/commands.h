// The commands of the tavoimg tool and their usage texts.
#ifndef TAVOIMG_TOOL_COMMANDS_H
#define TAVOIMG_TOOL_COMMANDS_H

#include "args.h"
#include "host_window.h"
#include "json.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tool {

// A failure of the picture, a file or the library: printed, exit status 1.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Command {
  const char* name;
  const char* synopsis; // one line of the overall usage
  const char* help;     // the command's --help text after its synopsis
  std::vector<OptionSpec> options;
  int (*run)(const ParsedArgs& args); // throws UsageError or Failure
};

const std::vector<Command>& Commands();

// ---- Shared by the commands ----

extern const OptionSpec kTiff, kAs, kOutput;

// The one positional argument (what names it in the usage error).
std::string OnlyPositional(const ParsedArgs& args, const char* what);
std::string RequiredOption(const ParsedArgs& args, const char* name);

// Fails naming the operating system's reason when path cannot be read as a
// file (missing, a folder, not readable).
void CheckInput(const std::string& path);

// The picture named by the positional argument, --tiff and --as.
PictureSource SourceFrom(const ParsedArgs& args, const char* what);

// Opens the picture into window; a failure carries the library's text, and a
// file that is neither picture says so.
void OpenOrFail(HostWindow& window, const PictureSource& source, DWORD mode, bool draw);

// The display mode that opens a picture for reading (DRF modes 1 and 4 skip
// the picture data).
DWORD QueryMode(const PictureSource& source);

// The record's hotspot table.
std::vector<HotspotSpec> ReadHotspots(ImgStruct* record);

// The packed DIB the library hands a host: the TIFF picture's (tiff) or the
// DRF's own.
std::vector<uint8_t> ExportDib(ImgStruct* record, const std::string& path, bool tiff);

LONG Low(LONGLONG pair);
LONG High(LONGLONG pair);

} // namespace tool

#endif
