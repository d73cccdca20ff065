// Global memory, strings, resources and message boxes of the Win32 stand-in.
#include <gtest/gtest.h>

#include <windows.h>

#include "tavwin_module.h"
#include "tavwin_test.h"

#include <cstring>

TEST(GlobalMemory, MovableBlocksCountLocksAndFixedBlocksAreTheirAddress) {
  long live = tavwin::LiveGlobalBlocks();
  HGLOBAL movable = GlobalAlloc(GHND, 100);
  ASSERT_NE(movable, nullptr);
  EXPECT_EQ(GlobalSize(movable), 100u);
  EXPECT_EQ(GlobalFlags(movable) & GMEM_LOCKCOUNT, 0u);
  auto* p = static_cast<unsigned char*>(GlobalLock(movable));
  ASSERT_NE(p, nullptr);
  EXPECT_NE(static_cast<void*>(p), movable);
  for (int i = 0; i < 100; ++i)
    ASSERT_EQ(p[i], 0) << i;
  EXPECT_EQ(GlobalLock(movable), p);
  EXPECT_EQ(GlobalFlags(movable) & GMEM_LOCKCOUNT, 2u);
  EXPECT_EQ(GlobalHandle(p), movable);
  EXPECT_TRUE(GlobalUnlock(movable));  // still locked once
  EXPECT_FALSE(GlobalUnlock(movable)); // now unlocked
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_FALSE(GlobalUnlock(movable)); // not locked any more
  EXPECT_EQ(GetLastError(), 158u);

  HGLOBAL fixed = GlobalAlloc(GPTR, 16);
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(GlobalLock(fixed), static_cast<void*>(fixed));
  EXPECT_EQ(GlobalFlags(fixed) & GMEM_LOCKCOUNT, 0u);
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), live + 2);

  EXPECT_EQ(GlobalFree(movable), nullptr);
  EXPECT_EQ(GlobalFree(fixed), nullptr);
  EXPECT_EQ(tavwin::LiveGlobalBlocks(), live);
  // Freed and made-up handles are refused, never dereferenced.
  EXPECT_EQ(GlobalFree(movable), movable);
  EXPECT_EQ(GlobalLock(reinterpret_cast<HGLOBAL>(0x1234)), nullptr);
  EXPECT_EQ(GlobalSize(movable), 0u);
  EXPECT_EQ(GlobalFlags(movable), UINT(GMEM_INVALID_HANDLE));
}

TEST(GlobalMemory, FaultControlFailsExactlyTheNthCall) {
  tavwin::FailGlobalAllocAt(3);
  HGLOBAL a = GlobalAlloc(GMEM_MOVEABLE, 8), b = GlobalAlloc(GMEM_MOVEABLE, 8);
  HGLOBAL c = GlobalAlloc(GMEM_MOVEABLE, 8), d = GlobalAlloc(GMEM_MOVEABLE, 8);
  EXPECT_NE(a, nullptr);
  EXPECT_NE(b, nullptr);
  EXPECT_EQ(c, nullptr);
  EXPECT_NE(d, nullptr);

  tavwin::FailGlobalLockAt(2);
  EXPECT_NE(GlobalLock(a), nullptr);
  EXPECT_EQ(GlobalLock(a), nullptr);
  EXPECT_NE(GlobalLock(a), nullptr);
  EXPECT_EQ(GlobalFlags(a) & GMEM_LOCKCOUNT, 2u);

  tavwin::FailGlobalAllocAt(1);
  tavwin::FailGlobalAllocAt(0); // disarmed
  HGLOBAL e = GlobalAlloc(GMEM_FIXED, 1);
  EXPECT_NE(e, nullptr);
  for (HGLOBAL h : {a, b, d, e})
    GlobalFree(h);
}

