// Hostile pictures: every bundled sample truncated, bit-flipped and with its
// header fields set to extremes, opened into a window, painted, zoomed,
// exported and unloaded. Each case must end in a picture or in the error its
// format reports, within a time bound, and leave no global block or GDI
// object behind. Built with AddressSanitizer and UndefinedBehaviorSanitizer
// in CI, where any out-of-bounds access or undefined arithmetic fails it.
#include "fuzz_common.h"

#include <tavwin_test.h>

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>
#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct Sample {
  std::string path;
  bool tiff;
  Bytes bytes;
};

std::vector<Sample> LoadSamples() {
  std::vector<Sample> samples;
  DIR* dir = opendir(TAV_SAMPLES_DIR);
  if (dir == nullptr)
    return samples;
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    bool drf = name.size() > 4 && name.compare(name.size() - 4, 4, ".drf") == 0;
    bool tif = name.size() > 4 && name.compare(name.size() - 4, 4, ".tif") == 0;
    if (!drf && !tif)
      continue;
    Sample s{std::string(TAV_SAMPLES_DIR) + "/" + name, tif, {}};
    if (FILE* f = fopen(s.path.c_str(), "rb")) {
      uint8_t buffer[65536];
      size_t n;
      while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        s.bytes.insert(s.bytes.end(), buffer, buffer + n);
      fclose(f);
    }
    samples.push_back(std::move(s));
  }
  closedir(dir);
  std::sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.path < b.path; });
  return samples;
}

const std::vector<Sample>& Samples() {
  static std::vector<Sample> samples = LoadSamples();
  return samples;
}

// The companion TIFF a kind-5 DRF sample is opened with: the first TIFF
// sample, as the samples are made (the DRF's picture is that TIFF's page).
std::string CompanionTiff() {
  for (const Sample& s : Samples())
    if (s.tiff)
      return s.path;
  return "";
}

const char* g_caseName = "";
void OnTimeout(int) {
  static const char text[] = "bad-input case took longer than its time bound: ";
  (void)!write(2, text, sizeof text - 1);
  (void)!write(2, g_caseName, strlen(g_caseName));
  (void)!write(2, "\n", 1);
  _exit(3);
}

// Runs one case; returns a failure text, or "" when the case behaved.
std::string RunCase(const std::string& name, bool tiff, const Bytes& bytes) {
  g_caseName = name.c_str();
  signal(SIGALRM, OnTimeout);
  alarm(60);
  long blocks = tavwin::LiveGlobalBlocks();
  long objects = tavwin::LiveGdiObjects();
  std::string path = fuzz::WriteTempFile(tiff ? "bad.tif" : "bad.drf", bytes.data(), bytes.size());
  std::string companion = tiff ? path : CompanionTiff();
  HWND window = fuzz::CreateHostWindow(160, 120);
  std::string failure;
  ImgStruct* record =
      tiff ? TAVIMG_OpenImage(window, 0, nullptr, path.c_str(), "", 1, TAVIMG_FILE_TIFF, 0)
           : TAVIMG_OpenImage(window, 0, nullptr, companion.c_str(), path.c_str(), 0, TAVIMG_FILE_DRF, 0);
  UINT code = (UINT)(1 - TAVIMG_GetLastError(nullptr));
  static const std::set<UINT> kDrfOpen = {6, 7, 8, 9, 10, 11, 16, 17, 18, 19, 12, 13, 14, 15};
  static const std::set<UINT> kTiffOpen = {12, 13, 14, 15};
  if (record == nullptr) {
    if ((tiff ? kTiffOpen : kDrfOpen).count(code) == 0)
      failure = "refused without its error code (code " + std::to_string(code) + ")";
    TAVIMG_UnloadPicture(window, TAVIMG_GetImgStruct(window));
  } else {
    fuzz::Attach(window, record);
    TAVIMG_RedrawPicture(window, record);
    code = (UINT)(1 - TAVIMG_GetLastError(nullptr));
    if (code != 0 && !(code >= 2 && code <= 5))
      failure = "painting raised error " + std::to_string(code);
    if (IsWindow(window)) {
      fuzz::Pump(window);
      TAVIMG_SetZoomMode(record);
      TAVIMG_OnMessage(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 20), record);
      TAVIMG_OnMessage(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(70, 60), record);
      TAVIMG_OnMessage(window, WM_LBUTTONUP, 0, MAKELPARAM(70, 60), record);
      fuzz::Pump(window);
      TAVIMG_OnMessage(window, WM_VSCROLL, SB_PAGEDOWN, 0, record);
      fuzz::Pump(window);
    }
    if (tiff)
      fuzz::ExportTIFF(record, 8u << 20);
    else
      fuzz::ExportDRF(record, 4u << 20);
    TAVIMG_UnloadPicture(window, record);
  }
  fuzz::DestroyHostWindow(window);
  alarm(0);
  if (failure.empty() && tavwin::LiveGlobalBlocks() != blocks)
    failure = "left " + std::to_string(tavwin::LiveGlobalBlocks() - blocks) + " global blocks behind";
  if (failure.empty() && tavwin::LiveGdiObjects() != objects)
    failure = "left " + std::to_string(tavwin::LiveGdiObjects() - objects) + " GDI objects behind";
  return failure.empty() ? "" : name + ": " + failure;
}

