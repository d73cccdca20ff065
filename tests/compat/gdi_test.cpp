// GDI of the Win32 stand-in where the library and its tests rely on it
// behaving as Windows does: clipping, the inversion of Rectangle with R2_NOT,
// palettes and object counts. (DIB output and wide pens are what the paint
// suites and the Windows stage compare pixel by pixel.)
#include <gtest/gtest.h>

#include <windows.h>

#include "host_window.h"
#include "tavwin_test.h"

#include <set>
#include <utility>
#include <vector>

namespace {

// A BITMAPINFO with room for 256 colours, the first colours of them set.
struct Info {
  BITMAPINFOHEADER header{};
  RGBQUAD colours[256]{};
  BITMAPINFO* get() { return reinterpret_cast<BITMAPINFO*>(this); }
};

Info MakeInfo(int width, int height, int bpp, int colours) {
  Info info;
  info.header = {sizeof(BITMAPINFOHEADER), width, height, 1, WORD(bpp), BI_RGB, 0, 0, 0, DWORD(colours), 0};
  for (int i = 0; i < colours; ++i)
    info.colours[i] = RGBQUAD{BYTE(i * 7), BYTE(100 + i), BYTE(255 - i), 0};
  return info;
}

typedef std::set<std::pair<int, int>> Points;

class Gdi : public ::testing::Test {
protected:
  static constexpr int W = 64, H = 48;
  void SetUp() override {
    window_ = host::CreateTestWindow(0, 0, W, H);
    ValidateRect(window_, nullptr);
    dc_ = GetDC(window_);
  }
  void TearDown() override {
    ReleaseDC(window_, dc_);
    DestroyWindow(window_);
  }
  std::vector<uint32_t> Pixels() { return host::ReadClientPixels(window_); }
  // Fills the client area with distinct pixels (through a 32-bit DIB).
  std::vector<uint32_t> Pattern() {
    Info info = MakeInfo(W, -H, 32, 0);
    std::vector<uint32_t> bits(W * H);
    for (int i = 0; i < W * H; ++i)
      bits[i] = (i * 2654435761u) & 0xFFFFFFu;
    SetDIBitsToDevice(dc_, 0, 0, W, H, 0, 0, 0, H, bits.data(), info.get(), DIB_RGB_COLORS);
    return Pixels();
  }
  // The pixels that differ from before.
  Points Changed(const std::vector<uint32_t>& before) {
    std::vector<uint32_t> now = Pixels();
    Points changed;
    for (size_t i = 0; i < now.size(); ++i)
      if (now[i] != before[i])
        changed.insert({int(i % W), int(i / W)});
    return changed;
  }
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
};

} // namespace

// A clip region limits every drawing call; the DC keeps its own copy of it.
TEST_F(Gdi, DrawingIsClippedToTheClipRegion) {
  std::vector<uint32_t> before = Pixels();
  HRGN region = CreateRectRgn(30, 10, 35, 12);
  EXPECT_EQ(SelectClipRgn(dc_, region), SIMPLEREGION);
  DeleteObject(region);
  RECT box;
  EXPECT_EQ(GetClipBox(dc_, &box), SIMPLEREGION);
  EXPECT_EQ(box.left, 30);
  EXPECT_EQ(box.bottom, 12);
  Info info = MakeInfo(20, 20, 8, 4);
  std::vector<BYTE> bits(20 * 20, 3);
  SetDIBitsToDevice(dc_, 25, 5, 20, 20, 0, 0, 0, 20, bits.data(), info.get(), DIB_RGB_COLORS);
  Points changed = Changed(before);
  EXPECT_EQ(changed.size(), 10u);
  EXPECT_TRUE(changed.count({30, 10}) && changed.count({34, 11}));
  RECT all{0, 0, W, H};
  FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  EXPECT_EQ(Changed(before), changed);
  EXPECT_EQ(Pixels()[10 * W + 30], 0x808080u); // the fill came last
  SelectClipRgn(dc_, nullptr);
  GetClipBox(dc_, &box);
  EXPECT_EQ(box.right, W);
  EXPECT_EQ(box.bottom, H);
}

