#include "platform/Text.h"

#include <gtest/gtest.h>

namespace {

TEST(TextTest, LowerCasesAsciiLettersOnly) {
  EXPECT_EQ(platform::LowerCaseText("C:\\Program Files\\Corvane\\CORVANE.EXE"), "c:\\program files\\corvane\\corvane.exe");
  EXPECT_EQ(platform::LowerCaseText("/USER 239.0.0.1:1234 @[]`{}"), "/user 239.0.0.1:1234 @[]`{}");
  EXPECT_EQ(platform::LowerCaseText(""), "");
  EXPECT_EQ(platform::LowerCaseText(std::string("A\0B", 3)), std::string("a\0b", 3));
}

TEST(TextTest, SystemCodePageRoundTrip) {
  std::string text;
  ASSERT_TRUE(platform::SystemCodePageFromUtf8("0.0.0.0, 10.0.0.2@233.7.*.*", text));
  EXPECT_EQ(text, "0.0.0.0, 10.0.0.2@233.7.*.*");
  EXPECT_EQ(platform::Utf8FromSystemCodePage(text), "0.0.0.0, 10.0.0.2@233.7.*.*");
  ASSERT_TRUE(platform::SystemCodePageFromUtf8("", text));
  EXPECT_EQ(text, "");

  // Cyrillic fits some code pages and not others; what is accepted must come back unchanged.
  const std::string cyrillic = "mux=ts,sout-title=Канал";
  if (platform::SystemCodePageFromUtf8(cyrillic, text)) {
    EXPECT_EQ(platform::Utf8FromSystemCodePage(text), cyrillic);
  } else {
    EXPECT_NE(platform::Utf8FromSystemCodePage(text), cyrillic);
  }
}

}  // namespace
