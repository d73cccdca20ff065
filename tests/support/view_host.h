// Test support of the view and hotspot suites: a host window (the shared
// test host of host_window.h, whose procedure forwards every message to
// TAVIMG_OnMessage) with the calls a test makes on it, the log of the host
// callback, bilevel TIFF files written with libtiff, and checks of what the
// window shows.
#ifndef TAV_TESTS_SUPPORT_VIEW_HOST_H
#define TAV_TESTS_SUPPORT_VIEW_HOST_H

#include "host_window.h"
#include "tiff_files.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

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
  HostWindow(int x, int y, int width, int height);
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
  bool HasInvalidArea() { return GetUpdateRect(hwnd_, nullptr, FALSE) != 0; }
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

// A bilevel picture (1 = black) written as a TIFF with compression 2 and 64
// rows a strip into a fresh file; fails the test when libtiff cannot.
std::string WriteTiff(const std::string& name, const TiffBitmap& picture);

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

// Every pixel of [x0, x1) x [y0, y1) has the colour that expected gives it;
// the failure names the first wrong pixels.
::testing::AssertionResult PixelsAre(const Pixels& pixels, int x0, int y0, int x1, int y1,
                                     const std::function<COLORREF(int x, int y)>& expected);

// A set of window pixels.
using Region = std::function<bool(int x, int y)>;
// What Rectangle(l, t, r, b) inverts with R2_NOT for each of rects (a pixel
// inverted twice is back): the whole covered area, or with hollow only the
// outline of the pen. Pen widths 0 and 1 cover l..r-1 by t..b-1 with a
// one-pixel outline; width 2 covers one more column and row to the left and
// top, with a two-pixel outline.
Region Inverts(const std::vector<RECT>& rects, bool hollow = false, int penWidth = 1);
// after equals before but for the pixels of inverted, which are inverted.
::testing::AssertionResult InvertedWhere(const Pixels& before, const Pixels& after, const Region& inverted);

} // namespace viewtest

#endif
