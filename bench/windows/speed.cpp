// Speed of TavoIMG.dll as a Windows host sees it, built with each mingw
// build and run under Wine (scripts/bench compares the two):
//   tavoimg_speed.exe ROUNDS PAGE.tif DRF...
// Ways, each timed on its own and taken in turn ROUNDS times, the fastest
// pass kept (the machine may be shared):
//   tiff_export   TAVIMG_DecodeTIFF2DIB of the page into a zeroed 1-bit DIB;
//   drf_kindN     TAVIMG_DecodeDRF2DIB of each DRF (named by its kind);
//   fitted_paint  TAVIMG_OnDraw of the page fitted into an 800 x 600 window,
//                 into a 32-bit memory DC of the window's size.
// Prints one line per way: "NAME MICROSECONDS".
#include <tavoimg/tavoimg.h>

#include "host_window.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWindowWidth = 800, kWindowHeight = 600;

struct Way {
  std::string name;
  std::function<void()> run;
  double best = 1e30;
};

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return (double)t.QuadPart * 1e6 / (double)frequency.QuadPart;
}

// The buffer a host sizes for an export: header, colours, rows.
std::vector<BYTE> ExportBuffer(ImgStruct* record, bool drf) {
  LONGLONG size = drf ? TAVIMG_GetDRFSize(record) : TAVIMG_GetTIFFSize(record);
  LONG w = TAVIMG_SIZE_WIDTH(size), h = TAVIMG_SIZE_HEIGHT(size);
  SHORT bits = 1, colours = 2;
  if (drf)
    TAVIMG_GetDRFColorInfo(record, &bits, &colours);
  return std::vector<BYTE>(drf ? TAVIMG_DRF_DIB_SIZE(w, h, bits, colours) : TAVIMG_TIFF_DIB_SIZE(w, h), 0);
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: tavoimg_speed ROUNDS PAGE.tif [DRF...]\n");
    return 2;
  }
  int rounds = atoi(argv[1]);
  std::vector<HWND> windows;
  std::vector<Way> ways;
  // Each picture in a window of its own, loaded and shown as a host does.
  auto open = [&](const char* tiff, const char* drf, DWORD mode, DWORD type) -> ImgStruct* {
    HWND window = host::CreateTestWindow(0, 0, kWindowWidth, kWindowHeight);
    ImgStruct* record = TAVIMG_LoadPicture(window, 0, nullptr, tiff, drf, mode, type, 0);
    if (record == nullptr) {
      fprintf(stderr, "tavoimg_speed: %s%s does not open\n", tiff, drf);
      exit(1);
    }
    host::AttachRecord(window, record);
    host::PumpPaints(window);
    windows.push_back(window);
    return record;
  };

  const char* page = argv[2];
  ImgStruct* tiff = open(page, "", 1, TAVIMG_FILE_TIFF);
  static std::vector<BYTE> tiffDib = ExportBuffer(tiff, false);
  ways.push_back({"tiff_export", [tiff] {
                    memset(tiffDib.data(), 0, tiffDib.size()); // the host's part: a zeroed DIB
                    TAVIMG_DecodeTIFF2DIB(tiff, tiffDib.data());
                  }});
  for (int i = 3; i < argc; ++i) {
    ImgStruct* drf = open("", argv[i], 0, TAVIMG_FILE_DRF);
    auto dib = std::make_shared<std::vector<BYTE>>(ExportBuffer(drf, true));
    ways.push_back(
        {"drf_kind" + std::to_string(drf->DRFColorType), [drf, dib] { TAVIMG_DecodeDRF2DIB(drf, dib->data()); }});
  }

  // The fitted page: drawn as the window's paint draws it, into a memory DC.
  HWND pageWindow = windows.front();
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = kWindowWidth;
  info.bmiHeader.biHeight = kWindowHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC windowDC = GetDC(pageWindow);
  HDC memoryDC = CreateCompatibleDC(windowDC);
  HBITMAP surface = CreateDIBSection(windowDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ oldBitmap = SelectObject(memoryDC, surface);
  ways.push_back({"fitted_paint", [pageWindow, tiff, memoryDC] { TAVIMG_OnDraw(pageWindow, tiff, memoryDC); }});
  // A paint that draws nothing would be timed as fast.
  memset(bits, 0xFF, (size_t)kWindowWidth * kWindowHeight * 4);
  TAVIMG_OnDraw(pageWindow, tiff, memoryDC);
  GdiFlush();
  const uint32_t* pixels = (const uint32_t*)bits;
  if (std::count_if(pixels, pixels + kWindowWidth * kWindowHeight, [](uint32_t p) { return (p & 0xFFFFFF) == 0; }) ==
      0) {
    fprintf(stderr, "tavoimg_speed: the fitted paint drew no black pixel\n");
    return 1;
  }

  for (int r = 0; r < rounds; ++r) {
    for (Way& way : ways) {
      double start = Now();
      way.run();
      double took = Now() - start;
      if (took < way.best)
        way.best = took;
    }
  }
  for (const Way& way : ways)
    printf("%s %.1f\n", way.name.c_str(), way.best);

  SelectObject(memoryDC, oldBitmap);
  DeleteObject(surface);
  DeleteDC(memoryDC);
  ReleaseDC(pageWindow, windowDC);
  for (HWND window : windows) {
    TAVIMG_UnloadPicture(window, TAVIMG_GetImgStruct(window));
    DestroyWindow(window);
  }
  return 0;
}
