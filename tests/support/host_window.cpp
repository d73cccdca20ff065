#include "host_window.h"

namespace host {

namespace {

const char kClassName[] = "TavTestHostWindow";

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* record = reinterpret_cast<ImgStruct*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (record)
    return static_cast<LRESULT>(TAVIMG_OnMessage(window, message, wParam, lParam, record));
  return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterHostClass() {
  static bool registered = false;
  if (registered)
    return;
  WNDCLASSA wc{};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  registered = RegisterClassA(&wc) != 0;
}

} // namespace

HWND CreateTestWindow(int x, int y, int width, int height) {
  RegisterHostClass();
  return CreateWindowExA(0, kClassName, "TavoIMG test", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void AttachRecord(HWND window, ImgStruct* record) {
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
}

int PumpPaints(HWND window) {
  int delivered = 0;
  while (delivered < 16 && GetUpdateRect(window, nullptr, FALSE)) {
    UpdateWindow(window);
    ++delivered;
  }
  return delivered;
}

std::vector<uint32_t> ReadClientPixels(HWND window, int* width, int* height) {
  RECT client{};
  if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0)
    return {};
  int w = client.right, h = client.bottom;
  HDC windowDC = GetDC(window);
  HDC memoryDC = CreateCompatibleDC(windowDC);
  HBITMAP bitmap = CreateCompatibleBitmap(windowDC, w, h);
  HGDIOBJ old = SelectObject(memoryDC, bitmap);
  BitBlt(memoryDC, 0, 0, w, h, windowDC, 0, 0, SRCCOPY);
  SelectObject(memoryDC, old);

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h; // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
  int rows = GetDIBits(memoryDC, bitmap, 0, static_cast<UINT>(h), pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memoryDC);
  ReleaseDC(window, windowDC);
  if (rows != h)
    return {};
  for (uint32_t& p : pixels)
    p &= 0x00FFFFFFu;
  if (width)
    *width = w;
  if (height)
    *height = h;
  return pixels;
}

} // namespace host

namespace viewtest {

std::vector<Notification>& Notifications() {
  static std::vector<Notification> log;
  return log;
}

void CALLBACK RecordNotification(DWORD zero, UINT message, char* hotspotName) {
  Notifications().emplace_back(zero, message, hotspotName ? std::string(hotspotName) : std::string());
}

HostWindow::~HostWindow() {
  if (IsWindow(hwnd_)) {
    host::AttachRecord(hwnd_, nullptr);
    DestroyWindow(hwnd_);
  }
}

std::pair<int, int> HostWindow::ScrollRange(int bar) {
  std::pair<int, int> range(-12345, -12345);
  GetScrollRange(hwnd_, bar, &range.first, &range.second);
  return range;
}

Pixels ReadClient(HWND window) {
  Pixels p;
  for (uint32_t v : host::ReadClientPixels(window, &p.width, &p.height)) // 0x00RRGGBB to COLORREF
    p.colours.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
  return p;
}

} // namespace viewtest
