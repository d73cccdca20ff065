#include "tool_run.h"

#include "tiff_files.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace tooltest {

namespace {

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s)
    q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

} // namespace

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ToolResult RunTool(const std::vector<std::string>& args, const std::string& before) {
  static int serial = 0;
  std::string base =
      std::string(TAV_BINARY_DIR) + "/tool-run-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
  std::string command = before + Quote(std::string(TAV_BINARY_DIR) + "/tools/tavoimg/tavoimg");
  for (const std::string& a : args)
    command += " " + Quote(a);
  command += " >" + Quote(base + ".out") + " 2>" + Quote(base + ".err");
  int raw = std::system(command.c_str());
  ToolResult result;
  result.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadFile(base + ".out");
  result.err = ReadFile(base + ".err");
  std::remove((base + ".out").c_str());
  std::remove((base + ".err").c_str());
  return result;
}

std::string RunToolOk(const std::vector<std::string>& args) {
  ToolResult run = RunTool(args);
  EXPECT_EQ(run.status, 0) << args[0] << ": " << run.err;
  return run.out;
}

std::string Sample(const std::string& name) {
  return std::string(TAV_SOURCE_DIR) + "/samples/" + name;
}

int BmpPicture::Colours() const {
  std::vector<uint32_t> v(rgb);
  std::sort(v.begin(), v.end());
  return (int)(std::unique(v.begin(), v.end()) - v.begin());
}

bool ReadBmp(const std::string& path, BmpPicture& picture) {
  const std::vector<uint8_t> b = TiffReadBytes(path);
  uint32_t offBits = TiffLe32(b, 10), headerSize = TiffLe32(b, 14); // 0 beyond the end of a short file
  int width = (int32_t)TiffLe32(b, 18), height = (int32_t)TiffLe32(b, 22);
  int bits = TiffLe32(b, 28) & 0xFFFF;
  uint32_t compression = TiffLe32(b, 30), used = TiffLe32(b, 46);
  size_t stride = ((size_t)width * bits + 31) / 32 * 4;
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || headerSize != 40 || compression != 0 || width < 1 || height < 1 ||
      !(bits == 1 || bits == 4 || bits == 8 || bits == 24) || offBits + stride * height > b.size()) {
    ADD_FAILURE() << path << ": not a BMP that the tests read";
    return false;
  }
  if (used == 0 && bits <= 8)
    used = 1u << bits;
  const uint8_t* table = &b[14 + 40];
  picture.width = width;
  picture.height = height;
  picture.rgb.assign((size_t)width * height, 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = &b[offBits + stride * (height - 1 - y)];
    for (int x = 0; x < width; ++x) {
      uint32_t v;
      if (bits == 24) {
        v = row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
      } else {
        unsigned i = bits == 8   ? row[x]
                     : bits == 4 ? (row[x / 2] >> (x % 2 ? 0 : 4)) & 15
                                 : (row[x / 8] >> (7 - x % 8)) & 1;
        if (i >= used) {
          ADD_FAILURE() << path << ": index " << i << " beyond the colour table";
          return false;
        }
        v = table[4 * i] | (table[4 * i + 1] << 8) | (table[4 * i + 2] << 16);
      }
      picture.rgb[(size_t)y * width + x] = v; // blue, green, red bytes: 0x00RRGGBB
    }
  }
  return true;
}

void WriteBmp24(const std::string& path, int width, int height, const std::vector<uint32_t>& rgb) {
  size_t stride = ((size_t)width * 24 + 31) / 32 * 4;
  // File header, then the size, one plane and 24 bits of the info header.
  std::vector<uint8_t> out = {'B', 'M'};
  for (uint32_t v : {uint32_t(54 + stride * height), 0u, 54u, 40u, uint32_t(width), uint32_t(height), 1u | 24u << 16})
    TiffPut(out, v, 4, false);
  out.resize(54 + stride * height, 0);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = &out[54 + stride * (height - 1 - y)];
    for (int x = 0; x < width; ++x)
      for (int i = 0; i < 3; ++i)
        row[3 * x + i] = (uint8_t)(rgb[(size_t)y * width + x] >> 8 * i);
  }
  std::ofstream(path, std::ios::binary).write((const char*)out.data(), (std::streamsize)out.size());
}

} // namespace tooltest
