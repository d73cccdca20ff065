#include "view_host.h"

#include <gtest/gtest.h>
#include <tavwin_test.h>

#ifdef TAV_HAVE_LIBTIFF
#  include <tiffio.h>
#endif

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace viewtest {

std::string TempPath(const std::string& name) {
  std::string dir = std::string(TAV_BINARY_DIR) + "/view_tmp";
  mkdir(dir.c_str(), 0777);
  std::string path = dir + "/" + std::to_string(getpid()) + "_" + name;
  remove(path.c_str());
  return path;
}

std::vector<Notification>& Notifications() {
  static std::vector<Notification> log;
  return log;
}

void CALLBACK RecordNotification(DWORD zero, UINT message, char* hotspotName) {
  Notifications().push_back(Notification{zero, message, hotspotName ? std::string(hotspotName) : std::string()});
}

namespace {

const char kHostClass[] = "TavViewHost";

LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* record = reinterpret_cast<ImgStruct*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (record != nullptr && TAVIMG_OnMessage(window, message, wParam, lParam, record) != 0)
    return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterHostClass() {
  static bool registered = false;
  if (registered)
    return;
  WNDCLASSA wc = {};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = HostProcedure;
  wc.lpszClassName = kHostClass;
  registered = RegisterClassA(&wc) != 0;
}

} // namespace

HostWindow::HostWindow(int x, int y, int width, int height) {
  RegisterHostClass();
  hwnd_ = CreateWindowExA(0, kHostClass, "view", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr, nullptr, nullptr,
                          nullptr);
  EXPECT_NE(hwnd_, nullptr);
}

HostWindow::~HostWindow() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void HostWindow::Attach(ImgStruct* record) {
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, (LONG_PTR)record);
}

ImgStruct* HostWindow::Load(const std::string& tiffPath, const std::string& drfPath, DWORD displayMode,
                            DWORD fileType) {
  ImgStruct* record =
      TAVIMG_LoadPicture(hwnd_, 0, RecordNotification, tiffPath.c_str(), drfPath.c_str(), displayMode, fileType, 0);
  Attach(record);
  return record;
}

LRESULT HostWindow::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(hwnd_, message, wParam, lParam);
}

void HostWindow::Mouse(UINT message, int x, int y, WPARAM keys) {
  Send(message, keys, MAKELPARAM(x, y));
}

int HostWindow::Pump() {
  return tavwin::PumpPaints(hwnd_);
}

bool HostWindow::HasInvalidArea() {
  RECT r;
  return GetUpdateRect(hwnd_, &r, FALSE) != 0;
}

RECT HostWindow::WindowRect() {
  RECT r = {};
  GetWindowRect(hwnd_, &r);
  return r;
}

RECT HostWindow::ClientRect() {
  RECT r = {};
  GetClientRect(hwnd_, &r);
  return r;
}

void HostWindow::ScrollRange(int bar, int* minPos, int* maxPos) {
  *minPos = *maxPos = -12345;
  GetScrollRange(hwnd_, bar, minPos, maxPos);
}

Pixels ReadClient(HWND window) {
  Pixels p;
  RECT client = {};
  GetClientRect(window, &client);
  p.width = client.right;
  p.height = client.bottom;
  p.colours.resize((size_t)p.width * p.height);
  HDC dc = GetDC(window);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      p.colours[(size_t)y * p.width + x] = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return p;
}

bool HaveLibtiff() {
#ifdef TAV_HAVE_LIBTIFF
  return true;
#else
  return false;
#endif
}

namespace {

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = v & 0xFF;
  out[at + 1] = (v >> 8) & 0xFF;
}
void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  Put16(out, at, v & 0xFFFF);
  Put16(out, at + 2, v >> 16);
}
uint32_t Get16(const std::vector<uint8_t>& in, size_t at) {
  return in[at] | (in[at + 1] << 8);
}
uint32_t Get32(const std::vector<uint8_t>& in, size_t at) {
  return Get16(in, at) | (Get16(in, at + 2) << 16);
}
void Append16(std::vector<uint8_t>& out, uint32_t v) {
  out.resize(out.size() + 2);
  Put16(out, out.size() - 2, v);
}

