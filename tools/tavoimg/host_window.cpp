#include "host_window.h"

#include <afx.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace tool {

namespace {

const char kWindowClass[] = "TavoImgToolWindow";

bool ReadHead(const std::string& path, unsigned char* buffer, size_t size, size_t& got) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!f) {
    return false;
  }
  got = std::fread(buffer, 1, size, f.get());
  return true;
}

} // namespace

PictureFormat SniffFormat(const std::string& path) {
  unsigned char head[4];
  size_t got = 0;
  if (ReadHead(path, head, sizeof head, got) && got == 4 &&
      (std::memcmp(head, "II*\0", 4) == 0 || std::memcmp(head, "MM\0*", 4) == 0)) {
    return PictureFormat::Tiff;
  }
  return PictureFormat::Drf;
}

int SniffDrfKind(const std::string& path) {
  unsigned char head[71];
  size_t got = 0;
  if (!ReadHead(path, head, sizeof head, got) || got < 21) {
    return -1;
  }
  size_t info = (head[1] & 0x10) ? 61 : 11;
  return got >= info + 10 ? static_cast<signed char>(head[info + 9]) : -1;
}

long SniffTiffCompression(const std::string& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
  unsigned char b[12];
  if (!f || std::fread(b, 1, 8, f.get()) != 8 || (b[0] != 'I' && b[0] != 'M')) {
    return -1;
  }
  bool little = b[0] == 'I';
  auto number = [little](const unsigned char* p, int size) {
    unsigned long v = 0;
    for (int i = 0; i < size; ++i) {
      v |= static_cast<unsigned long>(p[little ? i : size - 1 - i]) << (8 * i);
    }
    return v;
  };
  if (std::fseek(f.get(), static_cast<long>(number(b + 4, 4)), SEEK_SET) != 0 || std::fread(b, 1, 2, f.get()) != 2) {
    return -1;
  }
  for (unsigned long n = number(b, 2); n > 0 && std::fread(b, 1, 12, f.get()) == 12; --n) {
    if (number(b, 2) == 259) { // Compression: a SHORT, or a LONG from some writers
      return static_cast<long>(number(b + 8, number(b + 2, 2) == 4 ? 4 : 2));
    }
  }
  return -1;
}

std::string LibraryErrorText() {
  CString text;
  if (TAVIMG_GetLastError(&text) == 1) {
    return "";
  }
  std::string s = text.GetString();
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) {
    s.pop_back();
  }
  for (char& c : s) {
    if (c == '\n' || c == '\r') {
      c = ' ';
    }
  }
  return s;
}

HostWindow::HostWindow(int width, int height) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc;
    std::memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kWindowClass;
    registered = RegisterClassA(&wc) != 0;
  }
  window_ = CreateWindowExA(0, kWindowClass, "tavoimg", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                            instance, nullptr);
  if (window_) {
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
}

HostWindow::~HostWindow() {
  if (record_) {
    TAVIMG_UnloadPicture(window_, record_);
  }
  if (window_ && IsWindow(window_)) {
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

LRESULT CALLBACK HostWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* host = reinterpret_cast<HostWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (host && host->record_ && TAVIMG_OnMessage(window, message, wParam, lParam, host->record_)) {
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool HostWindow::Open(const PictureSource& source, DWORD displayMode, bool draw, std::string& error) {
  if (!window_) {
    error = "cannot create a window";
    return false;
  }
  bool tiff = source.format == PictureFormat::Tiff;
  const char* tiffPath = tiff ? source.path.c_str() : source.tiffPath.c_str();
  const char* drfPath = tiff ? "" : source.path.c_str();
  DWORD fileType = tiff ? TAVIMG_FILE_TIFF : TAVIMG_FILE_DRF;
  record_ = draw ? TAVIMG_LoadPicture(window_, 0, nullptr, tiffPath, drfPath, displayMode, fileType, 0)
                 : TAVIMG_OpenImage(window_, 0, nullptr, tiffPath, drfPath, displayMode, fileType, 0);
  if (record_) {
    return true;
  }
  error = LibraryErrorText();
  if (error.empty()) {
    error = "the library could not open the picture";
  }
  // The slot stays with the window after a failed opening; give it back.
  TAVIMG_UnloadPicture(window_, TAVIMG_GetImgStruct(window_));
  return false;
}

LRESULT HostWindow::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(window_, message, wParam, lParam);
}

void HostWindow::Paint() {
  // UpdateWindow sends WM_PAINT while something is invalid; a paint may
  // invalidate again (a zoom that settles), so a few rounds are allowed.
  for (int round = 0; round < 8 && GetUpdateRect(window_, nullptr, FALSE); ++round) {
    UpdateWindow(window_);
  }
}

bool HostWindow::ReadBack(Image& image, std::string& error) {
  RECT client = {0, 0, 0, 0};
  if (!IsWindow(window_) || !GetClientRect(window_, &client)) {
    // The library destroys the window when a DRF picture cannot be decoded.
    error = "the window is gone: the picture could not be drawn";
    return false;
  }
  int w = client.right - client.left, h = client.bottom - client.top;
  if (w < 1 || h < 1) {
    error = "the window has no client area";
    return false;
  }
  HDC dc = GetDC(window_);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, w, h);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BOOL copied = BitBlt(memory, 0, 0, w, h, dc, 0, 0, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h; // bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint8_t> bits(static_cast<size_t>(w) * h * 4);
  int rows = copied ? GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), bits.data(), &info, DIB_RGB_COLORS) : 0;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window_, dc);
  if (rows != h) {
    error = "cannot read the window's pixels back";
    return false;
  }
  image.Resize(w, h);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = &bits[static_cast<size_t>(h - 1 - y) * w * 4];
    for (int x = 0; x < w; ++x) {
      uint8_t* p = image.Pixel(x, y);
      p[0] = row[4 * x + 2];
      p[1] = row[4 * x + 1];
      p[2] = row[4 * x];
    }
  }
  return true;
}

} // namespace tool
