#include "fuzz_common.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <vector>

namespace fuzz {

static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ImgStruct* record = (ImgStruct*)GetWindowLongPtrA(window, GWLP_USERDATA);
  if (record != nullptr)
    return (LRESULT)TAVIMG_OnMessage(window, message, wParam, lParam, record);
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateHostWindow(int width, int height) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HostProc;
    wc.lpszClassName = "TavFuzzHost";
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    RegisterClassA(&wc);
    registered = true;
    TAVIMG_ShowErrorMessages(0);
  }
  return CreateWindowExA(0, "TavFuzzHost", "fuzz", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                         nullptr, nullptr);
}

void Attach(HWND window, ImgStruct* record) {
  SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)record);
}

void DestroyHostWindow(HWND window) {
  if (IsWindow(window)) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
  }
}

std::string TempPath(const char* slot) {
  const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(dir) + "/tavfuzz-" + std::to_string((long)getpid()) + "-" + slot;
}

std::string WriteTempFile(const char* slot, const uint8_t* data, size_t size) {
  std::string path = TempPath(slot);
  FILE* f = fopen(path.c_str(), "wb");
  if (f != nullptr) {
    if (size > 0)
      fwrite(data, 1, size, f);
    fclose(f);
  }
  return path;
}

void Pump(HWND window) {
  MSG msg;
  for (int i = 0; i < 8 && PeekMessageA(&msg, window, 0, 0, PM_REMOVE); ++i)
    DispatchMessageA(&msg);
}

void ExportDRF(ImgStruct* record, size_t limit) {
  SHORT bits = 0, colours = 0;
  if (TAVIMG_GetDRFColorInfo(record, &bits, &colours) == 0)
    return;
  LONGLONG size = TAVIMG_GetDRFSize(record);
  int64_t w = (int32_t)(size & 0xffffffff), h = (int32_t)(size >> 32);
  if (w <= 0 || h <= 0)
    return;
  int64_t padded = (w + 15) / 16 * 16;
  int64_t bytes = 40 + 4 * (int64_t)colours + padded * bits / 8 * h;
  if (bytes > (int64_t)limit)
    return;
  std::vector<uint8_t> buffer((size_t)bytes + 16);
  TAVIMG_DecodeDRF2DIB(record, buffer.data());
}

void ExportTIFF(ImgStruct* record, size_t limit) {
  LONGLONG size = TAVIMG_GetTIFFSize(record);
  // The export takes the size as 16-bit numbers.
  int64_t w = (uint16_t)(size & 0xffff), h = (uint16_t)((size >> 32) & 0xffff);
  if (w == 0 || h == 0)
    return;
  int64_t bytes = 48 + (w + 31) / 32 * 4 * h;
  if (bytes > (int64_t)limit)
    return;
  std::vector<uint8_t> buffer((size_t)bytes, 0);
  TAVIMG_DecodeTIFF2DIB(record, buffer.data());
}

} // namespace fuzz
