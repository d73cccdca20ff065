// A full fax page (1728 x 2200, Compression 2, rendered by Ghostscript at run
// time) decoded three ways in one run:
//   libtiff_decode  libtiff decodes every strip (the file opened once);
//   export          TAVIMG_DecodeTIFF2DIB into a zeroed 1-bit DIB;
//   fitted_paint    DrawTIFF of the whole page fitted into an 800 x 600
//                   stand-in window (the size the view fits it to).
// Goals: export <= 0.8 x libtiff_decode, fitted_paint <= 1.0 x libtiff_decode.
#include <tavoimg/tavoimg.h>

#include <benchmark/benchmark.h>

#include "tiff/tiff.h"
#include "view/view.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#ifdef TAV_HAVE_LIBTIFF
#  include <tiffio.h>
using TiffHandle = TIFF*;
#else
using TiffHandle = void*;
#endif

namespace {

constexpr int kPageWidth = 1728, kPageHeight = 2200;
constexpr int kWindowWidth = 800, kWindowHeight = 600;

std::string PagePath() {
  return "/tmp/tav_tiff_bench_" + std::to_string(getpid()) + ".tif";
}

// The page (bench/fax-page.ps: text in two sizes, rules, halftoned discs
// with many short runs and a fan of lines, what a faxed technical page
// holds) as Ghostscript renders it for fax.
bool RenderPage(const std::string& path) {
  std::string command = "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=tiffcrle -r200 -g" + std::to_string(kPageWidth) +
                        "x" + std::to_string(kPageHeight) + " -sOutputFile='" + path +
                        "' '" TAV_BENCH_DIR "/fax-page.ps' >/dev/null 2>&1";
  return system(command.c_str()) == 0;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// The page, its window and its record, opened as a host opens a TIFF fitted
// to the window (display mode 1).
struct Page {
  Page() {
    path = PagePath();
    if (!RenderPage(path)) {
      error = "Ghostscript could not render the page (scripts/deps installs it)";
      return;
    }
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.lpszClassName = "TavTiffBench";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, "TavTiffBench", "", WS_POPUP | WS_VISIBLE, 0, 0, kWindowWidth, kWindowHeight, nullptr,
                             nullptr, nullptr, nullptr);
    record = TAVIMG_OpenImage(window, 0, nullptr, path.c_str(), "", 1, TAVIMG_FILE_TIFF, 0);
    if (window == nullptr || record == nullptr) {
      error = "the page could not be opened";
      return;
    }
    // The fitted size and centring, as the paint of the fitted view sets them.
    TAVIMG_RecalcLayout(window, record);
    FitPictureToView(record, (double)kPageHeight / kPageWidth);
    fitWidth = (int)(record->FitSize.x + 0.5);
    fitHeight = (int)(record->FitSize.y + 0.5);
    record->BildMitte = {(kWindowWidth - fitWidth) / 2, (kWindowHeight - fitHeight) / 2};
    dib.assign(TAVIMG_TIFF_DIB_SIZE(kPageWidth, kPageHeight), 0);
  }
  ~Page() {
    if (record != nullptr)
      TAVIMG_UnloadPicture(window, record);
    if (window != nullptr)
      DestroyWindow(window);
    remove(path.c_str());
  }
  std::string path, error;
  HWND window = nullptr;
  ImgStruct* record = nullptr;
  int fitWidth = 0, fitHeight = 0;
  std::vector<uint8_t> dib;
};

Page& ThePage() {
  static Page page;
  return page;
}

// The three ways, one pass each.
struct Ways {
  explicit Ways(Page& page) : page(page) {
#ifdef TAV_HAVE_LIBTIFF
    if (page.error.empty())
      tif = TIFFOpen(page.path.c_str(), "r");
    if (tif != nullptr)
      rows.resize((size_t)TIFFStripSize(tif));
#endif
    if (page.window != nullptr)
      dc = GetDC(page.window);
  }
  ~Ways() {
#ifdef TAV_HAVE_LIBTIFF
    if (tif != nullptr)
      TIFFClose(tif);
#endif
    if (dc != nullptr)
      ReleaseDC(page.window, dc);
  }
  const char* Problem() const {
    if (!page.error.empty())
      return page.error.c_str();
    return tif == nullptr ? "libtiff is missing or could not open the page (scripts/deps)" : nullptr;
  }
  void LibtiffDecode() {
#ifdef TAV_HAVE_LIBTIFF
    for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif); ++s)
      TIFFReadEncodedStrip(tif, s, rows.data(), (tmsize_t)rows.size());
    benchmark::DoNotOptimize(rows.data());
#endif
  }
  void Export() {
    memset(page.dib.data(), 0, page.dib.size()); // the caller's part: a zeroed DIB
    LONG result = TAVIMG_DecodeTIFF2DIB(page.record, page.dib.data());
    benchmark::DoNotOptimize(result);
  }
  void FittedPaint() {
    RECT client = {0, 0, kWindowWidth, kWindowHeight};
    DrawTIFF(0, 0, 0, kPageWidth, 0, kPageHeight, page.fitWidth, page.fitHeight, page.record, dc, &client);
  }

  Page& page;
  TiffHandle tif = nullptr;
  std::vector<uint8_t> rows;
  HDC dc = nullptr;
};

