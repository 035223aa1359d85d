#include "proxy/RelayLoop.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace {

// A scripted multicast socket: queued datagrams (an empty string is an empty datagram), then
// silence; counts the waits that timed out.
class FakeSource : public DatagramSource {
 public:
  std::deque<std::string> queue;
  int timeouts = 0;
  bool fail = false;

  int Receive(char* buffer, std::size_t size) override {
    if (fail) return -1;
    if (queue.empty()) {
      ++timeouts;
      return 0;
    }
    const std::string datagram = queue.front();
    queue.pop_front();
    const std::size_t n = std::min(size, datagram.size());
    datagram.copy(buffer, n);
    return static_cast<int>(n);
  }
};

class FakeSink : public StreamSink {
 public:
  std::string received;
  int acceptDatagrams = 1 << 30;
  bool Send(const char* data, std::size_t size) override {
    if (acceptDatagrams-- <= 0) return false;
    received.append(data, size);
    return true;
  }
};

TEST(RelayLoop, SilenceEndsAfterMoreThanTheIdleLimit) {
  FakeSource source;
  FakeSink sink;
  int forwarded = 0;
  EXPECT_EQ(ForwardDatagrams(source, sink, [&] { ++forwarded; }), RelayEnd::Silence);
  EXPECT_EQ(source.timeouts, kIdlePollLimit + 1);  // 5001 empty polls of 10 ms: at least 50 s
  EXPECT_EQ(forwarded, 0);
}

TEST(RelayLoop, DataRestartsTheIdleCount) {
  FakeSource source;
  FakeSink sink;
  source.queue = {"abc", "defg"};
  EXPECT_EQ(ForwardDatagrams(source, sink, [] {}), RelayEnd::Silence);
  EXPECT_EQ(sink.received, "abcdefg");
  EXPECT_EQ(source.timeouts, kIdlePollLimit + 1);
}

TEST(RelayLoop, EmptyDatagramsCountAsSilence) {
  FakeSource source;
  FakeSink sink;
  source.queue = {"", "", "a"};
  int forwarded = 0;
  EXPECT_EQ(ForwardDatagrams(source, sink, [&] { ++forwarded; }), RelayEnd::Silence);
  EXPECT_EQ(sink.received, "a");
  EXPECT_EQ(forwarded, 1);
}

TEST(RelayLoop, EveryDatagramInOrderAndWhole) {
  FakeSource source;
  FakeSink sink;
  std::string expected;
  for (int i = 0; i < 100; ++i) {
    std::string datagram(1316, static_cast<char>(i));
    datagram[0] = 0x47;
    source.queue.push_back(datagram);
    expected += datagram;
  }
  source.queue.push_back(std::string(65507, 'z'));  // the largest datagram fits the buffer
  expected += std::string(65507, 'z');
  int forwarded = 0;
  ForwardDatagrams(source, sink, [&] { ++forwarded; });
  EXPECT_EQ(sink.received, expected);
  EXPECT_EQ(forwarded, 101);
}

TEST(RelayLoop, Ends) {
  {
    FakeSource source;
    FakeSink sink;
    source.queue = {"a", "b", "c"};
    sink.acceptDatagrams = 2;
    EXPECT_EQ(ForwardDatagrams(source, sink, [] {}), RelayEnd::ClientGone);
    EXPECT_EQ(sink.received, "ab");
  }
  {
    FakeSource source;
    FakeSink sink;
    source.fail = true;
    EXPECT_EQ(ForwardDatagrams(source, sink, [] {}), RelayEnd::ReceiveFailed);
  }
}

}  // namespace
