// The clipboard of the Win32 stand-in: opening and ownership of what is
// placed on it. (Its failure controls are driven through the library by the
// clipboard tests of the convert suite.)
#include <gtest/gtest.h>

#include <windows.h>

#include "tavwin_test.h"

TEST(Clipboard, TakesOwnershipAndFreesWhatItOwns) {
  long blocks = tavwin::LiveGlobalBlocks(), objects = tavwin::LiveGdiObjects();
  // Nothing works without opening it first.
  EXPECT_FALSE(EmptyClipboard());
  EXPECT_FALSE(CloseClipboard());
  HGLOBAL dib = GlobalAlloc(GHND, 64);
  EXPECT_EQ(SetClipboardData(CF_DIB, dib), nullptr);

  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  EXPECT_EQ(SetClipboardData(CF_DIB, dib), dib);
  EXPECT_EQ(GetClipboardData(CF_DIB), dib);
  HGLOBAL replacement = GlobalAlloc(GHND, 32);
  EXPECT_EQ(SetClipboardData(CF_DIB, replacement), replacement); // the old block is freed
  EXPECT_EQ(GlobalSize(dib), 0u);
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocks + 1);
  HBITMAP bitmap = CreateBitmap(8, 8, 1, 1, nullptr);
  EXPECT_EQ(SetClipboardData(CF_BITMAP, bitmap), bitmap);
  EXPECT_EQ(SetClipboardData(CF_BITMAP, reinterpret_cast<HANDLE>(0x777)), nullptr); // not a bitmap
  EXPECT_TRUE(CloseClipboard());

  EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(GetClipboardData(CF_DIB), nullptr); // closed
  EXPECT_EQ(tavwin::LiveGdiObjects(), objects + 1);

  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(EmptyClipboard());
  EXPECT_TRUE(CloseClipboard());
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), blocks);
  EXPECT_EQ(tavwin::LiveGdiObjects(), objects);
}
