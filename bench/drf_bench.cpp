// Decoding and exporting 1000 x 1000 DRF pictures of kinds 5, 6 and 7
// (TAVIMG_DecodeDRF2DIB: bitmap header, bands, row decoding, packing), beside
// a plain memcpy of the exported DIB's size (x_memcpy: the goal is within 5x
// of the copy), and the bundled sample drawings the same way.
//
// Three contents per kind: "lines" (a background with a few hundred lines
// and frames, as technical drawings are), "busy" (runs of 1 to 60 pixels in
// random colours, a fifth of them noise) and "noisy" (four fifths noise,
// close to the worst case that still fits the 15 stripes a picture may fill).
//
// The "hostile" entries are pictures whose codes cost time without giving
// pixels: a 29-byte kind 5 file of 122 x 15,360 that once took 0.38 s, and a
// generator of its family (long stretches of codes that write nothing, row
// lengths that disagree with the codes, tall narrow pictures). Their figure
// is Mpixel_s, picture pixels per second; the goal is 100 or more.
#include <tavoimg/tavoimg.h>

#include <benchmark/benchmark.h>
#include <drfenc.h>

#include "drf/drf.h"
#include "core/core.h"

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 1000;

// Lines and frames on a background: long runs broken a few times per row.
void DrawLines(drfenc::DrfPicture& picture, std::mt19937& random, int colours) {
  std::uniform_int_distribution<int> at(0, kSide - 1), colour(1, colours - 1), size(5, 300);
  auto put = [&](int x, int y, uint8_t c) {
    if (x >= 0 && y >= 0 && x < kSide && y < kSide)
      picture.pixels[(size_t)y * kSide + x] = c;
  };
  for (int i = 0; i < 300; ++i) {
    const int x = at(random), y = at(random), n = size(random);
    const uint8_t c = (uint8_t)colour(random);
    for (int k = 0; k < n; ++k) {
      switch (i % 4) {
      case 0:
        put(x + k, y, c);
        break;
      case 1:
        put(x, y + k, c);
        break;
      case 2:
        put(x + k, y + k, c);
        break;
      default:
        put(x + k, y, c), put(x + k, y + n / 2, c), put(x, y + k / 2, c), put(x + n, y + k / 2, c);
        break;
      }
    }
  }
}

drfenc::DrfPicture MakePicture(int kind, double noise) {
  std::mt19937 random(1234u + (unsigned)kind);
  drfenc::DrfPicture picture;
  picture.kind = kind;
  picture.width = picture.height = kSide;
  const int colours = kind == 6 ? 240 : (kind == 7 ? 64 : 4);
  if (kind == 8) {
    picture.pixels.assign((size_t)kSide * kSide, 0);
    return picture;
  }
  std::uniform_int_distribution<int> colour(0, colours - 1), length(1, 60);
  std::uniform_real_distribution<double> chance(0.0, 1.0);
  picture.pixels.resize((size_t)kSide * kSide);
  if (noise < 0) {
    DrawLines(picture, random, colours);
    noise = 0;
  }
  for (size_t i = 0; noise > 0 && i < picture.pixels.size();) {
    const size_t n = std::min<size_t>((size_t)length(random), picture.pixels.size() - i);
    const bool single = chance(random) < noise;
    const uint8_t run = (uint8_t)colour(random);
    for (size_t k = 0; k < n; ++k)
      picture.pixels[i + k] = single ? (uint8_t)colour(random) : run;
    i += n;
  }
  for (int c = 0; kind == 6 && c < 240; ++c)
    picture.colours.push_back({(uint8_t)(c % 64), (uint8_t)(c / 4 % 64), (uint8_t)(63 - c % 64)});
  return picture;
}

// A loaded record of a window handle that no window stands behind: a
// generated picture written to a temporary file, or a bundled sample.
struct LoadedPicture {
  LoadedPicture(int kind, double noise) {
    path = "/tmp/tav_drf_bench_" + std::to_string(getpid()) + "_" + std::to_string(kind) + ".drf";
    temporary = true;
    std::string error;
    if (!drfenc::WriteDrfFile(path, MakePicture(kind, noise), &error)) {
      fprintf(stderr, "%s\n", error.c_str());
      return;
    }
    Load();
  }
  explicit LoadedPicture(const char* sample) : path(std::string(TAV_SAMPLES_DIR) + "/" + sample) { Load(); }
  // A file of exactly these bytes.
  explicit LoadedPicture(const std::vector<uint8_t>& file) {
    path = "/tmp/tav_drf_bench_" + std::to_string(getpid()) + "_raw.drf";
    temporary = true;
    FILE* f = fopen(path.c_str(), "wb");
    const bool written = f != nullptr && fwrite(file.data(), 1, file.size(), f) == file.size();
    if (f == nullptr || fclose(f) != 0 || !written) {
      fprintf(stderr, "%s: cannot be written\n", path.c_str());
      return;
    }
    Load();
  }
  ~LoadedPicture() {
    if (record != nullptr)
      TAVIMG_UnloadPicture(window, record);
    if (temporary)
      remove(path.c_str());
  }