template <void (Ways::*way)()> void Run(benchmark::State& state) {
  Ways ways(ThePage());
  if (ways.Problem() != nullptr) {
    state.SkipWithError(ways.Problem());
    return;
  }
  for (auto _ : state) {
    (ways.*way)();
    benchmark::ClobberMemory();
  }
}

// The machine may be shared: the three ways in turn, many times, and the
// fastest pass of each, so that a burst of load elsewhere does not land on
// one way only.
void CompareInTurn(int rounds) {
  Ways ways(ThePage());
  if (ways.Problem() != nullptr)
    return;
  using Clock = std::chrono::steady_clock;
  void (Ways::*all[3])() = {&Ways::LibtiffDecode, &Ways::Export, &Ways::FittedPaint};
  double best[3] = {1e30, 1e30, 1e30};
  for (int r = 0; r < rounds; ++r) {
    for (int w = 0; w < 3; ++w) {
      Clock::time_point start = Clock::now();
      (ways.*all[w])();
      best[w] = std::min(best[w], std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
  }
  printf("fastest of %d passes in turn: libtiff_decode %.0f us, export %.0f us, fitted_paint %.0f us (%d x %d)\n",
         rounds, best[0], best[1], best[2], ways.page.fitWidth, ways.page.fitHeight);
  printf("  export / libtiff_decode = %.2f (goal <= 0.80)\n", best[1] / best[0]);
  printf("  fitted_paint / libtiff_decode = %.2f (goal <= 1.00)\n", best[2] / best[0]);
}

BENCHMARK_TEMPLATE(Run, &Ways::LibtiffDecode)->Name("libtiff_decode")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(Run, &Ways::Export)->Name("export")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(Run, &Ways::FittedPaint)->Name("fitted_paint")->Unit(benchmark::kMicrosecond);

// Keeps each benchmark's times per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      // One repetition's time, or the median of repetitions.
      bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (!run.error_occurred && (run.run_type == Run::RT_Iteration || median)) {
        real[run.run_name.str()] = run.GetAdjustedRealTime();
        cpu[run.run_name.str()] = run.GetAdjustedCPUTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> real, cpu;
};

void PrintRatio(RatioReporter& r, const char* name, double goal) {
  const char* base = "libtiff_decode";
  if (r.cpu.count(base) == 0 || r.cpu.count(name) == 0 || r.cpu[base] <= 0 || r.real[base] <= 0)
    return;
  printf("%-13s / %s = %.2f CPU time, %.2f real time (goal <= %.2f)\n", name, base, r.cpu[name] / r.cpu[base],
         r.real[name] / r.real[base], goal);
}

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatio(reporter, "export", 0.8);
  PrintRatio(reporter, "fitted_paint", 1.0);
  CompareInTurn(200);
  benchmark::Shutdown();
  return 0;
}
