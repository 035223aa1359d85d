#include "proxy/RelayLoop.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

class FakeClock : public RelayClock {
 public:
  std::int64_t nowUs = 1000000;
  std::vector<std::int64_t> pauses;
  std::int64_t NowMicroseconds() override { return nowUs; }
  void Pause(std::int64_t microseconds) override {
    pauses.push_back(microseconds);
    nowUs += microseconds;
  }
};

// A scripted multicast socket: datagrams that arrive at given times (dropped ones stand for empty
// datagrams and those of another group). A wait that times out lasts waitMilliseconds on the
// clock, longer than the 10 ms asked for, as a timer tick makes it on a real system. One receive
// takes at most room datagrams.
class FakeSource : public DatagramSource {
 public:
  struct Arrival {
    std::int64_t atUs;
    std::string bytes;
    bool dropped;
  };
  explicit FakeSource(FakeClock& clock) : clock_(clock) {}

  void Add(std::int64_t atUs, std::string bytes, bool dropped = false) {
    arrivals_.push_back(Arrival{atUs, std::move(bytes), dropped});
  }
  bool Arrived() const { return !arrivals_.empty() && arrivals_.front().atUs <= clock_.nowUs; }

  int waitMilliseconds = 16;
  std::size_t room = 16;
  bool fail = false;

  TakenDatagrams Receive() override {
    TakenDatagrams taken;
    if (fail) {
      taken.failed = true;
      return taken;
    }
    if (!Arrived()) {
      const std::int64_t pollEndUs = clock_.nowUs + kIdlePollMilliseconds * 1000;
      if (arrivals_.empty() || arrivals_.front().atUs > pollEndUs) {
        clock_.nowUs += waitMilliseconds * 1000;
        return taken;
      }
      clock_.nowUs = arrivals_.front().atUs;
    }
    held_.clear();
    pieces_.clear();
    std::size_t count = 0;
    for (; count < room && Arrived(); ++count) {
      if (!arrivals_.front().dropped) held_.push_back(arrivals_.front().bytes);
      arrivals_.pop_front();
    }
    for (const std::string& bytes : held_) pieces_.push_back(platform::ByteRange{bytes.data(), bytes.size()});
    taken.pieces = pieces_.data();
    taken.count = pieces_.size();
    taken.full = count == room;
    return taken;
  }

 private:
  FakeClock& clock_;
  std::deque<Arrival> arrivals_;
  std::deque<std::string> held_;
  std::vector<platform::ByteRange> pieces_;
};

// Records every send with its time; refuses after acceptSends sends.
class FakeSink : public StreamSink {
 public:
  explicit FakeSink(FakeClock& clock) : clock_(clock) {}
  std::string received;
  std::vector<std::int64_t> sendTimesUs;
  std::vector<std::size_t> sendSizes;
  int acceptSends = 1 << 30;

  bool Send(const platform::ByteRange* pieces, std::size_t count) override {
    if (acceptSends-- <= 0) return false;
    std::size_t size = 0;
    for (std::size_t i = 0; i < count; ++i) {
      received.append(pieces[i].data, pieces[i].size);
      size += pieces[i].size;
    }
    sendTimesUs.push_back(clock_.nowUs);
    sendSizes.push_back(size);
    return true;
  }

 private:
  FakeClock& clock_;
};

std::string Datagram(int number, std::size_t size = 1316) {
  std::string datagram(size, static_cast<char>(number));
  datagram[0] = 0x47;
  return datagram;
}

TEST(RelayLoop, SilenceEndsAfterFiftySecondsByTheClock) {
  // Waits that last 16 ms (a 250 Hz timer tick), exactly the 10 ms asked for, or 1 ms: the stream
  // ends once 5001 polls of 10 ms have passed, not after 5001 waits.
  for (int wait : {16, 10, 1}) {
    FakeClock clock;
    FakeSource source(clock);
    source.waitMilliseconds = wait;
    FakeSink sink(clock);
    int forwarded = 0;
    const std::int64_t started = clock.nowUs;
    EXPECT_EQ(ForwardDatagrams(source, sink, clock, [&] { ++forwarded; }), RelayEnd::Silence);
    EXPECT_GE(clock.nowUs - started, 50010000) << wait;
    EXPECT_LT(clock.nowUs - started, 50010000 + wait * 1000) << wait;
    EXPECT_EQ(forwarded, 0);
  }
}

TEST(RelayLoop, DataRestartsTheSilence) {
  FakeClock clock;
  FakeSource source(clock);
  FakeSink sink(clock);
  const std::int64_t started = clock.nowUs;
  source.Add(started + 40000000, "abc");
  EXPECT_EQ(ForwardDatagrams(source, sink, clock, [] {}), RelayEnd::Silence);
  EXPECT_EQ(sink.received, "abc");
  EXPECT_GE(clock.nowUs - started, 40000000 + 50010000);
  EXPECT_LT(clock.nowUs - started, 40000000 + 50010000 + 20000);
}

TEST(RelayLoop, EmptyDatagramsAndThoseOfOtherGroupsAreSilence) {
  FakeClock clock;
  FakeSource source(clock);
  FakeSink sink(clock);
  const std::int64_t started = clock.nowUs;
  for (int second = 1; second < 60; ++second) source.Add(started + second * 1000000, "", true);
  int forwarded = 0;
  EXPECT_EQ(ForwardDatagrams(source, sink, clock, [&] { ++forwarded; }), RelayEnd::Silence);
  EXPECT_EQ(forwarded, 0);
  EXPECT_LT(clock.nowUs - started, 50010000 + 20000);
}

