// The host window of the tests, written against plain Win32 so that the same
// code serves the Windows test host: a visible WS_POPUP window whose
// procedure passes every message, with the record kept in GWLP_USERDATA, to
// TAVIMG_OnMessage and returns its result (without a record it answers as
// DefWindowProcA). The class has no background brush, so nothing but the
// library paints the client area (black at first in the Linux stand-in).
#ifndef TAV_TESTS_SUPPORT_HOST_WINDOW_H
#define TAV_TESTS_SUPPORT_HOST_WINDOW_H

#include <tavoimg/tavoimg.h>

#include <stdint.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace host {

// A visible WS_POPUP window at (x, y) of width x height (its client area too).
HWND CreateTestWindow(int x, int y, int width, int height);
// Attaches (or with null detaches) the record the procedure forwards to.
void AttachRecord(HWND window, ImgStruct* record);
// Sends WM_PAINT while the window has something invalid (at most 16 times);
// returns the number of paints delivered.
int PumpPaints(HWND window);
// The client area as 0x00RRGGBB values, rows top to bottom, read with BitBlt
// and GetDIBits (32-bit). Empty when the window is gone or has no client area.
std::vector<uint32_t> ReadClientPixels(HWND window, int* width = nullptr, int* height = nullptr);

} // namespace host

namespace viewtest {
// One call of the host callback: the zero it passes, the message and the
// hovered hotspot's name.
using Notification = std::tuple<DWORD, UINT, std::string>;
// The callback a host passes to the opening; every call is logged.
void CALLBACK RecordNotification(DWORD zero, UINT message, char* hotspotName);
std::vector<Notification>& Notifications();

// "x,y" of a pair and "left,top,right,bottom" of a rectangle (the record's
// packed ones are taken by value), to compare them whole.
template <typename Pair> std::string XY(Pair p) {
  return std::to_string(p.x) + "," + std::to_string(p.y);
}
template <typename Rect> std::string Sides(Rect r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

// A visible WS_POPUP window of a host; once a record is attached every
// message goes to TAVIMG_OnMessage with it. The window is destroyed with the
// object; the record is the test's to unload.
class HostWindow {
public:
  HostWindow(int x, int y, int width, int height) : hwnd_(host::CreateTestWindow(x, y, width, height)) {}
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  void Attach(ImgStruct* record) { host::AttachRecord(hwnd_, record); }

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(hwnd_, message, wParam, lParam);
  }
  // A mouse message at window point (x, y).
  void Mouse(UINT message, int x, int y, WPARAM keys = 0) { Send(message, keys, MAKELPARAM(x, y)); }
  // Delivers pending paints as a message loop would; the number delivered.
  int Pump() { return host::PumpPaints(hwnd_); }
  // The sides of the window (with GetWindowRect) or of its client area
  // (GetClientRect).
  std::string Rect(BOOL(WINAPI* get)(HWND, LPRECT)) const {
    RECT r = {};
    get(hwnd_, &r);
    return Sides(r);
  }
  // The window's scroll range of bar, as (minimum, maximum).
  std::pair<int, int> ScrollRange(int bar);

private:
  HWND hwnd_;
};

// The client area as COLORREFs, row by row.
struct Pixels {
  int width = 0, height = 0;
  std::vector<COLORREF> colours;
  COLORREF at(int x, int y) const { return colours[(size_t)y * width + x]; }
};
Pixels ReadClient(HWND window);
inline COLORREF Grey(int v) {
  return RGB(v, v, v);
}

} // namespace viewtest

#endif