class BadInput : public ::testing::Test {
protected:
  void SetUp() override {
    if (Samples().empty())
      GTEST_SKIP() << "no samples in " << TAV_SAMPLES_DIR;
    TAVIMG_ShowErrorMessages(0);
    // Whatever the library keeps for the whole process (cursor, tables) is
    // made by a first good opening, before anything is counted.
    for (const Sample& s : Samples())
      RunCase("warm-up " + s.path, s.tiff, s.bytes);
  }
  void Check(const std::vector<std::string>& failures) {
    for (size_t i = 0; i < failures.size() && i < 20; ++i)
      ADD_FAILURE() << failures[i];
    EXPECT_TRUE(failures.empty()) << failures.size() << " cases misbehaved";
  }
};

TEST_F(BadInput, EveryTruncation) {
  std::vector<std::string> failures;
  for (const Sample& s : Samples()) {
    size_t n = s.bytes.size();
    size_t cases = n <= 400 ? n : 200;
    for (size_t i = 0; i < cases; ++i) {
      size_t length = n <= 400 ? i : i * n / cases;
      Bytes cut(s.bytes.begin(), s.bytes.begin() + length);
      std::string f = RunCase(s.path + " cut at " + std::to_string(length), s.tiff, cut);
      if (!f.empty())
        failures.push_back(f);
    }
  }
  Check(failures);
}

TEST_F(BadInput, SeededBitFlips) {
  std::vector<std::string> failures;
  for (const Sample& s : Samples()) {
    std::mt19937 random(0x7a70u + (unsigned)s.bytes.size());
    for (int i = 0; i < 1000 && !s.bytes.empty(); ++i) {
      Bytes flipped = s.bytes;
      int flips = 1 + (int)(random() % 4);
      // Most flips land in the first kilobyte, where the headers, tables and
      // directories are; the rest anywhere.
      for (int k = 0; k < flips; ++k) {
        size_t span = (random() % 4 != 0) ? std::min<size_t>(flipped.size(), 1024) : flipped.size();
        flipped[random() % span] ^= (uint8_t)(1u << (random() % 8));
      }
      std::string f = RunCase(s.path + " flip case " + std::to_string(i), s.tiff, flipped);
      if (!f.empty())
        failures.push_back(f);
    }
  }
  Check(failures);
}