TEST(RelayLoop, EveryDatagramWholeAndInOrder) {
  FakeClock clock;
  FakeSource source(clock);
  FakeSink sink(clock);
  std::string expected;
  // A backlog of small datagrams with the largest possible ones among them, all waiting at once.
  for (int i = 0; i < 300; ++i) {
    const std::string datagram = Datagram(i, i % 97 == 5 ? 65507 : 1316);
    source.Add(clock.nowUs, datagram);
    expected += datagram;
  }
  int forwarded = 0;
  ForwardDatagrams(source, sink, clock, [&] { ++forwarded; });
  EXPECT_EQ(sink.received, expected);
  EXPECT_EQ(forwarded, static_cast<int>(sink.sendSizes.size()));
  // Full receives go on one after the other; only the last, which emptied the queue, is followed by a pause.
  EXPECT_EQ(sink.sendSizes.size(), 300u / source.room + 1);
  EXPECT_EQ(clock.pauses.size(), 1u);
}

// One datagram a millisecond for a second, after 5 ms of silence, forwarded under load: the first goes
// at once; the sends after the first firstOnBeat fall on the beats, each datagram is held back at most
// one beat, and each send carries what came during its beat.
void ExpectSendsOnBeats(const GatherLoad& load, std::int64_t beat, std::size_t firstOnBeat) {
  FakeClock clock;
  FakeSource source(clock);
  source.room = 32;
  FakeSink sink(clock);
  const std::int64_t started = clock.nowUs + 5300;
  std::vector<std::int64_t> arrivals;
  std::string expected;
  for (int i = 0; i < 1000; ++i) {
    arrivals.push_back(started + i * 1000);
    source.Add(arrivals.back(), Datagram(i));
    expected += Datagram(i);
  }
  ForwardDatagrams(source, sink, clock, [] {}, load);
  ASSERT_EQ(sink.received, expected);
  EXPECT_EQ(sink.sendTimesUs.front(), started);
  EXPECT_EQ(sink.sendSizes.front(), 1316u);
  std::size_t next = 0;
  for (std::size_t send = 0; send < sink.sendSizes.size(); ++send) {
    if (send >= firstOnBeat) {
      EXPECT_EQ(sink.sendTimesUs[send] % beat, 0) << send;
    }
    for (std::size_t taken = 0; taken < sink.sendSizes[send]; taken += 1316, ++next) {
      EXPECT_LE(sink.sendTimesUs[send] - arrivals[next], beat) << next;
    }
  }
  EXPECT_LE(sink.sendSizes.size(), 1000u * 1000u / beat + 3);
  EXPECT_GE(sink.sendSizes.size(), 1000u * 1000u / beat);
}

TEST(RelayLoop, FirstDatagramGoesAtOnceAndAFlowingStreamOnceABeat) {
  ExpectSendsOnBeats(GatherLoad{}, kGatherBeatMicroseconds, 1);
}

TEST(RelayLoop, BeatGrowsWithTheStreamsWithinTheReceiveBuffer) {
  constexpr std::int64_t kMbit8 = 1000000;  // bytes a second
  constexpr std::int64_t kBuffer = 8 << 20;
  struct Row {
    int streams;
    std::int64_t bytesPerSecond;
    std::int64_t receiveBufferBytes;
    std::int64_t beat;
  };
  const Row rows[] = {
      {1, kMbit8, kBuffer, 5000},         // one viewer: as short as ever
      {10, kMbit8, kBuffer, 5000},        //
      {20, kMbit8, kBuffer, 10000},       //
      {50, kMbit8, kBuffer, 25000},       // many viewers: longer beats
      {57, kMbit8, kBuffer, 25000},       // a multiple of the shortest beat, so streams still wake together
      {150, kMbit8, kBuffer, 30000},      // never beyond the longest
      {150, 25 * kMbit8, kBuffer, 30000}, // 200 Mbit/s: a beat is 750 kB, a quarter of the buffer holds it
      {150, 25 * kMbit8, 425984, 5000},   // the usual 208 KiB cap on Linux (doubled): back to the shortest
      {150, kMbit8, 425984, 30000},       // which still holds 8 Mbit/s for the longest beat
      {150, 4 * kMbit8, 425984, 25000},   // 32 Mbit/s: a quarter of the buffer is 26 ms
      {150, kMbit8, 0, 5000},             // buffer unknown
      {0, kMbit8, kBuffer, 5000},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(GatherBeatMicroseconds(row.streams, row.bytesPerSecond, row.receiveBufferBytes), row.beat)
        << row.streams << " " << row.bytesPerSecond << " " << row.receiveBufferBytes;
  }
}

TEST(RelayLoop, ManyStreamsSendOnceALongBeatButTheFirstDatagramAtOnce) {
  GatherLoad load;
  load.streams = [] { return 150; };
  // The rate is not known before the first beat, which is the shortest; after it the beat is the longest.
  ExpectSendsOnBeats(load, kLongestGatherBeatMicroseconds, 2);
}

TEST(RelayLoop, Ends) {
  {
    FakeClock clock;
    FakeSource source(clock);
    FakeSink sink(clock);
    source.Add(clock.nowUs, "a");
    source.Add(clock.nowUs + 20000, "b");
    source.Add(clock.nowUs + 40000, "c");
    sink.acceptSends = 2;
    EXPECT_EQ(ForwardDatagrams(source, sink, clock, [] {}), RelayEnd::ClientGone);
    EXPECT_EQ(sink.received, "ab");
  }
  {
    FakeClock clock;
    FakeSource source(clock);
    FakeSink sink(clock);
    source.fail = true;
    EXPECT_EQ(ForwardDatagrams(source, sink, clock, [] {}), RelayEnd::ReceiveFailed);
  }
}

}  // namespace
