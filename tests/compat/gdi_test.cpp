// GDI of the Win32 stand-in where the library and its tests rely on it
// behaving as Windows does: DIB output with colour tables, clipping, the
// Rectangle geometry and its inversion, palettes and object counts.
#include <gtest/gtest.h>

#include <windows.h>

#include "host_window.h"
#include "tavwin_test.h"

#include <set>
#include <utility>
#include <vector>

namespace {

// A BITMAPINFO with room for 256 colours; colour i is TableColour(i).
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

uint32_t TableColour(int i) {
  return ((255u - i) << 16) | ((100u + i) << 8) | (i * 7u);
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
  uint32_t At(int x, int y) { return Pixels()[y * W + x]; }
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

TEST_F(Gdi, BottomUpDibsLandWithTheirColours) {
  // 8 bits, 5 x 3: pixel (x, row from the bottom r) has index 10 * r + x.
  Info info8 = MakeInfo(5, 3, 8, 40);
  std::vector<BYTE> bits8(8 * 3, 0);
  for (int r = 0; r < 3; ++r)
    for (int x = 0; x < 5; ++x)
      bits8[r * 8 + x] = BYTE(10 * r + x);
  EXPECT_EQ(SetDIBitsToDevice(dc_, 10, 20, 5, 3, 0, 0, 0, 3, bits8.data(), info8.get(), DIB_RGB_COLORS), 3);
  // 4 bits, 5 x 2 with 5 colours: index 5 and above lies past the table, black.
  Info info4 = MakeInfo(5, 2, 4, 5);
  const BYTE bits4[8] = {0x01, 0x23, 0x40, 0, 0x56, 0x00, 0x00, 0};
  EXPECT_EQ(SetDIBitsToDevice(dc_, 30, 5, 5, 2, 0, 0, 0, 2, bits4, info4.get(), DIB_RGB_COLORS), 2);

  std::vector<uint32_t> px = Pixels();
  for (int r = 0; r < 3; ++r)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(px[(22 - r) * W + 10 + x], TableColour(10 * r + x)) << x << "," << r;
  EXPECT_EQ(px[19 * W + 10], 0u);
  EXPECT_EQ(px[20 * W + 15], 0u);
  const int top4[5] = {5, 6, 0, 0, 0}, bottom4[5] = {0, 1, 2, 3, 4};
  for (int x = 0; x < 5; ++x) {
    EXPECT_EQ(px[6 * W + 30 + x], TableColour(bottom4[x])) << x;
    EXPECT_EQ(px[5 * W + 30 + x], top4[x] < 5 ? TableColour(top4[x]) : 0u) << x;
  }
}

TEST_F(Gdi, DrawingIsClippedToTheSurfaceAndToTheClipRegion) {
  Info info = MakeInfo(20, 20, 8, 4);
  std::vector<BYTE> bits(20 * 20, 3);
  // Half off the left and bottom edges.
  EXPECT_EQ(SetDIBitsToDevice(dc_, -10, H - 10, 20, 20, 0, 0, 0, 20, bits.data(), info.get(), DIB_RGB_COLORS), 20);
  std::vector<uint32_t> px = Pixels();
  EXPECT_EQ(px[(H - 1) * W + 9], TableColour(3));
  EXPECT_EQ(px[(H - 1) * W + 10], 0u);
  EXPECT_EQ(px[(H - 11) * W + 0], 0u);

  HRGN region = CreateRectRgn(30, 10, 35, 12);
  EXPECT_EQ(SelectClipRgn(dc_, region), SIMPLEREGION);
  DeleteObject(region); // the DC keeps its own copy
  RECT box;
  EXPECT_EQ(GetClipBox(dc_, &box), SIMPLEREGION);
  EXPECT_EQ(box.left, 30);
  EXPECT_EQ(box.bottom, 12);
  SetDIBitsToDevice(dc_, 25, 5, 20, 20, 0, 0, 0, 20, bits.data(), info.get(), DIB_RGB_COLORS);
  RECT all{0, 0, W, H};
  FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  Points changed = Changed(px);
  EXPECT_EQ(changed.size(), 10u);
  EXPECT_TRUE(changed.count({30, 10}) && changed.count({34, 11}));
  EXPECT_EQ(At(30, 10), 0x808080u); // the fill came last
  // A clip region outside the surface leaves nothing; none at all, the surface.
  px = Pixels();
  HRGN outside = CreateRectRgn(W + 5, 0, W + 10, 5);
  EXPECT_EQ(SelectClipRgn(dc_, outside), SIMPLEREGION);
  DeleteObject(outside);
  EXPECT_EQ(GetClipBox(dc_, &box), NULLREGION);
  EXPECT_EQ(SetDIBitsToDevice(dc_, 0, 0, 20, 20, 0, 0, 0, 20, bits.data(), info.get(), DIB_RGB_COLORS), 20);
  EXPECT_TRUE(Changed(px).empty());
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

// Pens of width 1 and 2 are what the library's frame tests draw and check
// pixel by pixel; wider pens are centred on the border path with round joins.
TEST_F(Gdi, WidePensAreCentredOnTheBorderWithRoundedCorners) {
  std::vector<uint32_t> before = Pixels();
  SetROP2(dc_, R2_NOT);
  SelectObject(dc_, GetStockObject(NULL_BRUSH));
  // The pixels Rectangle(10, 10, 20, 18) inverts with a pen of this width.
  auto covered = [&](int width) {
    HGDIOBJ oldPen = SelectObject(dc_, CreatePen(PS_SOLID, width, 0));
    Rectangle(dc_, 10, 10, 20, 18);
    Points changed = Changed(before);
    Rectangle(dc_, 10, 10, 20, 18);
    DeleteObject(SelectObject(dc_, oldPen));
    return changed;
  };
  // Width 3: around the border path 10..19 x 10..17, outer corners cut.
  Points three = covered(3);
  EXPECT_TRUE(three.count({9, 10}) && three.count({10, 9}) && three.count({11, 11}) && three.count({20, 17}));
  EXPECT_FALSE(three.count({9, 9}) || three.count({20, 9}) || three.count({9, 18}) || three.count({20, 18}));
  EXPECT_FALSE(three.count({21, 12}) || three.count({12, 12}));
  EXPECT_EQ(three.size(), 12u * 10 - 6u * 4 - 4); // the band around a 6 x 4 hole, less 4 corners
  // Width 5: two pixels out, two in; the corner cut is symmetric.
  Points five = covered(5);
  EXPECT_TRUE(five.count({8, 12}) && five.count({12, 12}) && !five.count({13, 13}) && !five.count({7, 12}));
  EXPECT_FALSE(five.count({8, 8}));
  EXPECT_EQ(five.count({9, 8}), five.count({8, 9}));
  EXPECT_EQ(five.count({8, 8}), five.count({21, 19}));
}

TEST_F(Gdi, PalettesFindTheNearestEntry) {
  HPALETTE def = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  WORD count = 0;
  EXPECT_EQ(GetObjectA(def, sizeof count, &count), 2);
  EXPECT_EQ(count, 20);
  PALETTEENTRY e[20];
  EXPECT_EQ(GetPaletteEntries(def, 0, 20, e), 20u);
  EXPECT_EQ(e[8].peRed, 0xc0);
  EXPECT_EQ(e[8].peGreen, 0xdc);
  EXPECT_EQ(e[10].peBlue, 0xf0);
  EXPECT_EQ(e[19].peFlags, 0);
  EXPECT_EQ(GetNearestPaletteIndex(def, RGB(255, 255, 255)), 19u);
  EXPECT_EQ(GetNearestPaletteIndex(def, RGB(255, 251, 235)), 10u);
  EXPECT_EQ(GetPaletteEntries(def, 18, 5, e), 2u);

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
  LOGPEN lpen;
  EXPECT_EQ(GetObjectA(pen, sizeof lpen, &lpen), int(sizeof lpen));
  EXPECT_EQ(lpen.lopnWidth.x, 3);
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
