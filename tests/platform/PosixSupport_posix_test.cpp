#include "platform/PosixSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>

namespace {

bool IsOpen(int fd) { return fcntl(fd, F_GETFD) != -1; }

TEST(PosixSupportTest, UniqueFdClosesOnEveryPathAndKeepsErrno) {
  int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  {
    const platform::UniqueFd owner(fd);
    errno = ENOSPC;  // the failure a caller is about to report
  }
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_FALSE(IsOpen(fd));

  fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
  platform::UniqueFd first(fd);
  platform::UniqueFd second(std::move(first));
  EXPECT_FALSE(first.Valid());
  platform::UniqueFd third;
  third = std::move(second);
  EXPECT_TRUE(IsOpen(fd));
  const int released = third.Release();
  EXPECT_FALSE(third.Valid());
  EXPECT_TRUE(IsOpen(released));
  platform::UniqueFd last(released);
  EXPECT_TRUE(last.CloseChecked());
  EXPECT_FALSE(IsOpen(released));
}

TEST(PosixSupportTest, RetryOnEintrRepeatsOnlyInterruptedCalls) {
  int calls = 0;
  const int result = platform::RetryOnEintr([&] {
    ++calls;
    errno = calls < 3 ? EINTR : 0;
    return calls < 3 ? -1 : 7;
  });
  EXPECT_EQ(result, 7);
  EXPECT_EQ(calls, 3);

  calls = 0;
  EXPECT_EQ(platform::RetryOnEintr([&] {
              ++calls;
              errno = EBADF;
              return -1;
            }),
            -1);
  EXPECT_EQ(calls, 1);
}

}  // namespace
