// Global memory blocks: sizes, zeroing, lock counting as Windows reports it, and clear failures for
// handles that are not blocks.
#include <kernel/GlobalMemory.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <gtest/gtest.h>

#include <cstring>

TEST(GlobalMemory, BlocksKeepTheirSizeAndZeroWhenAsked) {
  HGLOBAL block = GlobalAlloc(GHND, 100);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 100u);
  auto* bytes = static_cast<BYTE*>(GlobalLock(block));
  ASSERT_NE(bytes, nullptr);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(bytes[i], 0);
  std::memset(bytes, 0xAB, 100);
  GlobalUnlock(block);
  EXPECT_EQ(static_cast<BYTE*>(GlobalLock(block))[99], 0xAB);  // the same bytes on every lock
  GlobalUnlock(block);
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, UnlockReportsTheLastLockAndStrayHandlesFail) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 8);
  GlobalLock(block);
  GlobalLock(block);
  EXPECT_TRUE(GlobalUnlock(block));
  SetLastError(ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(GlobalUnlock(block));  // no longer locked: FALSE with no error
  EXPECT_EQ(GetLastError(), NO_ERROR);
  GlobalFree(block);

  int notABlock[16] = {};
  HGLOBAL stray = &notABlock[8];
  EXPECT_EQ(GlobalLock(stray), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GlobalSize(stray), 0u);
  EXPECT_EQ(GlobalFree(stray), stray);
  EXPECT_EQ(GlobalFree(nullptr), nullptr);
}
