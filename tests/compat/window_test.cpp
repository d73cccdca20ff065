// Windows of the Win32 stand-in: geometry, scroll bars, invalidation and
// painting, the messages Windows sends, capture, the queue and dead handles.
#include <gtest/gtest.h>

#include <windows.h>

#include "host_window.h"
#include "tavwin_test.h"

#include <vector>

namespace {

struct Logged {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Logged> logged;
LRESULT eraseResult = 0;

LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  logged.push_back({message, wParam, lParam});
  if (message == WM_ERASEBKGND)
    return eraseResult;
  if (message == WM_PAINT)
    return 0; // leaves the window invalid, so tests call BeginPaint themselves
  return DefWindowProcA(window, message, wParam, lParam);
}

int count(UINT message) {
  int n = 0;
  for (const Logged& l : logged)
    n += l.message == message;
  return n;
}

const Logged* last(UINT message) {
  for (auto it = logged.rbegin(); it != logged.rend(); ++it) {
    if (it->message == message)
      return &*it;
  }
  return nullptr;
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
    eraseResult = 0;
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

RECT Client(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  return r;
}

} // namespace

TEST_F(Windows, PopupHasNoFrameAndOverlappedWindowHasTheClassicOne) {
  HWND popup = Make(WS_POPUP | WS_VISIBLE, 200, 150);
  RECT wr;
  ASSERT_TRUE(GetWindowRect(popup, &wr));
  EXPECT_EQ(wr.left, 10);
  EXPECT_EQ(wr.top, 20);
  EXPECT_EQ(Client(popup).right, 200);
  EXPECT_EQ(Client(popup).bottom, 150);
  HWND overlapped = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 150);
  EXPECT_EQ(Client(overlapped).right, 192);
  EXPECT_EQ(Client(overlapped).bottom, 123);
}

TEST_F(Windows, CreationSendsCreateAndSizeAndLeavesEverythingInvalid) {
  HWND w = Make(WS_POPUP | WS_VISIBLE, 120, 80);
  ASSERT_EQ(count(WM_CREATE), 1);
  ASSERT_NE(last(WM_SIZE), nullptr);
  EXPECT_EQ(last(WM_SIZE)->lParam, MAKELPARAM(120, 80));
  RECT update;
  EXPECT_TRUE(GetUpdateRect(w, &update, FALSE));
  EXPECT_EQ(update.right, 120);
  EXPECT_EQ(update.bottom, 80);

  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  ASSERT_NE(dc, nullptr);
  EXPECT_TRUE(ps.fErase); // the procedure left WM_ERASEBKGND unhandled
  EXPECT_EQ(count(WM_ERASEBKGND), 1);
  EXPECT_EQ(ps.rcPaint.left, 0);
  EXPECT_EQ(ps.rcPaint.right, 120);
  EXPECT_EQ(ps.rcPaint.bottom, 80);
  EndPaint(w, &ps);

  // Valid now: the next paint is empty and its DC draws nothing.
  dc = BeginPaint(w, &ps);
  EXPECT_TRUE(IsRectEmpty(&ps.rcPaint));
  EXPECT_FALSE(ps.fErase);
  RECT box;
  EXPECT_EQ(GetClipBox(dc, &box), NULLREGION);
  EXPECT_TRUE(IsRectEmpty(&box));
  FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  RECT all{0, 0, 120, 80};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EndPaint(w, &ps);
  HDC windowDC = GetDC(w);
  EXPECT_EQ(GetPixel(windowDC, 5, 5), RGB(0, 0, 0));
  ReleaseDC(w, windowDC);
}

TEST_F(Windows, BeginPaintHandsOutTheInvalidRectangleAndClipsToIt) {
  HWND w = Make(WS_POPUP | WS_VISIBLE, 100, 100);
  ValidateRect(w, nullptr);
  RECT r{10, 20, 30, 40};
  InvalidateRect(w, &r, FALSE);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  EXPECT_EQ(ps.rcPaint.left, 10);
  EXPECT_EQ(ps.rcPaint.top, 20);
  EXPECT_EQ(ps.rcPaint.right, 30);
  EXPECT_EQ(ps.rcPaint.bottom, 40);
  EXPECT_FALSE(ps.fErase);
  EXPECT_EQ(count(WM_ERASEBKGND), 0);
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
  RECT update;
  GetUpdateRect(w, &update, FALSE);
  EXPECT_EQ(update.left, 5);
  EXPECT_EQ(update.top, 5);
  EXPECT_EQ(update.right, 70);
  EXPECT_EQ(update.bottom, 65);
  InvalidateRect(w, nullptr, FALSE);
  GetUpdateRect(w, &update, FALSE);
  EXPECT_EQ(update.right, 100);
  EXPECT_EQ(update.bottom, 100);
  // An erase was asked for, and the class has no brush: BeginPaint reports it.
  dc = BeginPaint(w, &ps);
  EXPECT_TRUE(ps.fErase);
  EndPaint(w, &ps);
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
  eraseResult = 1;
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(count(WM_ERASEBKGND), 1);
  EXPECT_EQ(count(WM_PAINT), 3);
  PAINTSTRUCT ps;
  BeginPaint(w, &ps);
  EXPECT_FALSE(ps.fErase); // erased already, by the procedure
  EndPaint(w, &ps);
}