// Appends the hotspot records and a copy of the first directory with the
// tag 65024 added as its last entry, and points the header at the copy.
// The file is little-endian, as libtiff was asked to write it.
void AddHotspotTag(std::vector<uint8_t>& file, const std::vector<TiffHotspot>& hotspots) {
  if (file.size() % 2)
    file.push_back(0);
  const uint32_t recordsAt = (uint32_t)file.size();
  for (const TiffHotspot& h : hotspots) {
    Append16(file, (uint32_t)(12 + h.name.size() + h.text.size()));
    Append16(file, h.x);
    Append16(file, h.y);
    Append16(file, h.width);
    Append16(file, h.height);
    file.push_back((uint8_t)h.name.size());
    file.insert(file.end(), h.name.begin(), h.name.end());
    file.push_back((uint8_t)h.text.size());
    file.insert(file.end(), h.text.begin(), h.text.end());
    file.push_back(h.kind);
    file.push_back(0);
  }
  if (file.size() % 2)
    file.push_back(0);

  const uint32_t oldIfd = Get32(file, 4);
  const uint32_t count = Get16(file, oldIfd);
  const uint32_t newIfd = (uint32_t)file.size();
  file.resize(file.size() + 2 + 12 * (count + 1) + 4, 0);
  Put16(file, newIfd, count + 1);
  std::copy(file.begin() + oldIfd + 2, file.begin() + oldIfd + 2 + 12 * count, file.begin() + newIfd + 2);
  const size_t entry = newIfd + 2 + 12 * count;
  Put16(file, entry, 65024);
  Put16(file, entry + 2, 4); // LONG
  Put32(file, entry + 4, (uint32_t)hotspots.size());
  Put32(file, entry + 8, recordsAt);
  Put32(file, 4, newIfd);
}

} // namespace

std::string WriteTiff(const std::string& name, int width, int height, const std::vector<uint8_t>& black,
                      const std::vector<TiffHotspot>& hotspots, int rowsPerStrip) {
  std::string path = TempPath(name);
#ifdef TAV_HAVE_LIBTIFF
  TIFF* tif = TIFFOpen(path.c_str(), "wl");
  EXPECT_NE(tif, nullptr);
  if (tif == nullptr)
    return path;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, (uint32_t)width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, (uint32_t)height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTRLE);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, (uint32_t)rowsPerStrip);
  std::vector<uint8_t> row((width + 7) / 8);
  for (int y = 0; y < height; ++y) {
    std::fill(row.begin(), row.end(), 0);
    for (int x = 0; x < width; ++x)
      if (black[(size_t)y * width + x])
        row[x / 8] |= (uint8_t)(0x80 >> (x % 8));
    EXPECT_EQ(TIFFWriteScanline(tif, row.data(), (uint32_t)y, 0), 1);
  }
  TIFFClose(tif);

  if (!hotspots.empty()) {
    FILE* f = fopen(path.c_str(), "rb");
    std::vector<uint8_t> file;
    if (f != nullptr) {
      uint8_t buffer[65536];
      size_t n;
      while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        file.insert(file.end(), buffer, buffer + n);
      fclose(f);
    }
    EXPECT_GE(file.size(), 8u);
    if (file.size() >= 8) {
      AddHotspotTag(file, hotspots);
      f = fopen(path.c_str(), "wb");
      EXPECT_NE(f, nullptr);
      if (f != nullptr) {
        fwrite(file.data(), 1, file.size(), f);
        fclose(f);
      }
    }
  }
#else
  (void)width;
  (void)height;
  (void)black;
  (void)hotspots;
  (void)rowsPerStrip;
  ADD_FAILURE() << "libtiff is needed to write test TIFFs";
#endif
  return path;
}

} // namespace viewtest
