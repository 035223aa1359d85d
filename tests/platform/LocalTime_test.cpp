#include "platform/LocalTime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace {

// The log line's "date time" prefix: a date and a time separated by a blank, both with digits.
TEST(LocalTimeTest, GivesDateAndTimeSeparatedByABlank) {
  const std::string text = platform::LocalDateTimeText();
  const std::size_t blank = text.find(' ');
  ASSERT_NE(blank, std::string::npos) << text;
  const auto hasDigit = [](const std::string& part) {
    return std::any_of(part.begin(), part.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
  };
  EXPECT_TRUE(hasDigit(text.substr(0, blank))) << text;
  EXPECT_TRUE(hasDigit(text.substr(blank + 1))) << text;
  EXPECT_EQ(text.find('\n'), std::string::npos);
}

}  // namespace