TEST_F(Windows, HostWindowPumpsPaintsUntilValid) {
  HWND w = host::CreateTestWindow(0, 0, 40, 30);
  windows_.push_back(w);
  EXPECT_EQ(host::PumpPaints(w), 1); // DefWindowProc validates
  EXPECT_EQ(host::PumpPaints(w), 0);
  int width = 0, height = 0;
  EXPECT_EQ(host::ReadClientPixels(w, &width, &height).size(), 40u * 30u);
  EXPECT_EQ(width, 40);
  EXPECT_EQ(height, 30);
}

TEST_F(Windows, MoveWindowSendsSizeOnlyWhenTheSizeChanges) {
  HWND w = Make(WS_POPUP | WS_VISIBLE, 100, 100);
  ValidateRect(w, nullptr);
  logged.clear();
  MoveWindow(w, 30, 40, 100, 100, TRUE);
  EXPECT_EQ(count(WM_SIZE), 0);
  EXPECT_EQ(count(WM_MOVE), 1);
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE)); // a pure move exposes nothing
  MoveWindow(w, 30, 40, 160, 120, TRUE);
  ASSERT_EQ(count(WM_SIZE), 1);
  EXPECT_EQ(last(WM_SIZE)->lParam, MAKELPARAM(160, 120));
  EXPECT_EQ(count(WM_MOVE), 1);
  RECT update;
  ASSERT_TRUE(GetUpdateRect(w, &update, FALSE)); // the new strips are invalid
  EXPECT_EQ(update.right, 160);
  EXPECT_EQ(update.bottom, 120);
  ValidateRect(w, nullptr);
  MoveWindow(w, 30, 40, 80, 60, FALSE);
  EXPECT_EQ(count(WM_SIZE), 2);
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
  EXPECT_EQ(Client(w).right, 80);
  RECT wr;
  GetWindowRect(w, &wr);
  EXPECT_EQ(wr.left, 30);
  EXPECT_EQ(wr.bottom, 100);
}

TEST_F(Windows, ShownScrollBarsTakeTheirRoomFromTheClientArea) {
  HWND w = Make(WS_POPUP | WS_VISIBLE, 200, 150);
  logged.clear();
  SetScrollRange(w, SB_HORZ, 0, 500, FALSE); // a range with room shows the bar
  EXPECT_EQ(Client(w).right, 200);
  EXPECT_EQ(Client(w).bottom, 133);
  ASSERT_NE(last(WM_SIZE), nullptr);
  EXPECT_EQ(last(WM_SIZE)->lParam, MAKELPARAM(200, 133));
  ShowScrollBar(w, SB_BOTH, TRUE);
  EXPECT_EQ(Client(w).right, 183);
  EXPECT_EQ(Client(w).bottom, 133);
  RECT wr;
  GetWindowRect(w, &wr);
  EXPECT_EQ(wr.right - wr.left, 200);

  EXPECT_EQ(SetScrollPos(w, SB_HORZ, 700, TRUE), 0);
  EXPECT_EQ(GetScrollPos(w, SB_HORZ), 500); // clamped to the range
  int lo, hi;
  EXPECT_TRUE(GetScrollRange(w, SB_HORZ, &lo, &hi));
  EXPECT_EQ(hi, 500);
  EXPECT_EQ(SetScrollPos(w, SB_HORZ, 20, TRUE), 500);

  SetScrollRange(w, SB_VERT, 0, 0, TRUE); // an empty range hides it
  EXPECT_EQ(Client(w).right, 200);
  ShowScrollBar(w, SB_BOTH, FALSE);
  EXPECT_EQ(Client(w).bottom, 150);
  EXPECT_FALSE(ShowScrollBar(w, SB_CTL, TRUE));
}

