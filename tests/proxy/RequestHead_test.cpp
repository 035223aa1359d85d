#include "proxy/RequestHead.h"

#include <gtest/gtest.h>

namespace {

struct FeedResult {
  HeadReader::State state;
  RequestHead head;
  std::size_t consumed;  // bytes taken before the reader stopped
};

FeedResult FeedAll(const std::string& bytes) {
  HeadReader reader;
  std::size_t consumed = 0;
  for (char c : bytes) {
    if (reader.GetState() != HeadReader::State::Reading) break;
    reader.Feed(c);
    ++consumed;
  }
  return {reader.GetState(), reader.Head(), consumed};
}

TEST(HeadReader, RequestLineAndHost) {
  const FeedResult r = FeedAll("GET /udp/239.0.0.1:1234 HTTP/1.1\r\nHost: 10.0.0.5:7781\r\n\r\nBODY");
  EXPECT_EQ(r.state, HeadReader::State::Complete);
  EXPECT_EQ(r.head.firstLine, "GET /udp/239.0.0.1:1234 HTTP/1.1\r");
  EXPECT_EQ(r.head.host, "10.0.0.5");
  EXPECT_EQ(r.head.hostPort, "7781");
  EXPECT_EQ(RequestLineForLog(r.head.firstLine), "GET /udp/239.0.0.1:1234 HTTP/1.1 ");
}

TEST(HeadReader, StopsRightAfterTheEmptyLine) {
  const std::string head = "GET / HTTP/1.0\r\n\r\n";
  EXPECT_EQ(FeedAll(head + "more bytes").consumed, head.size());
}

TEST(HeadReader, HostRules) {
  EXPECT_EQ(FeedAll("GET / HTTP/1.0\r\nHost: tv.local\r\n\r\n").head.hostPort, "80");
  EXPECT_EQ(FeedAll("GET / HTTP/1.0\r\nHost: tv.local\r\n\r\n").head.host, "tv.local");
  EXPECT_EQ(FeedAll("GET / HTTP/1.0\r\nHost: a:0080\r\n\r\n").head.hostPort, "80");
  EXPECT_EQ(FeedAll("GET / HTTP/1.0\r\nHost: a:x\r\n\r\n").head.hostPort, "0");
  // Case-sensitive, with its blank; a later header replaces an earlier one.
  EXPECT_EQ(FeedAll("GET / HTTP/1.0\r\nhost: a:1\r\n\r\n").head.host, "");
  EXPECT_EQ(FeedAll("GET / HTTP/1.0\r\nHost:a:1\r\n\r\n").head.host, "");
  EXPECT_EQ(FeedAll("GET / HTTP/1.0\r\nHost: a:1\r\nHost: b:2\r\n\r\n").head.host, "b");
  // No header: both empty.
  EXPECT_EQ(FeedAll("GET / HTTP/1.0\r\n\r\n").head.host, "");
  EXPECT_EQ(FeedAll("GET / HTTP/1.0\r\n\r\n").head.hostPort, "");
  // At most 255 characters of the value are looked at.
  const FeedResult longHost = FeedAll("GET / HTTP/1.0\r\nHost: " + std::string(300, 'h') + ":99\r\n\r\n");
  EXPECT_EQ(longHost.head.host, std::string(255, 'h'));
  EXPECT_EQ(longHost.head.hostPort, "80");
}

TEST(HeadReader, LineEndRules) {
  // LF alone never ends a line: the head goes on.
  EXPECT_EQ(FeedAll("GET / HTTP/1.0\n\n\n").state, HeadReader::State::Reading);
  // A line of LF CR ends the head.
  const FeedResult lfcr = FeedAll("GET / HTTP/1.0\r\n\n\r\n");
  EXPECT_EQ(lfcr.state, HeadReader::State::Complete);
  EXPECT_EQ(lfcr.head.firstLine, "GET / HTTP/1.0\r");
  // LF-terminated lines pile up into the first line until an empty CR LF line.
  const FeedResult lf = FeedAll("GET / HTTP/1.0\nHost: x\r\n\r\n");
  EXPECT_EQ(lf.state, HeadReader::State::Complete);
  EXPECT_EQ(lf.head.firstLine, "GET / HTTP/1.0\nHost: x\r");
  EXPECT_EQ(lf.head.host, "");
  // An empty first line ends the head at once, with no request line.
  EXPECT_EQ(FeedAll("\r\nGET / HTTP/1.0\r\n\r\n").head.firstLine, "");
}

TEST(HeadReader, OverlongLineEndsTheRequest) {
  const std::string exact = "GET /" + std::string(kHeadLineLimit - 6, 'a') + "\r";
  ASSERT_EQ(exact.size(), kHeadLineLimit);
  EXPECT_EQ(FeedAll(exact + "\n\r\n").state, HeadReader::State::Complete);
  EXPECT_EQ(FeedAll("GET /" + std::string(kHeadLineLimit, 'a') + "\r\n\r\n").state, HeadReader::State::LineTooLong);
  EXPECT_EQ(FeedAll(std::string(100000, '\n')).state, HeadReader::State::LineTooLong);
}

TEST(HeadReader, BinaryGarbageIsHarmless) {
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 7919) & 0xFF);
  const FeedResult r = FeedAll(garbage);
  EXPECT_LE(r.head.firstLine.size(), kHeadLineLimit);
  EXPECT_LE(r.head.host.size(), 255u);
}

}  // namespace
