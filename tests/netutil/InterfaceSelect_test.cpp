#include "netutil/InterfaceSelect.h"

#include <gtest/gtest.h>

#include "netutil/GroupJoin.h"

namespace {

TEST(MatchesMask, Wildcards) {
  EXPECT_TRUE(MatchesMask("233.7.1.1", "233.7.*"));
  EXPECT_TRUE(MatchesMask("233.7.1.1", "233.*.*.*"));
  EXPECT_TRUE(MatchesMask("233.7.1.1", "23*"));
  EXPECT_TRUE(MatchesMask("239.1.1.1", "23*"));
  EXPECT_TRUE(MatchesMask("233.7.1.5", "233.7.1.?"));
  EXPECT_FALSE(MatchesMask("233.7.1.15", "233.7.1.?"));
  EXPECT_FALSE(MatchesMask("233.7.1.1", "233.7"));   // anchored at the end
  EXPECT_FALSE(MatchesMask("1233.7.1.1", "233.*"));  // and at the start
  EXPECT_TRUE(MatchesMask("", "*"));
  EXPECT_FALSE(MatchesMask("", "?"));
  EXPECT_TRUE(MatchesMask("udp://@239.0.0.1:1234", "*//@*.*.*.*:*"));
  EXPECT_FALSE(MatchesMask("udp://239.0.0.1:1234", "*//@*.*.*.*:*"));
  EXPECT_TRUE(MatchesMask("ABC.Def", "abc.*F"));
  // A "*" in the mask matches any run, a "*" of the text included; the text's "*" is only a character.
  EXPECT_TRUE(MatchesMask("*a", "*"));
  EXPECT_TRUE(MatchesMask("1.2.3.*x", "*.*.*.*"));
  EXPECT_TRUE(MatchesMask("*", "?"));
  EXPECT_TRUE(MatchesMask("a*b", "a*"));
  EXPECT_FALSE(MatchesMask("ab", "a\\*"));
  EXPECT_FALSE(MatchesMask("*", "a"));
  // Many stars over a long text finish quickly.
  EXPECT_FALSE(MatchesMask(std::string(5000, 'a'), std::string(100, '*') + "b"));
}

TEST(ListField, FieldsNeedAClosingDelimiter) {
  EXPECT_EQ(ListField("a,b,c,", ',', 0), "a");
  EXPECT_EQ(ListField("a,b,c,", ',', 2), "c");
  EXPECT_EQ(ListField("a,b,c", ',', 2), "");
  EXPECT_EQ(ListField("a,,c,", ',', 1), "");
  EXPECT_EQ(ListField("a,", ',', 5), "");
}

struct SelectionRow {
  const char* list;
  const char* group;
  const char* expected;
};

TEST(SelectMulticastInterface, EveryRowOfTheTable) {
  const SelectionRow rows[] = {
      {"192.168.0.1, 192.168.1.2@233.7.*.*", "233.7.5.5", "192.168.1.2"},
      {"192.168.0.1, 192.168.1.2@233.7.*.*", "239.1.1.1", "192.168.0.1"},
      {"192.168.1.2@233.7.*.*, 192.168.0.1", "233.7.5.5", "192.168.0.1"},
      {"192.168.1.2@233.7.*.*, 192.168.0.1", "239.1.1.1", "192.168.0.1"},
      {"192.168.1.2@233.7.*.*, 10.0.0.1@239.*", "224.0.0.1", ""},
      {"10.0.0.1,,192.168.0.1", "239.1.1.1", "10.0.0.1"},
      {"0.0.0.0", "239.1.1.1", "0.0.0.0"},
      {"192.168.1.2@233.7.1.?", "233.7.1.5", "192.168.1.2@233.7.1.?"},
      {"1.1.1.1, 10.0.0.2@233.7.1.?", "233.7.1.5", "10.0.0.2"},
      {"1.1.1.1, 10.0.0.2@233.7.1.?", "233.7.1.15", "1.1.1.1"},
      {" 0.0.0.0 ", "239.1.1.1", " 0.0.0.0 "},  // no ",": not even trimmed
      {"\t1.1.1.1\t,\t2.2.2.2@239.*\t", "239.9.9.9", "2.2.2.2"},
      {"", "239.1.1.1", ""},
  };
  for (const SelectionRow& row : rows) {
    EXPECT_EQ(SelectMulticastInterface(row.list, row.group), row.expected) << row.list << " / " << row.group;
  }
}

TEST(GroupJoin, UrlWithoutGroupOpensNothing) {
  EXPECT_FALSE(JoinGroupOnInterfaces("udp://239.0.0.1:1234", "0.0.0.0").Valid());
  EXPECT_FALSE(JoinGroupOnInterfaces("dshow://", "").Valid());
  platform::Socket socket;
  LeaveGroupOnInterfaces("udp://@239.0.0.1:1234", "", socket);
  EXPECT_FALSE(socket.Valid());
}

}  // namespace
