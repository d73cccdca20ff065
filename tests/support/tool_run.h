// Test support of the tool suite: running the built tavoimg binary as a
// subprocess, the bundled samples, and reading the BMP files it writes.
#ifndef TAV_TESTS_SUPPORT_TOOL_RUN_H
#define TAV_TESTS_SUPPORT_TOOL_RUN_H

#include <stdint.h>

#include <string>
#include <vector>

namespace tooltest {

struct ToolResult {
  int status = -1; // the exit status; -1 when it did not exit normally
  std::string out, err;
};

// Runs build/tools/tavoimg/tavoimg with args; shell commands in before run
// first in the same shell (limits, traps).
ToolResult RunTool(const std::vector<std::string>& args, const std::string& before = "");
// The standard output of a run that must exit with 0 (the test fails, with
// the error output, when it does not).
std::string RunToolOk(const std::vector<std::string>& args);

// The bytes of a file.
std::string ReadFile(const std::string& path);

// samples/name in the source tree.
std::string Sample(const std::string& name);

// A BMP picture as 0x00RRGGBB values, top row first.
struct BmpPicture {
  int width = 0, height = 0;
  std::vector<uint32_t> rgb;
  uint32_t at(int x, int y) const { return rgb[(size_t)y * width + x]; }
  int Colours() const; // how many different ones
};
// Reads an uncompressed bottom-up BMP of 1, 4, 8 or 24 bits; fails the test
// (and returns false) on anything else.
bool ReadBmp(const std::string& path, BmpPicture& picture);
// Writes a 24-bit BMP.
void WriteBmp24(const std::string& path, int width, int height, const std::vector<uint32_t>& rgb);

} // namespace tooltest

#endif
