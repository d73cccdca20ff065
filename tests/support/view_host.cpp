#include "view_host.h"

#include "host_window.h"
#include "tiff_files.h"

#include <gtest/gtest.h>

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

HostWindow::HostWindow(int x, int y, int width, int height) : hwnd_(host::CreateTestWindow(x, y, width, height)) {
  EXPECT_NE(hwnd_, nullptr);
}

HostWindow::~HostWindow() {
  if (hwnd_ != nullptr) {
    host::AttachRecord(hwnd_, nullptr);
    DestroyWindow(hwnd_);
  }
}

void HostWindow::Attach(ImgStruct* record) {
  host::AttachRecord(hwnd_, record);
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
  return host::PumpPaints(hwnd_);
}

bool HostWindow::HasInvalidArea() {
  return GetUpdateRect(hwnd_, nullptr, FALSE) != 0;
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
  std::vector<uint32_t> rgb = host::ReadClientPixels(window, &p.width, &p.height);
  p.colours.reserve(rgb.size());
  for (uint32_t v : rgb) // 0x00RRGGBB to COLORREF
    p.colours.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
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
  TiffBitmap bitmap(width, height);
  bitmap.black = black;
  TiffWriteOptions options;
  options.rowsPerStrip = (uint32_t)rowsPerStrip;
  EXPECT_TRUE(TiffWriteWithLibtiff(path, bitmap, options)) << "libtiff could not write " << path;
  if (hotspots.empty())
    return path;

  std::vector<uint8_t> file;
  if (FILE* f = fopen(path.c_str(), "rb")) {
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
      file.insert(file.end(), buffer, buffer + n);
    fclose(f);
  }
  EXPECT_TRUE(file.size() >= 8 && file[0] == 'I') << "not a little-endian TIFF: " << path;
  if (file.size() >= 8 && file[0] == 'I') {
    AddHotspotTag(file, hotspots);
    EXPECT_TRUE(TiffWriteBytes(path, file));
  }
  return path;
}

} // namespace viewtest
