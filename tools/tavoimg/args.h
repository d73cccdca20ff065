// Command-line parsing of the tavoimg tool: options per command, positional
// arguments, and the number formats the options take.
#ifndef TAVOIMG_TOOL_ARGS_H
#define TAVOIMG_TOOL_ARGS_H

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace tool {

// A usage error: the command prints its usage and exits with status 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct OptionSpec {
  const char* name; // with the dashes, e.g. "--size"
  bool takesValue;
  bool repeatable;
};

class ParsedArgs {
public:
  std::vector<std::string> positional;
  std::map<std::string, std::vector<std::string>> options;
  bool help = false;

  bool Has(const std::string& name) const { return options.count(name) != 0; }
  // The option's (last) value, or fallback when it was not given.
  std::string Get(const std::string& name, const std::string& fallback = "") const;
  const std::vector<std::string>& All(const std::string& name) const;
};

// Parses args against specs. "--name value" and "--name=value" are both
// accepted, and "-xVALUE" for a one-letter option; "--help" or "-h" sets help. Throws UsageError.
ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs);

// The largest window side the tool opens: 8192 x 8192 already takes seconds
// and most of a gigabyte.
const int kMostWindowSide = 16384;

// Number formats; each throws UsageError naming the option on a bad value.
int ParseInt(const std::string& option, const std::string& text, int low, int high);
std::vector<int> ParseIntList(const std::string& option, const std::string& text, size_t count);
void ParseSize(const std::string& option, const std::string& text, int& width, int& height);

} // namespace tool

#endif
