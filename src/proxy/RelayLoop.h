#pragma once
// The forwarding loop of a stream, apart from its sockets and its clock so that its rules can be tested.
#include <cstddef>
#include <cstdint>
#include <functional>

inline constexpr std::size_t kRelayBufferSize = 65536;
inline constexpr int kIdlePollMilliseconds = 10;
// More than this many consecutive empty polls end the stream.
inline constexpr int kIdlePollLimit = 5000;
// The silence that ends a stream, measured by the clock: 5001 empty polls of 10 ms. A receive wait
// lasts longer than it asks for (a timer tick), so counting the waits would stretch it.
inline constexpr std::int64_t kSilenceLimitMilliseconds =
    static_cast<std::int64_t>(kIdlePollLimit + 1) * kIdlePollMilliseconds;

class DatagramSource {
 public:
  virtual ~DatagramSource() = default;
  // One datagram, waiting at most about kIdlePollMilliseconds: its size; 0 when none came (or it
  // was empty, or sent to another group); -1 on failure.
  virtual int Receive(char* buffer, std::size_t size) = 0;
};

class StreamSink {
 public:
  virtual ~StreamSink() = default;
  // Sends all bytes; false when the client is gone or stopped reading.
  virtual bool Send(const char* data, std::size_t size) = 0;
};

class RelayClock {
 public:
  virtual ~RelayClock() = default;
  // A steady clock: milliseconds from any fixed start.
  virtual std::int64_t NowMilliseconds() = 0;
};

enum class RelayEnd { Silence, ReceiveFailed, ClientGone };

// Forwards every datagram to the sink as soon as it arrives, until one of the ends.
// onForwarded runs after each datagram that reached the sink.
RelayEnd ForwardDatagrams(DatagramSource& source, StreamSink& sink, RelayClock& clock,
                          const std::function<void()>& onForwarded);
