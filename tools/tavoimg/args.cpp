#include "args.h"

#include <cerrno>
#include <cstdlib>

namespace tool {

std::string ParsedArgs::Get(const std::string& name, const std::string& fallback) const {
  auto it = options.find(name);
  return it == options.end() || it->second.empty() ? fallback : it->second.back();
}

const std::vector<std::string>& ParsedArgs::All(const std::string& name) const {
  static const std::vector<std::string> none;
  auto it = options.find(name);
  return it == options.end() ? none : it->second;
}

ParsedArgs ParseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs) {
  ParsedArgs parsed;
  bool onlyPositional = false; // after "--", so that a name may start with a dash
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!onlyPositional && arg == "--") {
      onlyPositional = true;
      continue;
    }
    if (!onlyPositional && (arg == "--help" || arg == "-h")) {
      parsed.help = true;
      continue;
    }
    if (onlyPositional || arg.size() < 2 || arg[0] != '-') {
      parsed.positional.push_back(arg);
      continue;
    }
    std::string name = arg, value;
    bool inlineValue = false;
    size_t eq = arg.find('=');
    if (eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      inlineValue = true;
    } else if (arg[1] != '-' && arg.size() > 2) {
      // A one-letter option with its value attached: "-j4".
      name = arg.substr(0, 2);
      value = arg.substr(2);
      inlineValue = true;
    }
    const OptionSpec* spec = nullptr;
    for (const OptionSpec& s : specs) {
      if (name == s.name) {
        spec = &s;
      }
    }
    if (!spec) {
      throw UsageError("unknown option " + name);
    }
    if (spec->takesValue && !inlineValue) {
      if (i + 1 >= args.size()) {
        throw UsageError("option " + name + " needs a value");
      }
      value = args[++i];
    } else if (!spec->takesValue && inlineValue) {
      throw UsageError("option " + name + " takes no value");
    }
    std::vector<std::string>& values = parsed.options[name];
    if (!values.empty() && !spec->repeatable) {
      throw UsageError("option " + name + " given twice");
    }
    values.push_back(value);
  }
  return parsed;
}

int ParseInt(const std::string& option, const std::string& text, int low, int high) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(begin, &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || value < low || value > high) {
    throw UsageError(option + ": '" + text + "' is not a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high));
  }
  return static_cast<int>(value);
}

std::vector<int> ParseIntList(const std::string& option, const std::string& text, size_t count) {
  std::vector<int> values;
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    values.push_back(ParseInt(option, item, -32768, 32767));
    if (comma == std::string::npos) {
      break;
    }
    start = comma + 1;
  }
  if (values.size() != count) {
    throw UsageError(option + ": '" + text + "' needs " + std::to_string(count) + " comma-separated numbers");
  }
  return values;
}

void ParseSize(const std::string& option, const std::string& text, int& width, int& height) {
  size_t x = text.find_first_of("xX");
  if (x == std::string::npos) {
    throw UsageError(option + ": '" + text + "' is not of the form WIDTHxHEIGHT");
  }
  width = ParseInt(option, text.substr(0, x), 1, 1 << 30);
  height = ParseInt(option, text.substr(x + 1), 1, 1 << 30);
  if (width > kMostWindowSide || height > kMostWindowSide) {
    throw UsageError(option + ": a window is at most " + std::to_string(kMostWindowSide) + " pixels a side, not " +
                     text);
  }
}

} // namespace tool