  void Load() {
    static uintptr_t nextWindow = 0xBE0000;
    window = (HWND)(nextWindow += 0x10);
    record = TAVIMG_GetImgStruct(window);
    if (record == nullptr)
      return;
    InitImgStruct(record);
    lstrcpyA(record->DrfPath, path.c_str());
    record->DisplayMode = 3;
    if (!LoadDRFPicture(record))
      return;
    SHORT bits = 0, colourCount = 0;
    TAVIMG_GetDRFColorInfo(record, &bits, &colourCount);
    const size_t width = (size_t)record->DRFSize.x, height = (size_t)record->DRFSize.y;
    buffer.assign(TAVIMG_DRF_DIB_SIZE(width, height, bits, colourCount), 0);
    dataSize = record->DRFDataSize;
    dibSize = 40 + 4 * (size_t)colourCount + TAVIMG_DIB_STRIDE(width, bits) * height;
    ok = TAVIMG_DecodeDRF2DIB(record, buffer.data()) == 1;
  }

  std::string path;
  bool temporary = false;
  HWND window = nullptr;
  ImgStruct* record = nullptr;
  std::vector<uint8_t> buffer;
  size_t dataSize = 0, dibSize = 0;
  bool ok = false;
};

// Seconds of one memcpy of size bytes between warm buffers: the best of many.
double MemcpySeconds(size_t size) {
  std::vector<uint8_t> from(size, 1), to(size);
  double best = 1e9;
  for (int i = 0; i < 300; ++i) {
    const auto start = std::chrono::steady_clock::now();
    memcpy(to.data(), from.data(), size);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

void Measure(benchmark::State& state, LoadedPicture& picture) {
  if (!picture.ok) {
    state.SkipWithError("the picture could not be loaded and exported");
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    LONG result = TAVIMG_DecodeDRF2DIB(picture.record, picture.buffer.data());
    benchmark::DoNotOptimize(result);
    benchmark::ClobberMemory();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)picture.dibSize);
  state.counters["dib_bytes"] = (double)picture.dibSize;
  state.counters["drf_bytes"] = (double)picture.dataSize;
  // One export against one memcpy of the DIB's size: the goal is 5 or less.
  state.counters["x_memcpy"] = seconds / (double)state.iterations() / MemcpySeconds(picture.dibSize);
}

void DecodeAndExport(benchmark::State& state, int kind, double noise) {
  LoadedPicture picture(kind, noise);
  Measure(state, picture);
}

void DecodeAndExportSample(benchmark::State& state, const char* sample) {
  LoadedPicture picture(sample);
  Measure(state, picture);
}

// ---- Hostile pictures.

// The file of 29 bytes: kind 5, 122 x 15,360, 44,960 bytes of data declared
// and 8 present, so that the rest of the stripe reads as literals of 0 pixels.
const std::vector<uint8_t> kHostileFile = {0x00, 0x01, 0x00, 0x35, 0x60, 0x00, 0x00, 0x06, 0x00, 0x00,
                                           0x01, 0x00, 0x7a, 0x00, 0x00, 0x3c, 0xa0, 0xaf, 0x00, 0x00,
                                           0x05, 0x00, 0x00, 0x00, 0x65, 0x06, 0x07, 0x06, 0x28};

// A DRF file without raster table over picture data taken as they are.
std::vector<uint8_t> RawDrf(int kind, int width, int height, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> file(21 + data.size(), 0);
  file[11] = 1; // PictureFlag
  file[12] = (uint8_t)width, file[13] = (uint8_t)(width >> 8);
  file[14] = (uint8_t)height, file[15] = (uint8_t)(height >> 8);
  for (int i = 0; i < 4; ++i)
    file[16 + i] = (uint8_t)(data.size() >> (8 * i));
  file[20] = (uint8_t)kind;
  std::copy(data.begin(), data.end(), file.begin() + 21);
  return file;
}

enum class Hostile {
  noOpStretches,   // kind 5: rows of length 0 over stretches of codes of 0 pixels
  tallNarrow,      // the same, 16 pixels wide (one padded row) and 32,767 rows high
  lengthsDisagree, // kinds 6 and 7: rows of random lengths (most 0 to 3) over codes
};

// Data of the family, all of the 15 stripes a picture may fill, from a seed.
std::vector<uint8_t> HostileFile(int kind, Hostile shape) {
  std::mt19937 random(99u + (unsigned)kind);
  const size_t size = 15 * 65536 - 64;
  const int width = shape == Hostile::tallNarrow ? 16 : (shape == Hostile::noOpStretches ? 122 : 1000);
  const int height = shape == Hostile::lengthsDisagree ? 1000 : (shape == Hostile::tallNarrow ? 32767 : 15360);
  std::vector<uint8_t> data(kind == 6 ? 722 : 0, 0);
  while (data.size() < size) {
    if (shape == Hostile::lengthsDisagree) {
      const unsigned length = random() % 512 == 0 ? (unsigned)(random() % 65536) : (unsigned)(random() % 4);
      data.push_back((uint8_t)(length >> 8));
      data.push_back((uint8_t)length);
      // Kind 6: pixel codes and runs of 0 or 15 pixels. Kind 7: codes of one
      // pixel each (the most codes a row can read), small enough that rows
      // starting among them read short lengths and overlap.
      for (int k = (int)(random() % 64); k > 0; --k) {
        if (kind == 6)
          data.push_back(random() % 2 ? (uint8_t)(random() % 2 * 15) : (uint8_t)random());
        else
          data.push_back((uint8_t)(random() % 4));
      }
      continue;
    }
    data.insert(data.end(), {0, 0}); // a row of length 0
    for (int k = (int)(random() % 40000); k > 0; --k) {
      if (random() % 2)
        data.insert(data.end(), {0, (uint8_t)random()}); // a literal of 0 pixels
      else
        data.push_back((uint8_t)(1 + 2 * (random() % 4))); // a run of 0 pixels
    }
    data.push_back(0x0B); // a run of one pixel now and then
  }
  data.resize(size);
  return RawDrf(kind, width, height, data);
}

void DecodeAndExportHostile(benchmark::State& state, const std::vector<uint8_t>& file) {
  LoadedPicture picture(file);
  Measure(state, picture);
  if (picture.ok) {
    const double pixels = (double)picture.record->DRFSize.x * (double)picture.record->DRFSize.y;
    state.counters["Mpixel_s"] = benchmark::Counter(pixels * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
  }
}

// The same number of bytes as the exported DIB of the kind, copied once.
void CopyDibSize(benchmark::State& state, int kind) {
  const int bits = kind == 5 ? 4 : 8;
  const size_t colours = kind == 5 ? 4 : (kind == 6 ? 240 : 64);
  const size_t size = 40 + 4 * colours + TAVIMG_DIB_STRIDE(kSide, bits) * kSide;
  std::vector<uint8_t> from(size, 1), to(size);
  for (auto _ : state) {
    memcpy(to.data(), from.data(), size);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)size);
  state.counters["dib_bytes"] = (double)size;
}

BENCHMARK_CAPTURE(DecodeAndExport, kind5_lines, 5, -1.0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeAndExport, kind5_busy, 5, 0.2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeAndExport, kind5_noisy, 5, 0.8)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(CopyDibSize, kind5_memcpy, 5)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeAndExport, kind6_lines, 6, -1.0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeAndExport, kind6_busy, 6, 0.2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeAndExport, kind6_noisy, 6, 0.8)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(CopyDibSize, kind6_memcpy, 6)->Unit(benchmark::kMicrosecond);
// Kind 8 decodes nothing: the bands are allocated, zeroed and exported.
BENCHMARK_CAPTURE(DecodeAndExport, kind8_bands_only, 8, 0.0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeAndExport, kind7_lines, 7, -1.0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeAndExport, kind7_busy, 7, 0.2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeAndExport, kind7_noisy, 7, 0.8)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(CopyDibSize, kind7_memcpy, 7)->Unit(benchmark::kMicrosecond);
// The bundled drawings: kind 5 (864 x 1100), 6 (480 x 320) and 7 (400 x 300).
BENCHMARK_CAPTURE(DecodeAndExportSample, drive_unit, "drive-unit.drf")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeAndExportSample, control_panel, "control-panel.drf")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeAndExportSample, bearing_cap, "bearing-cap.drf")->Unit(benchmark::kMicrosecond);
// Hostile pictures: the goal is Mpixel_s of 100 or more.
BENCHMARK_CAPTURE(DecodeAndExportHostile, hostile_29_bytes, kHostileFile)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeAndExportHostile, hostile_kind5_stretches, HostileFile(5, Hostile::noOpStretches))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeAndExportHostile, hostile_kind5_tall, HostileFile(5, Hostile::tallNarrow))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeAndExportHostile, hostile_kind6_lengths, HostileFile(6, Hostile::lengthsDisagree))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeAndExportHostile, hostile_kind7_lengths, HostileFile(7, Hostile::lengthsDisagree))
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