TEST(GlobalMemory, ReAllocKeepsContentsAndHandleOfUnlockedMovableBlock) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 4);
  std::memcpy(GlobalLock(h), "abc", 4);
  EXPECT_EQ(GlobalReAlloc(h, 4096, 0), nullptr); // locked: cannot move
  GlobalUnlock(h);
  EXPECT_EQ(GlobalReAlloc(h, 4096, GMEM_ZEROINIT), h);
  auto* p = static_cast<char*>(GlobalLock(h));
  EXPECT_STREQ(p, "abc");
  EXPECT_EQ(p[4095], 0);
  GlobalUnlock(h);
  GlobalFree(h);
}

TEST(Strings, CopyCompareAndLength) {
  char buf[8];
  EXPECT_EQ(lstrcpyA(buf, "hello"), buf);
  EXPECT_STREQ(buf, "hello");
  lstrcpynA(buf, "truncated", 4);
  EXPECT_STREQ(buf, "tru");
  EXPECT_EQ(lstrlenA(buf), 3);
  EXPECT_EQ(lstrlenA(nullptr), 0);
  EXPECT_EQ(lstrcpyA(nullptr, "x"), nullptr);
  EXPECT_EQ(lstrcmpA("abc", "abc"), 0);
  EXPECT_NE(lstrcmpA("abc", "ABC"), 0);
  EXPECT_LT(lstrcmpA("a", "A"), 0);
  EXPECT_LT(lstrcmpA("A", "b"), 0);
  EXPECT_GT(lstrcmpA("abd", "abc"), 0);
  EXPECT_LT(lstrcmpA("ab", "abc"), 0);
}

TEST(Resources, StringsAndCursorsOfARegisteredModule) {
  HINSTANCE self = tavwin::ModuleOf(reinterpret_cast<const void*>(&lstrlenA));
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(GetModuleHandleA("tav_win32"), self);
  HINSTANCE program = GetModuleHandleA(nullptr);
  ASSERT_NE(program, nullptr);
  static const tavwin::StringResource strings[] = {{60007, "seven"}, {60008, "eight"}};
  static const unsigned char mask[2 * 16] = {};
  static const tavwin::CursorResource cursors[] = {{60103, 16, 16, 4, 4, mask, mask}};
  tavwin::RegisterModuleResources(program, strings, 2, cursors, 1);

  char buf[16];
  EXPECT_EQ(LoadStringA(program, 60007, buf, sizeof buf), 5);
  EXPECT_STREQ(buf, "seven");
  EXPECT_EQ(LoadStringA(nullptr, 60008, buf, 4), 3); // the program's own table, truncated
  EXPECT_STREQ(buf, "eig");
  EXPECT_EQ(LoadStringA(program, 60009, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "");

  HCURSOR zoom = LoadCursorA(program, MAKEINTRESOURCEA(60103));
  ASSERT_NE(zoom, nullptr);
  EXPECT_EQ(LoadCursorA(program, MAKEINTRESOURCEA(60103)), zoom);
  EXPECT_EQ(LoadCursorA(program, MAKEINTRESOURCEA(60104)), nullptr);
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  ASSERT_NE(arrow, nullptr);
  SetCursor(arrow);
  EXPECT_EQ(SetCursor(zoom), arrow);
  EXPECT_EQ(GetCursor(), zoom);
  EXPECT_EQ(SetCursor(reinterpret_cast<HCURSOR>(0x999)), nullptr);
  EXPECT_EQ(GetCursor(), zoom);
  int shown = ShowCursor(TRUE);
  EXPECT_EQ(ShowCursor(FALSE), shown - 1);
}

TEST(MessageBoxes, AreLoggedAndAnsweredWithOk) {
  tavwin::ClearMessageBoxLog();
  EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_OK | MB_ICONEXCLAMATION), IDOK);
  ASSERT_EQ(tavwin::MessageBoxLog().size(), 1u);
  EXPECT_EQ(tavwin::MessageBoxLog()[0].text, "text");
  EXPECT_EQ(tavwin::MessageBoxLog()[0].caption, "caption");
  EXPECT_EQ(tavwin::MessageBoxLog()[0].style, UINT(0x30));
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 17);
  EXPECT_EQ(GetSystemMetrics(SM_CYHSCROLL), 17);
}
