#pragma once
// The forwarding loop of a stream, apart from its sockets and its clock so that its rules can be tested.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/Socket.h"

inline constexpr int kIdlePollMilliseconds = 10;
// More than this many consecutive empty polls end the stream.
inline constexpr int kIdlePollLimit = 5000;
// The silence that ends a stream, measured by the clock: 5001 empty polls of 10 ms. A receive wait
// lasts longer than it asks for (a timer tick), so counting the waits would stretch it.
inline constexpr std::int64_t kSilenceLimitMicroseconds =
    static_cast<std::int64_t>(kIdlePollLimit + 1) * kIdlePollMilliseconds * 1000;
// While a stream flows, its thread sleeps from one send to the next beat and then takes everything that
// came meanwhile in one receive and one send, instead of waking for every datagram. The beats fall on
// the same instants for every stream (multiples of the beat on the steady clock), so the threads of
// many viewers wake together and the system serves them in one go. The beat is kGatherBeatMicroseconds
// with few streams; with many, each wake-up and send costs about the same whatever it carries, so the
// beat grows with the number of streams, up to kLongestGatherBeatMicroseconds, which players never
// notice: they hold a second or more of the stream.
inline constexpr std::int64_t kGatherBeatMicroseconds = 5000;
inline constexpr std::int64_t kLongestGatherBeatMicroseconds = 30000;
// Streams that make each beat this much longer.
inline constexpr std::int64_t kGatherBeatMicrosecondsPerStream = 500;

// The beat of a stream that brings bytesPerSecond while streams run in the process: a multiple of
// kGatherBeatMicroseconds, so that streams with different beats still wake together, and short enough
// that one beat of the stream fills at most a quarter of its socket's receive buffer (receiveBufferBytes).
std::int64_t GatherBeatMicroseconds(int streams, std::int64_t bytesPerSecond, std::int64_t receiveBufferBytes);

// What the beat of a stream depends on besides its own rate.
struct GatherLoad {
  std::function<int()> streams;  // streams relayed by the process now; none given: this one alone
  std::int64_t receiveBufferBytes = std::int64_t{1} << 30;
};

// What one receive took: the bytes of its datagrams end to end, in pieces.
struct TakenDatagrams {
  bool failed = false;
  const platform::ByteRange* pieces = nullptr;
  std::size_t count = 0;  // 0 when nothing came within the poll
  bool full = false;      // the receive ran out of room: more is waiting
  // The size of each datagram in the pieces, in order, for a source that keeps their bounds.
  const std::size_t* sizes = nullptr;
  std::size_t datagrams = 0;
};

class DatagramSource {
 public:
  virtual ~DatagramSource() = default;
  // Waits at most about kIdlePollMilliseconds for a datagram, then takes every one already waiting
  // (as many as there is room for), without waiting again; valid until the next receive.
  virtual TakenDatagrams Receive() = 0;
};

class StreamSink {
 public:
  virtual ~StreamSink() = default;
  // Sends all bytes of the pieces in order; false when the client is gone or stopped reading.
  virtual bool Send(const platform::ByteRange* pieces, std::size_t count) = 0;
};

class RelayClock {
 public:
  virtual ~RelayClock() = default;
  // A steady clock: microseconds from a start that is the same for every stream.
  virtual std::int64_t NowMicroseconds() = 0;
  virtual void Pause(std::int64_t microseconds) = 0;
};

enum class RelayEnd { Silence, ReceiveFailed, ClientGone };

// Forwards every datagram to the sink, whole and in order, until one of the ends: a datagram after a
// quiet spell goes on at once, those of a flowing stream once a beat. onForwarded runs after each send.
RelayEnd ForwardDatagrams(DatagramSource& source, StreamSink& sink, RelayClock& clock,
                          const std::function<void()>& onForwarded, const GatherLoad& load = {});
