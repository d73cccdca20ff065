// Global memory of the Win32 stand-in as the library relies on it (lock
// counts, zero-filled blocks, refused handles, the live block count of the
// leak checks) and the failure controls the tests use.
#include <gtest/gtest.h>

#include <windows.h>

#include "tavwin_test.h"

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
