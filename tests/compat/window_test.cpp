// Windows of the Win32 stand-in where the library relies on them behaving as
// Windows does: scroll bars, invalidation and painting, and windows that are
// gone. (Window geometry and resizing are what the view suites and the
// Windows stage compare.)
#include <gtest/gtest.h>

#include <windows.h>

#include "host_window.h"
#include "tavwin_test.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<UINT, LPARAM>> logged; // message, lParam

LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  logged.push_back({message, lParam});
  if (message == WM_PAINT)
    return 0; // leaves the window invalid, so tests call BeginPaint themselves
  return DefWindowProcA(window, message, wParam, lParam);
}

int count(UINT message) {
  return int(std::count_if(logged.begin(), logged.end(), [=](const auto& l) { return l.first == message; }));
}

LPARAM lastParam(UINT message) {
  auto last = std::find_if(logged.rbegin(), logged.rend(), [=](const auto& l) { return l.first == message; });
  return last != logged.rend() ? last->second : -1;
}

class Windows : public ::testing::Test {
protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      WNDCLASSA wc{};
      wc.lpfnWndProc = LoggingProc;
      wc.lpszClassName = "CompatLogging";
      registered = RegisterClassA(&wc) != 0;
    }
    logged.clear();
  }
  HWND Make(DWORD style, int width, int height) {
    HWND w = CreateWindowExA(0, "CompatLogging", "", style, 10, 20, width, height, nullptr, nullptr, nullptr, nullptr);
    windows_.push_back(w);
    return w;
  }
  void TearDown() override {
    for (HWND w : windows_)
      DestroyWindow(w);
  }
  std::vector<HWND> windows_;
};

// left, top, right, bottom of a rectangle, for comparing in one line.
std::vector<LONG> Sides(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}
std::vector<LONG> Client(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  return Sides(r);
}
std::vector<LONG> Update(HWND w) {
  RECT r{};
  GetUpdateRect(w, &r, FALSE);
  return Sides(r);
}

} // namespace

TEST_F(Windows, BeginPaintHandsOutTheInvalidRectangleAndClipsToIt) {
  HWND w = Make(WS_POPUP | WS_VISIBLE, 100, 100);
  ValidateRect(w, nullptr);
  RECT r{10, 20, 30, 40};
  InvalidateRect(w, &r, FALSE);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  EXPECT_EQ(Sides(ps.rcPaint), Sides(r));
  RECT all{0, 0, 100, 100};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EndPaint(w, &ps);
  std::vector<uint32_t> px = host::ReadClientPixels(w);
  ASSERT_EQ(px.size(), 100u * 100u);
  EXPECT_EQ(px[20 * 100 + 10], 0xFFFFFFu);
  EXPECT_EQ(px[39 * 100 + 29], 0xFFFFFFu);
  EXPECT_EQ(px[19 * 100 + 10], 0u);
  EXPECT_EQ(px[20 * 100 + 30], 0u);

  // Several invalidations: their bounding box; NULL: the whole client area.
  RECT a{5, 5, 10, 10}, b{50, 60, 70, 65};
  InvalidateRect(w, &a, FALSE);
  InvalidateRect(w, &b, TRUE);
  EXPECT_EQ(Update(w), (std::vector<LONG>{5, 5, 70, 65}));
  InvalidateRect(w, nullptr, FALSE);
  EXPECT_EQ(Update(w), (std::vector<LONG>{0, 0, 100, 100}));
}

TEST_F(Windows, UpdateAndRedrawSendPaintOnlyWhenSomethingIsInvalid) {
  HWND w = Make(WS_POPUP | WS_VISIBLE, 50, 50);
  UpdateWindow(w);
  EXPECT_EQ(count(WM_PAINT), 1);
  ValidateRect(w, nullptr);
  UpdateWindow(w);
  EXPECT_EQ(count(WM_PAINT), 1);
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  EXPECT_EQ(count(WM_PAINT), 1);       // only marked
  EXPECT_EQ(tavwin::PumpPaints(w), 1); // the procedure does not validate: one paint, then it gives up
  EXPECT_EQ(count(WM_PAINT), 2);
}

TEST_F(Windows, ShownScrollBarsTakeTheirRoomFromTheClientArea) {
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 17);
  EXPECT_EQ(GetSystemMetrics(SM_CYHSCROLL), 17);
  HWND w = Make(WS_POPUP | WS_VISIBLE, 200, 150);
  int lo = -1, hi = -1;
  GetScrollRange(w, SB_HORZ, &lo, &hi);
  EXPECT_EQ(lo + hi, 0); // no bar: the range is 0..0
  logged.clear();
  SetScrollRange(w, SB_HORZ, 0, 500, FALSE); // a range with room shows the bar
  EXPECT_EQ(Client(w), (std::vector<LONG>{0, 0, 200, 133}));
  EXPECT_EQ(lastParam(WM_SIZE), MAKELPARAM(200, 133));
  ShowScrollBar(w, SB_BOTH, TRUE);
  EXPECT_EQ(Client(w), (std::vector<LONG>{0, 0, 183, 133}));
  RECT wr;
  GetWindowRect(w, &wr);
  EXPECT_EQ(wr.right - wr.left, 200);

  EXPECT_EQ(SetScrollPos(w, SB_HORZ, 700, TRUE), 0);
  EXPECT_EQ(GetScrollPos(w, SB_HORZ), 500); // clamped to the range
  EXPECT_EQ(SetScrollPos(w, SB_HORZ, 20, TRUE), 500);
  SetScrollRange(w, SB_VERT, 0, 0, TRUE); // an empty range hides it
  EXPECT_EQ(Client(w), (std::vector<LONG>{0, 0, 200, 133}));
  ShowScrollBar(w, SB_BOTH, FALSE);
  EXPECT_EQ(Client(w), (std::vector<LONG>{0, 0, 200, 150}));
}

// A window that is gone takes its DCs and pending messages with it, and
// every call on it, or on a made-up handle, fails without harm.
TEST_F(Windows, DestroyedAndMadeUpHandlesFailCleanly) {
  HWND w = Make(WS_POPUP | WS_VISIBLE, 30, 30);
  HDC dc = GetDC(w);
  PostMessageA(w, WM_USER, 0, 0);
  ASSERT_TRUE(DestroyWindow(w));
  EXPECT_EQ(count(WM_DESTROY), 1);
  EXPECT_EQ(tavwin::LiveWindowDCs(), 0);
  RECT r{1, 2, 3, 4};
  EXPECT_FALSE(FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE));
  for (HWND bad : {w, reinterpret_cast<HWND>(0x1234)}) {
    PAINTSTRUCT ps;
    EXPECT_FALSE(IsWindow(bad));
    EXPECT_EQ(BeginPaint(bad, &ps), nullptr);
    EXPECT_EQ(GetDC(bad), nullptr);
    EXPECT_EQ(SetCapture(bad), nullptr);
  }
}
