#include "proxy/RelayLoop.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace {

class FakeClock : public RelayClock {
 public:
  std::int64_t now = 1000;
  std::int64_t NowMilliseconds() override { return now; }
};

// A scripted multicast socket: queued datagrams (an empty string is an empty datagram), then
// silence. A wait that times out lasts waitMilliseconds on the clock, longer than the 10 ms asked
// for, as a timer tick makes it on a real system; counts those waits.
class FakeSource : public DatagramSource {
 public:
  explicit FakeSource(FakeClock& clock) : clock_(clock) {}
  std::deque<std::string> queue;
  int timeouts = 0;
  int waitMilliseconds = 16;
  bool fail = false;

  int Receive(char* buffer, std::size_t size) override {
    if (fail) return -1;
    if (queue.empty()) {
      ++timeouts;
      clock_.now += waitMilliseconds;
      return 0;
    }
    const std::string datagram = queue.front();
    queue.pop_front();
    const std::size_t n = std::min(size, datagram.size());
    datagram.copy(buffer, n);
    return static_cast<int>(n);
  }

 private:
  FakeClock& clock_;
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

TEST(RelayLoop, SilenceEndsAfterFiftySecondsByTheClock) {
  // Waits that last 16 ms (a 250 Hz timer tick), exactly the 10 ms asked for, or 1 ms (cut short by a
  // datagram that is dropped): the stream ends once 5001 polls of 10 ms have passed, not after 5001 waits.
  for (int wait : {16, 10, 1}) {
    FakeClock clock;
    FakeSource source(clock);
    source.waitMilliseconds = wait;
    FakeSink sink;
    int forwarded = 0;
    const std::int64_t started = clock.now;
    EXPECT_EQ(ForwardDatagrams(source, sink, clock, [&] { ++forwarded; }), RelayEnd::Silence);
    EXPECT_GE(clock.now - started, 50010) << wait;
    EXPECT_LT(clock.now - started, 50010 + wait) << wait;
    EXPECT_EQ(forwarded, 0);
  }
}

TEST(RelayLoop, DataRestartsTheSilence) {
  FakeClock clock;
  FakeSource source(clock);
  FakeSink sink;
  source.queue = {"abc", "defg"};
  const std::int64_t started = clock.now;
  EXPECT_EQ(ForwardDatagrams(source, sink, clock, [] {}), RelayEnd::Silence);
  EXPECT_EQ(sink.received, "abcdefg");
  EXPECT_GE(clock.now - started, 50010);
}

TEST(RelayLoop, EmptyDatagramsCountAsSilence) {
  FakeClock clock;
  FakeSource source(clock);
  FakeSink sink;
  source.queue = {"", "", "a"};
  int forwarded = 0;
  EXPECT_EQ(ForwardDatagrams(source, sink, clock, [&] { ++forwarded; }), RelayEnd::Silence);
  EXPECT_EQ(sink.received, "a");
  EXPECT_EQ(forwarded, 1);
}

TEST(RelayLoop, EveryDatagramInOrderAndWhole) {
  FakeClock clock;
  FakeSource source(clock);
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
  ForwardDatagrams(source, sink, clock, [&] { ++forwarded; });
  EXPECT_EQ(sink.received, expected);
  EXPECT_EQ(forwarded, 101);
}

TEST(RelayLoop, Ends) {
  FakeClock clock;
  {
    FakeSource source(clock);
    FakeSink sink;
    source.queue = {"a", "b", "c"};
    sink.acceptDatagrams = 2;
    EXPECT_EQ(ForwardDatagrams(source, sink, clock, [] {}), RelayEnd::ClientGone);
    EXPECT_EQ(sink.received, "ab");
  }
  {
    FakeSource source(clock);
    FakeSink sink;
    source.fail = true;
    EXPECT_EQ(ForwardDatagrams(source, sink, clock, [] {}), RelayEnd::ReceiveFailed);
  }
}

}  // namespace
