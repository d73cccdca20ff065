// tavoimg: shows what the TavoIMG library makes of a picture, from the command
// line. See Usage() and "tavoimg COMMAND --help".
#include "commands.h"

#include <tavoimg/tavoimg.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace {

void PrintUsage(FILE* out) {
  std::fprintf(out, "usage: tavoimg COMMAND ARGS...   (tavoimg COMMAND --help for one command)\n"
                    "       tavoimg --version\n\n");
  for (const tool::Command& c : tool::Commands()) {
    std::fprintf(out, "  tavoimg %s\n", c.synopsis);
  }
  std::fprintf(out, "\nFILE is recognised by its content: a TIFF by its header, otherwise a DRF;\n"
                    "--as drf|tiff overrides. Exit status: 0 done; 1 the picture, a file or the\n"
                    "library failed (its error text is printed); 2 usage error.\n");
}

void PrintCommandUsage(FILE* out, const tool::Command& c) {
  std::fprintf(out, "usage: tavoimg %s\n\n%s", c.synopsis, c.help);
}

// A usage error: one line, and where to read more.
int UsageFailure(const std::string& what, const char* command) {
  std::fprintf(stderr, "tavoimg%s%s: %s\ntry 'tavoimg %s--help'\n", command ? " " : "", command ? command : "",
               tool::Printable(what).c_str(), command ? (std::string(command) + " ").c_str() : "");
  return 2;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    return UsageFailure("missing COMMAND", nullptr);
  }
  if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help")) {
    PrintUsage(stdout);
    return 0;
  }
  if (!std::strcmp(argv[1], "--version")) {
    char version[256] = {0};
    std::printf("tavoimg: %s\n", TAVIMG_GetVersionInfo(version));
    return 0;
  }
  const tool::Command* command = nullptr;
  for (const tool::Command& c : tool::Commands()) {
    if (!std::strcmp(argv[1], c.name)) {
      command = &c;
    }
  }
  if (!command) {
    return UsageFailure(std::string("unknown command '") + argv[1] + "'", nullptr);
  }
  // The tool prints the library's errors itself instead of message boxes.
  TAVIMG_ShowErrorMessages(0);
  try {
    tool::ParsedArgs args = tool::ParseArgs(std::vector<std::string>(argv + 2, argv + argc), command->options);
    if (args.help) {
      PrintCommandUsage(stdout, *command);
      return 0;
    }
    return command->run(args);
  } catch (const tool::UsageError& e) {
    return UsageFailure(e.what(), command->name);
  } catch (const std::exception& e) {
    // Messages name files: a name's control characters are shown escaped.
    std::fprintf(stderr, "tavoimg %s: %s\n", command->name, tool::Printable(e.what()).c_str());
    return 1;
  }
}
