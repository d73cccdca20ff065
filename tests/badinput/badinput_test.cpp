// Hostile pictures: every bundled sample truncated, bit-flipped and with its
// header fields set to extremes, opened into a window, painted, zoomed,
// exported and unloaded. Each case must end in a picture or in the error its
// format reports, within a time bound, and leave no global block or GDI
// object behind. Built with AddressSanitizer and UndefinedBehaviorSanitizer
// in CI, where any out-of-bounds access or undefined arithmetic fails it.
#include "fuzz_common.h"

#include <tavwin_test.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <random>

namespace {

using Bytes = std::vector<uint8_t>;

struct Sample {
  std::string path;
  bool tiff;
  Bytes bytes;
};

const std::vector<Sample>& Samples() {
  static const std::vector<Sample> samples = [] {
    std::vector<Sample> found;
    for (const std::string& path : fuzz::SampleFiles())
      found.push_back({path, fuzz::IsTiffName(path), fuzz::ReadFile(path)});
    return found;
  }();
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

// The value of size bytes at at, in the byte order given; 0 past the end.
uint32_t Get(const Bytes& b, size_t at, int size, bool little = true) {
  uint32_t value = 0;
  for (int i = 0; i < size && at + size <= b.size(); ++i)
    value |= (uint32_t)b[at + (little ? i : size - 1 - i)] << (8 * i);
  return value;
}
// b with value written into size bytes at at (when they are in the file).
Bytes Patched(Bytes b, size_t at, uint32_t value, int size, bool little = true) {
  for (int i = 0; i < size && at + size <= b.size(); ++i)
    b[at + (little ? i : size - 1 - i)] = (uint8_t)(value >> (8 * i));
  return b;
}

class BadInput : public ::testing::Test {
protected:
  void SetUp() override {
    if (Samples().empty())
      GTEST_SKIP() << "no samples in " << TAV_SAMPLES_DIR;
    // Whatever the library keeps for the whole process (cursor, tables) is
    // made by a first good opening, before anything is counted.
    for (const Sample& s : Samples())
      Run(s, "warm-up", s.bytes, false);
  }

  // Runs one case made from sample s; fails when it misbehaved.
  void Run(const Sample& s, const std::string& what, const Bytes& bytes, bool check = true) {
    const std::string name = s.path + " " + what;
    g_caseName = name.c_str();
    signal(SIGALRM, OnTimeout);
    alarm(60);
    const long blocks = tavwin::LiveGlobalBlocks(), objects = tavwin::LiveGdiObjects();
    const std::string path = fuzz::WriteTempFile(s.tiff ? "bad.tif" : "bad.drf", bytes.data(), bytes.size());
    const fuzz::Used used = s.tiff ? fuzz::Use(true, path, "") : fuzz::Use(false, CompanionTiff(), path);
    alarm(0);
    if (!check)
      return;
    // A DRF opening reports the loader's errors (6 to 11, 16 to 19) or its
    // companion's (12 to 15); a TIFF opening only the latter. A paint may
    // fail only for want of memory (2 to 5).
    if (!used.opened)
      EXPECT_TRUE(used.openCode >= (s.tiff ? 12u : 6u) && used.openCode <= (s.tiff ? 15u : 19u))
          << name << ": refused with error " << used.openCode;
    else
      EXPECT_TRUE(used.paintCode == 0 || (used.paintCode >= 2 && used.paintCode <= 5))
          << name << ": painting raised error " << used.paintCode;
    EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocks) << name << ": global blocks left behind";
    EXPECT_EQ(tavwin::LiveGdiObjects(), objects) << name << ": GDI objects left behind";
  }
};

TEST_F(BadInput, EveryTruncation) {
  for (const Sample& s : Samples()) {
    const size_t n = s.bytes.size(), cases = n <= 400 ? n : 200;
    for (size_t i = 0; i < cases; ++i) {
      const size_t length = n <= 400 ? i : i * n / cases;
      Run(s, "cut at " + std::to_string(length), Bytes(s.bytes.begin(), s.bytes.begin() + length));
    }
  }
}

TEST_F(BadInput, SeededBitFlips) {
  for (const Sample& s : Samples()) {
    std::mt19937 random(0x7a70u + (unsigned)s.bytes.size());
    for (int i = 0; i < 1000 && !s.bytes.empty(); ++i) {
      Bytes flipped = s.bytes;
      // Most flips land in the first kilobyte, where the headers, tables and
      // directories are; the rest anywhere.
      for (int k = 1 + (int)(random() % 4); k > 0; --k) {
        const size_t span = (random() % 4 != 0) ? std::min<size_t>(flipped.size(), 1024) : flipped.size();
        flipped[random() % span] ^= (uint8_t)(1u << (random() % 8));
      }
      Run(s, "flip case " + std::to_string(i), flipped);
    }
  }
}

TEST_F(BadInput, DrfHeaderExtremes) {
  for (const Sample& s : Samples()) {
    if (s.tiff || s.bytes.size() < 21)
      continue;
    const size_t info = (s.bytes[1] & 0x10) ? 61 : 11; // MainPictureInfo
    const uint32_t size = (uint32_t)s.bytes.size();
    for (uint16_t w : {0, 1, 0xffff, 32767, 0x8000})
      for (uint16_t h : {0, 1, 0xffff, 32767, 0x8000})
        Run(s, "size " + std::to_string((int16_t)w) + "x" + std::to_string((int16_t)h),
            Patched(Patched(s.bytes, info + 1, w, 2), info + 3, h, 2));
    for (uint32_t dataSize : {0u, size + 1000, 983040u, 983041u, 0xffffffffu})
      Run(s, "DataSize " + std::to_string(dataSize), Patched(s.bytes, info + 5, dataSize, 4));
    for (uint32_t offset : {size, size + 5000, 0x80000000u, 0xffffffffu})
      Run(s, "RasterOffset " + std::to_string(offset), Patched(s.bytes, 3, offset, 4));
    for (uint16_t count : {601, 32767, 65535})
      for (uint8_t compact : {0, 1})
        Run(s, "RasterCount " + std::to_string(count) + (compact ? " compact" : " full"),
            Patched(Patched(s.bytes, 7, count, 2), 1, (s.bytes[1] & ~1) | compact, 1));
    for (uint8_t kind : {0, 4, 5, 6, 7, 8, 9, 0x80, 0xff})
      Run(s, "kind " + std::to_string(kind), Patched(s.bytes, info + 9, kind, 1));
  }
}

// A kind 5 row reads codes until its pixels are done or the data end, so
// a megabyte of literals of 0 pixels under 32767 rows of 16 pixels would
// have every row read all of it.
TEST_F(BadInput, DrfRowsOfCodesWithoutPixels) {
  for (const Sample& s : Samples()) {
    if (s.tiff || s.bytes.size() < 21)
      continue;
    const size_t info = (s.bytes[1] & 0x10) ? 61 : 11, dataSize = 983040;
    Bytes b(s.bytes.begin(), s.bytes.begin() + info + 10);
    b = Patched(Patched(Patched(Patched(b, info + 1, 16, 2), info + 3, 32767, 2), info + 5, dataSize, 4), 7, 0, 2);
    b[info + 9] = 5;
    b.resize(b.size() + dataSize, 0);
    Run(s, "kind 5, 16 x 32767, data of literals of 0 pixels", b);
    return; // one is enough
  }
}

TEST_F(BadInput, TiffDirectoryExtremes) {
  for (const Sample& s : Samples()) {
    if (!s.tiff || s.bytes.size() < 8)
      continue;
    const bool little = s.bytes[0] == 'I';
    const uint32_t size = (uint32_t)s.bytes.size(), ifd = Get(s.bytes, 4, 4, little);
    for (uint32_t offset : {size, size + 5000, 0x7fffffffu, 0x80000000u, 0xfffffff0u})
      Run(s, "IFD at " + std::to_string(offset), Patched(s.bytes, 4, offset, 4, little));
    // The entry of tag in the first directory made a LONG of count values.
    auto setEntry = [&](uint16_t tag, uint32_t count, uint32_t value, const std::string& what) {
      for (uint32_t i = 0, n = Get(s.bytes, ifd, 2, little); i < n; ++i) {
        const size_t entry = (size_t)ifd + 2 + 12 * i;
        if (entry + 12 <= size && Get(s.bytes, entry, 2, little) == tag)
          Run(s, what,
              Patched(Patched(Patched(s.bytes, entry + 2, 4, 2, little), entry + 4, count, 4, little), entry + 8, value,
                      4, little));
      }
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
    Run(s, "32767 directory entries", Patched(s.bytes, ifd, 32767, 2, little));
    Run(s, "65535 directory entries", Patched(s.bytes, ifd, 0xffff, 2, little));
  }
}

} // namespace
