#include "platform/Process.h"

#include <gtest/gtest.h>

#include "platform/Files.h"

namespace {

TEST(ProcessTest, ArgumentsExcludeTheProgramName) {
  char program[] = "corvane";
  char user[] = "/user";
  char cons[] = "/cons";
  char* argv[] = {program, user, cons, nullptr};
  EXPECT_EQ(platform::CommandLineArguments(3, argv), (std::vector<std::string>{"/user", "/cons"}));
  EXPECT_TRUE(platform::CommandLineArguments(1, argv).empty());
}

TEST(ProcessTest, ErrorTextOfAFailedCallIsNotEmpty) {
  std::string contents;
  ASSERT_FALSE(platform::ReadWholeFile("this file does not exist.ini", contents));
  EXPECT_FALSE(platform::LastErrorText().empty());
}

}  // namespace