// Drawing the same rectangle twice with R2_NOT restores every pixel, for
// every pen width and both brushes, also when clipped.
TEST_F(Gdi, RectangleDrawnTwiceWithNotRestoresEveryPixel) {
  std::vector<uint32_t> before = Pattern();
  SetROP2(dc_, R2_NOT);
  HRGN region = CreateRectRgn(0, 0, 40, 30);
  for (int clip = 0; clip < 2; ++clip) {
    SelectClipRgn(dc_, clip ? region : nullptr);
    for (int width : {0, 1, 2, 3, 4, 5, 9}) {
      for (int brush : {NULL_BRUSH, BLACK_BRUSH}) {
        HGDIOBJ oldPen = SelectObject(dc_, CreatePen(PS_SOLID, width, RGB(0, 0, 0)));
        HGDIOBJ oldBrush = SelectObject(dc_, GetStockObject(brush));
        Rectangle(dc_, 12, 9, 37, 33);
        std::vector<uint32_t> once = Pixels();
        Points changed = Changed(before);
        EXPECT_FALSE(changed.empty()) << width;
        for (auto [x, y] : changed) // each changed pixel was inverted exactly once
          ASSERT_EQ(once[y * W + x], ~before[y * W + x] & 0xFFFFFFu) << width << " " << x << "," << y;
        Rectangle(dc_, 12, 9, 37, 33);
        EXPECT_EQ(Pixels(), before) << "width " << width << " brush " << brush << " clip " << clip;
        SelectObject(dc_, oldBrush);
        DeleteObject(SelectObject(dc_, oldPen));
      }
    }
  }
  DeleteObject(region);
}

// The nearest entry of a palette, as the library looks up white in its own.
TEST_F(Gdi, PalettesFindTheNearestEntry) {
  HPALETTE def = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  struct {
    LOGPALETTE log;
    PALETTEENTRY more[2];
  } lp{{0x300, 3, {{10, 10, 10, 0}}}, {{30, 30, 30, 0}, {10, 10, 10, PC_RESERVED}}};
  HPALETTE mine = CreatePalette(&lp.log);
  ASSERT_NE(mine, nullptr);
  EXPECT_EQ(GetNearestPaletteIndex(mine, RGB(20, 20, 20)), 0u); // a tie: the first wins
  EXPECT_EQ(GetNearestPaletteIndex(mine, RGB(12, 12, 12)), 0u);
  EXPECT_EQ(GetNearestPaletteIndex(mine, RGB(29, 20, 30)), 1u);
  EXPECT_EQ(SelectPalette(dc_, mine, FALSE), def);
  EXPECT_NE(RealizePalette(dc_), GDI_ERROR);
  EXPECT_EQ(SelectPalette(dc_, def, FALSE), mine);
  EXPECT_TRUE(DeleteObject(mine));
  EXPECT_EQ(GetNearestPaletteIndex(mine, 0), CLR_INVALID);
}

// The live object count the leak checks read: an object deleted while
// selected lives until it is deselected; stock objects survive deletion.
TEST_F(Gdi, ObjectsAreCountedUntilReallyDeleted) {
  long live = tavwin::LiveGdiObjects();
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(1, 2, 3));
  HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
  HRGN region = CreateRectRgn(5, 5, 1, 1);
  EXPECT_EQ(tavwin::LiveGdiObjects(), live + 3);
  HGDIOBJ stockPen = SelectObject(dc_, pen);
  EXPECT_EQ(stockPen, GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc_, brush), GetStockObject(WHITE_BRUSH));
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_EQ(tavwin::LiveGdiObjects(), live + 3);
  EXPECT_EQ(SelectObject(dc_, stockPen), pen);
  EXPECT_EQ(tavwin::LiveGdiObjects(), live + 2);
  SelectObject(dc_, GetStockObject(WHITE_BRUSH));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_TRUE(DeleteObject(region));
  EXPECT_EQ(tavwin::LiveGdiObjects(), live);

  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_BRUSH)), DWORD(OBJ_BRUSH));
  for (HGDIOBJ bad : {static_cast<HGDIOBJ>(pen), reinterpret_cast<HGDIOBJ>(0x4321)}) {
    EXPECT_FALSE(DeleteObject(bad));
    EXPECT_EQ(SelectObject(dc_, bad), nullptr);
    EXPECT_EQ(GetObjectType(bad), 0u);
  }
  EXPECT_FALSE(DeleteDC(dc_)); // a window DC is released, not deleted
  EXPECT_EQ(tavwin::LiveGdiObjects(), live);
}
