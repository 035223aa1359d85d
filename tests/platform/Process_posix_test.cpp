#include "platform/Process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstring>

namespace {

TEST(ProcessPosixTest, InitialisedProcessIgnoresBrokenPipesAndKeepsCNumbers) {
  platform::InitialiseProcess();
  struct sigaction action {};
  ASSERT_EQ(sigaction(SIGPIPE, nullptr, &action), 0);
  EXPECT_EQ(action.sa_handler, SIG_IGN);
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C");
}

TEST(ProcessPosixTest, ErrorTextNamesTheError) {
  errno = ENOENT;
  EXPECT_EQ(platform::LastErrorText(), std::strerror(ENOENT));
  errno = 99999;
  EXPECT_FALSE(platform::LastErrorText().empty());
}

}  // namespace
