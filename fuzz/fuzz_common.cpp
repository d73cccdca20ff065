#include "fuzz_common.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fuzz {

std::string TempPath(const char* slot) {
  const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(dir) + "/tavfuzz-" + std::to_string((long)getpid()) + "-" + slot;
}

std::string WriteTempFile(const char* slot, const uint8_t* data, size_t size) {
  std::string path = TempPath(slot);
  std::ofstream(path, std::ios::binary).write((const char*)data, (std::streamsize)size);
  return path;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool IsTiffName(const std::string& path) {
  return std::filesystem::path(path).extension() == ".tif";
}

const std::vector<std::string>& SampleFiles() {
  static const std::vector<std::string> files = [] {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& e : std::filesystem::directory_iterator(TAV_SAMPLES_DIR, error))
      if (IsTiffName(e.path()) || e.path().extension() == ".drf")
        found.push_back(e.path());
    std::sort(found.begin(), found.end());
    return found;
  }();
  return files;
}

void Pump(HWND window) {
  MSG msg;
  for (int i = 0; i < 8 && PeekMessageA(&msg, window, 0, 0, PM_REMOVE); ++i)
    DispatchMessageA(&msg);
}

void Export(ImgStruct* record, bool tiff) {
  int64_t bytes = 0;
  if (tiff) {
    // The export takes the size as 16-bit numbers.
    const LONGLONG size = TAVIMG_GetTIFFSize(record);
    const int64_t w = (uint16_t)TAVIMG_SIZE_WIDTH(size), h = (uint16_t)TAVIMG_SIZE_HEIGHT(size);
    bytes = w == 0 || h == 0 ? 0 : (int64_t)TAVIMG_TIFF_DIB_SIZE(w, h);
  } else {
    SHORT bits = 0, colours = 0;
    const LONGLONG size = TAVIMG_GetDRFSize(record);
    const int64_t w = TAVIMG_SIZE_WIDTH(size), h = TAVIMG_SIZE_HEIGHT(size);
    if (TAVIMG_GetDRFColorInfo(record, &bits, &colours) != 0 && w > 0 && h > 0)
      bytes = (int64_t)TAVIMG_DRF_DIB_SIZE(w, h, bits, colours) + 16;
  }
  if (bytes == 0 || bytes > (8 << 20))
    return;
  std::vector<uint8_t> buffer((size_t)bytes, 0);
  if (tiff)
    TAVIMG_DecodeTIFF2DIB(record, buffer.data());
  else
    TAVIMG_DecodeDRF2DIB(record, buffer.data());
}

static UINT LastErrorCode() {
  return (UINT)(1 - TAVIMG_GetLastError(nullptr));
}

Used Use(bool tiff, const std::string& tiffPath, const std::string& drfPath) {
  Window host(200, 150);
  HWND window = host.hwnd();
  ImgStruct* record = TAVIMG_OpenImage(window, 0, nullptr, tiffPath.c_str(), drfPath.c_str(), tiff ? 1 : 0,
                                       tiff ? TAVIMG_FILE_TIFF : TAVIMG_FILE_DRF, 0);
  Used used = {record != nullptr, LastErrorCode(), 0};
  if (record == nullptr) {
    TAVIMG_UnloadPicture(window, TAVIMG_GetImgStruct(window));
    return used;
  }
  host.Attach(record);
  TAVIMG_RedrawPicture(window, record);
  used.paintCode = LastErrorCode();
  TAVIMG_ActivateAllHotspots(1, record);
  TAVIMG_SetAllHotspots(window, 1, record);
  if (IsWindow(window)) {
    Pump(window);
    TAVIMG_OnMessage(window, WM_MOUSEMOVE, 0, MAKELPARAM(40, 30), record);
    TAVIMG_SetZoomMode(record);
    TAVIMG_OnMessage(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 20), record);
    TAVIMG_OnMessage(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(90, 70), record);
    TAVIMG_OnMessage(window, WM_LBUTTONUP, 0, MAKELPARAM(90, 70), record);
    Pump(window);
    TAVIMG_OnMessage(window, WM_VSCROLL, SB_PAGEDOWN, 0, record);
    TAVIMG_OnMessage(window, WM_HSCROLL, SB_LINERIGHT, 0, record);
    Pump(window);
  }
  Export(record, tiff);
  TAVIMG_UnloadPicture(window, record);
  return used;
}

} // namespace fuzz
