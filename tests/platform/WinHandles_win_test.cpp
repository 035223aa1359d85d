#include "platform/WinHandles.h"

#include <gtest/gtest.h>

namespace {

TEST(WinHandlesTest, ClosingKeepsTheLastErrorAndMovesTransferOwnership) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  HANDLE copy = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &copy, 0, FALSE,
                              DUPLICATE_SAME_ACCESS));
  {
    platform::ScopedHandle owner(event);
    platform::ScopedHandle moved(std::move(owner));
    EXPECT_FALSE(owner.Valid());
    SetLastError(ERROR_ACCESS_DENIED);  // the failure a caller is about to report
  }
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  // The original handle is gone; the duplicate still names the event.
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForSingleObject(copy, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(platform::ScopedHandle(copy).Close());
}

TEST(WinHandlesTest, FailureValuesMeanNoHandleAndCloseReportsTheCall) {
  EXPECT_FALSE(platform::ScopedHandle(nullptr).Valid());
  EXPECT_FALSE(platform::ScopedHandle(INVALID_HANDLE_VALUE).Valid());
  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &raw), ERROR_SUCCESS);
  platform::ScopedRegistryKey key(raw);
  EXPECT_TRUE(key.Valid());
  EXPECT_TRUE(key.Close());
  EXPECT_FALSE(key.Valid());
}

}  // namespace