TEST_F(Windows, CaptureCursorAndUserData) {
  HWND a = Make(WS_POPUP, 10, 10), b = Make(WS_POPUP, 10, 10);
  EXPECT_EQ(SetCapture(a), nullptr);
  EXPECT_EQ(SetCapture(b), a);
  ASSERT_NE(last(WM_CAPTURECHANGED), nullptr);
  EXPECT_EQ(last(WM_CAPTURECHANGED)->lParam, reinterpret_cast<LPARAM>(b));
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(GetCapture(), nullptr);

  EXPECT_EQ(SetWindowLongPtrA(a, GWLP_USERDATA, 1234), 0);
  EXPECT_EQ(GetWindowLongPtrA(a, GWLP_USERDATA), 1234);
  EXPECT_EQ(SendMessageA(a, WM_USER, 0, 0), 0);
  EXPECT_EQ(last(WM_USER)->message, UINT(WM_USER));
}

TEST_F(Windows, QueueDeliversPostedMessagesThenPaintsThenQuit) {
  HWND w = Make(WS_POPUP | WS_VISIBLE, 10, 10);
  ASSERT_TRUE(PostMessageA(w, WM_USER + 1, 7, 8));
  PostQuitMessage(3);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_USER + 1));
  EXPECT_EQ(msg.wParam, 7u);
  DispatchMessageA(&msg);
  EXPECT_EQ(last(WM_USER + 1)->lParam, 8);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.wParam, 3u);
  // WM_PAINT is made up for an invalid window until it is validated.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_PAINT));
  EXPECT_EQ(msg.hwnd, w);
  ValidateRect(w, nullptr);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE); // nothing can ever arrive
}

TEST_F(Windows, DestroyedAndMadeUpHandlesFailCleanly) {
  HWND w = Make(WS_POPUP | WS_VISIBLE, 30, 30);
  HDC dc = GetDC(w);
  PostMessageA(w, WM_USER, 0, 0);
  ASSERT_TRUE(DestroyWindow(w));
  EXPECT_EQ(count(WM_DESTROY), 1);
  EXPECT_EQ(count(WM_NCDESTROY), 1);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(tavwin::LiveWindowDCs(), 0); // its DCs went with it
  RECT r{1, 2, 3, 4};
  EXPECT_FALSE(FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
  EXPECT_EQ(ReleaseDC(w, dc), 0);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE));

  for (HWND bad : {w, reinterpret_cast<HWND>(0x1234), reinterpret_cast<HWND>(~uintptr_t(0) - 7)}) {
    PAINTSTRUCT ps;
    EXPECT_FALSE(IsWindow(bad));
    EXPECT_FALSE(DestroyWindow(bad));
    EXPECT_FALSE(GetClientRect(bad, &r));
    EXPECT_FALSE(GetWindowRect(bad, &r));
    EXPECT_FALSE(MoveWindow(bad, 0, 0, 5, 5, TRUE));
    EXPECT_FALSE(InvalidateRect(bad, nullptr, TRUE));
    EXPECT_FALSE(UpdateWindow(bad));
    EXPECT_FALSE(RedrawWindow(bad, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW));
    EXPECT_EQ(BeginPaint(bad, &ps), nullptr);
    EXPECT_EQ(GetDC(bad), nullptr);
    EXPECT_EQ(SendMessageA(bad, WM_PAINT, 0, 0), 0);
    EXPECT_FALSE(PostMessageA(bad, WM_USER, 0, 0));
    EXPECT_FALSE(ShowScrollBar(bad, SB_BOTH, TRUE));
    EXPECT_EQ(SetScrollPos(bad, SB_HORZ, 3, TRUE), 0);
    EXPECT_FALSE(SetScrollRange(bad, SB_VERT, 0, 9, TRUE));
    EXPECT_EQ(SetCapture(bad), nullptr);
    EXPECT_EQ(SetWindowLongPtrA(bad, GWLP_USERDATA, 5), 0);
    EXPECT_EQ(tavwin::PumpPaints(bad), 0);
  }
  EXPECT_EQ(GetCapture(), nullptr);
  // Null pointers are refused too.
  HWND alive = Make(WS_POPUP, 5, 5);
  EXPECT_EQ(BeginPaint(alive, nullptr), nullptr);
  EXPECT_FALSE(GetClientRect(alive, nullptr));
  EXPECT_FALSE(EndPaint(alive, nullptr));
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(Windows, DestroyingInsideCreateFailsTheCreation) {
  static const auto proc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_CREATE)
      return -1;
    return DefWindowProcA(window, message, wParam, lParam);
  };
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.lpszClassName = "CompatRefusing";
  RegisterClassA(&wc);
  EXPECT_EQ(RegisterClassA(&wc), 0); // already there
  EXPECT_EQ(CreateWindowExA(0, "compatrefusing", "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_TRUE(UnregisterClassA("CompatRefusing", nullptr));
}