void Put16(Bytes& b, size_t at, uint16_t v, bool little = true) {
  if (at + 2 > b.size())
    return;
  b[at + (little ? 0 : 1)] = (uint8_t)v;
  b[at + (little ? 1 : 0)] = (uint8_t)(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v, bool little = true) {
  if (at + 4 > b.size())
    return;
  for (int i = 0; i < 4; ++i)
    b[at + (little ? i : 3 - i)] = (uint8_t)(v >> (8 * i));
}

TEST_F(BadInput, DrfHeaderExtremes) {
  std::vector<std::string> failures;
  const uint16_t sizes[] = {0, 1, 0xffff, 32767, 65535};
  for (const Sample& s : Samples()) {
    if (s.tiff || s.bytes.size() < 21)
      continue;
    size_t info = (s.bytes[1] & 0x10) ? 61 : 11;
    auto run = [&](const std::string& what, const Bytes& b) {
      std::string f = RunCase(s.path + " " + what, false, b);
      if (!f.empty())
        failures.push_back(f);
    };
    for (uint16_t w : sizes)
      for (uint16_t h : sizes) {
        Bytes b = s.bytes;
        Put16(b, info + 1, w);
        Put16(b, info + 3, h);
        run("size " + std::to_string((int16_t)w) + "x" + std::to_string((int16_t)h), b);
      }
    for (uint32_t dataSize : {0u, (uint32_t)s.bytes.size() + 1000, 983040u, 983041u, 0xffffffffu}) {
      Bytes b = s.bytes;
      Put32(b, info + 5, dataSize);
      run("DataSize " + std::to_string(dataSize), b);
    }
    for (uint32_t offset : {(uint32_t)s.bytes.size(), (uint32_t)s.bytes.size() + 5000, 0x80000000u, 0xffffffffu}) {
      Bytes b = s.bytes;
      Put32(b, 3, offset);
      run("RasterOffset " + std::to_string(offset), b);
    }
    for (uint16_t count : {601, 32767, 65535}) {
      for (uint8_t compact : {0, 1}) {
        Bytes b = s.bytes;
        Put16(b, 7, count);
        b[1] = (uint8_t)((b[1] & ~1) | compact);
        run("RasterCount " + std::to_string(count) + (compact ? " compact" : " full"), b);
      }
    }
    for (uint8_t kind : {0, 4, 5, 6, 7, 8, 9, 0x80, 0xff}) {
      Bytes b = s.bytes;
      b[info + 9] = kind;
      run("kind " + std::to_string(kind), b);
    }
  }
  Check(failures);
}

// Finds the value field of tag in the first directory of a TIFF; 0 if none.
size_t FindTiffEntry(const Bytes& b, uint16_t tag, bool little) {
  auto get16 = [&](size_t at) -> uint32_t {
    return at + 2 <= b.size() ? (little ? b[at] | b[at + 1] << 8 : b[at] << 8 | b[at + 1]) : 0;
  };
  uint32_t ifd = little ? (uint32_t)(get16(4) | get16(6) << 16) : (uint32_t)(get16(4) << 16 | get16(6));
  uint32_t n = get16(ifd);
  for (uint32_t i = 0; i < n; ++i) {
    size_t entry = (size_t)ifd + 2 + 12 * i;
    if (entry + 12 > b.size())
      break;
    if (get16(entry) == tag)
      return entry;
  }
  return 0;
}

TEST_F(BadInput, TiffDirectoryExtremes) {
  std::vector<std::string> failures;
  for (const Sample& s : Samples()) {
    if (!s.tiff || s.bytes.size() < 8)
      continue;
    bool little = s.bytes[0] == 'I';
    auto run = [&](const std::string& what, const Bytes& b) {
      std::string f = RunCase(s.path + " " + what, true, b);
      if (!f.empty())
        failures.push_back(f);
    };
    uint32_t size = (uint32_t)s.bytes.size();
    for (uint32_t offset : {size, size + 5000, 0x7fffffffu, 0x80000000u, 0xfffffff0u}) {
      Bytes b = s.bytes;
      Put32(b, 4, offset, little);
      run("IFD at " + std::to_string(offset), b);
    }
    auto setEntry = [&](uint16_t tag, uint32_t count, uint32_t value, const std::string& what) {
      Bytes b = s.bytes;
      size_t entry = FindTiffEntry(b, tag, little);
      if (entry == 0)
        return;
      Put16(b, entry + 2, 4, little); // LONG
      Put32(b, entry + 4, count, little);
      Put32(b, entry + 8, value, little);
      run(what, b);
    };
    for (uint32_t v : {0u, 1u, 0xffffffffu, 32767u, 65535u, 0x10000u}) {
      setEntry(256, 1, v, "ImageWidth " + std::to_string(v));
      setEntry(257, 1, v, "ImageLength " + std::to_string(v));
    }
    setEntry(278, 1, 0, "RowsPerStrip 0");
    setEntry(278, 1, 1, "RowsPerStrip 1");
    for (uint32_t count : {1u, 2u, 1000u, 0x40000000u, 0xffffffffu}) {
      setEntry(273, count, size + 100, "StripOffsets beyond the file, count " + std::to_string(count));
      setEntry(279, count, size + 100, "StripByteCounts beyond the file, count " + std::to_string(count));
      setEntry(273, count, 0x80000000u, "StripOffsets at 2^31, count " + std::to_string(count));
    }
    for (uint32_t count : {601u, 32767u, 65535u, 0xffffffffu})
      setEntry(65024, count, 8, "hotspot count " + std::to_string(count));
    {
      Bytes b = s.bytes;
      uint32_t ifd = little ? (uint32_t)(b[4] | b[5] << 8 | b[6] << 16 | (uint32_t)b[7] << 24)
                            : (uint32_t)((uint32_t)b[4] << 24 | b[5] << 16 | b[6] << 8 | b[7]);
      Put16(b, ifd, 32767, little);
      run("32767 directory entries", b);
      Put16(b, ifd, 0xffff, little);
      run("65535 directory entries", b);
    }
  }
  Check(failures);
}

} // namespace
