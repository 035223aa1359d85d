#include "settings/Settings.h"

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "test_support/TempFolder.h"

namespace {

TEST(SettingsFile, NamedAfterTheProgram) {
  EXPECT_EQ(SettingsFileFor("C:\\Proxy\\corvane.exe"), "C:\\Proxy\\corvane.ini");
  EXPECT_EQ(SettingsFileFor("/opt/corvane/corvane"), "/opt/corvane/corvane.ini");
  // A dot in a folder name is not an extension.
  EXPECT_EQ(SettingsFileFor("/home/u/corvane.d/corvane"), "/home/u/corvane.d/corvane.ini");
  EXPECT_EQ(SettingsFileFor("C:\\my.folder\\proxy.v2.exe"), "C:\\my.folder\\proxy.v2.ini");
}

TEST(SettingsFile, DefaultFileIsTwentyNineBytesAndReadsBack) {
  const ProxySettings defaults{"0.0.0.0", "0.0.0.0", "7781", "0", ""};
  const std::string text = SettingsText(defaults);
  EXPECT_EQ(text, "0.0.0.0\r\n0.0.0.0\r\n7781\r\n0\r\n\r\n");
  EXPECT_EQ(text.size(), 29u);

  TempFolder folder;
  const std::string file = folder.Path("corvane.ini");
  ASSERT_TRUE(WriteSettingsFile(file, defaults));
  EXPECT_TRUE(SettingsFileExists(file));
  EXPECT_EQ(ReadSettingsLine(file, 1), "0.0.0.0");
  EXPECT_EQ(ReadSettingsLine(file, 2), "0.0.0.0");
  EXPECT_EQ(ReadSettingsLine(file, 3), "7781");
  EXPECT_EQ(ReadSettingsLine(file, 4), "0");
  EXPECT_EQ(ReadSettingsLine(file, 5), "");
  EXPECT_EQ(ReadSettingsLine(file, 6), "");

  const ListenerSettings listener = ReadListenerSettings(file);
  EXPECT_EQ(listener.multicastInterface, "0.0.0.0");
  EXPECT_EQ(listener.httpInterface, "0.0.0.0");
  EXPECT_EQ(listener.httpPort, 7781);
  EXPECT_FALSE(listener.transcoderEnabled);
}

TEST(SettingsFile, LineSplitting) {
  // LF alone ends a line, as CR alone does; CR LF is one line end.
  EXPECT_EQ(SplitSettingsLines("a\nb\nc\n"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(SplitSettingsLines("a\rb\r\n\nc"), (std::vector<std::string>{"a", "b", "", "c"}));
  EXPECT_EQ(SplitSettingsLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
  // The text ends at the first NUL.
  EXPECT_EQ(SplitSettingsLines(std::string("a\r\nb\0c\r\n", 8)), (std::vector<std::string>{"a", "b"}));
  // No trimming.
  EXPECT_EQ(SplitSettingsLines(" x \r\n"), std::vector<std::string>{" x "});
}

TEST(SettingsFile, ShortAndOddFiles) {
  TempFolder folder;
  const std::string file = folder.Path("corvane.ini");

  // Written with a Linux editor: the same settings as with CR LF.
  ASSERT_TRUE(platform::WriteWholeFile(file, "10.0.0.1\n10.0.0.2\n8080\n1\nmux=ts\n"));
  ListenerSettings lfOnly = ReadListenerSettings(file);
  EXPECT_EQ(lfOnly.multicastInterface, "10.0.0.1");
  EXPECT_EQ(lfOnly.httpInterface, "10.0.0.2");
  EXPECT_EQ(lfOnly.httpPort, 8080);
  EXPECT_TRUE(lfOnly.transcoderEnabled);
  EXPECT_EQ(ReadSettingsLine(file, 5), "mux=ts");

  ASSERT_TRUE(platform::WriteWholeFile(file, "1.1.1.1\r\n2.2.2.2\r\n7781\r\n"));
  EXPECT_FALSE(ReadListenerSettings(file).transcoderEnabled);
  EXPECT_EQ(ReadSettingsLine(file, 5), "");

  ASSERT_TRUE(platform::WriteWholeFile(file, "a\r\nb\r\n7781abc\r\n1 \r\n"));
  EXPECT_EQ(ReadListenerSettings(file).httpPort, 7781);
  EXPECT_FALSE(ReadListenerSettings(file).transcoderEnabled);

  ASSERT_TRUE(platform::WriteWholeFile(file, "a\r\nb\r\nabc\r\n1\r\n"));
  EXPECT_EQ(ReadListenerSettings(file).httpPort, 0);
  EXPECT_TRUE(ReadListenerSettings(file).transcoderEnabled);
}

TEST(SettingsFile, MissingFileGivesBuiltInValues) {
  TempFolder folder;
  const std::string file = folder.Path("absent.ini");
  EXPECT_FALSE(SettingsFileExists(file));
  EXPECT_EQ(ReadSettingsLine(file, 1), "");
  const ListenerSettings listener = ReadListenerSettings(file);
  EXPECT_EQ(listener.multicastInterface, "0.0.0.0");
  EXPECT_EQ(listener.httpInterface, "0.0.0.0");
  EXPECT_EQ(listener.httpPort, 81);
  EXPECT_FALSE(listener.transcoderEnabled);
  // A folder of that name is no settings file either.
  EXPECT_FALSE(SettingsFileExists(folder.Path("")));
}

TEST(ParseInteger, SignDigitsAndGarbage) {
  EXPECT_EQ(ParseInteger("7781"), 7781);
  EXPECT_EQ(ParseInteger("7781abc"), 7781);
  EXPECT_EQ(ParseInteger("abc"), 0);
  EXPECT_EQ(ParseInteger(""), 0);
  EXPECT_EQ(ParseInteger("+12"), 12);
  EXPECT_EQ(ParseInteger("-12"), -12);
  EXPECT_EQ(ParseInteger(" 12"), 0);  // leading blanks are not skipped
  EXPECT_EQ(ParseInteger("0080"), 80);
  EXPECT_EQ(ParseInteger("99999999999999999999"), 2147483647);
  EXPECT_EQ(ParseInteger("-99999999999999999999"), -2147483647 - 1);
}

}  // namespace
