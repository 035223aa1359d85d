#include "platform/Text.h"

#include <gtest/gtest.h>

namespace {

TEST(TextTest, LowerCasesAsciiLettersOnly) {
  EXPECT_EQ(platform::LowerCaseText("C:\\Program Files\\Corvane\\CORVANE.EXE"), "c:\\program files\\corvane\\corvane.exe");
  EXPECT_EQ(platform::LowerCaseText("/USER 239.0.0.1:1234 @[]`{}"), "/user 239.0.0.1:1234 @[]`{}");
  EXPECT_EQ(platform::LowerCaseText(""), "");
  EXPECT_EQ(platform::LowerCaseText(std::string("A\0B", 3)), std::string("a\0b", 3));
}

}  // namespace
