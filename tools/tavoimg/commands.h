// The commands of the tavoimg tool and their usage texts.
#ifndef TAVOIMG_TOOL_COMMANDS_H
#define TAVOIMG_TOOL_COMMANDS_H

#include "args.h"

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

} // namespace tool

#endif
