#pragma once
// The forwarding loop of a stream, apart from its sockets so that its rules can be tested.
#include <cstddef>
#include <functional>

inline constexpr std::size_t kRelayBufferSize = 65536;
inline constexpr int kIdlePollMilliseconds = 10;
// More than this many consecutive empty polls end the stream: at least 50 s of silence.
inline constexpr int kIdlePollLimit = 5000;

class DatagramSource {
 public:
  virtual ~DatagramSource() = default;
  // One datagram, waiting at most kIdlePollMilliseconds: its size; 0 when none came (or it
  // was empty); -1 on failure.
  virtual int Receive(char* buffer, std::size_t size) = 0;
};

class StreamSink {
 public:
  virtual ~StreamSink() = default;
  // Sends all bytes; false when the client is gone or stopped reading.
  virtual bool Send(const char* data, std::size_t size) = 0;
};

enum class RelayEnd { Silence, ReceiveFailed, ClientGone };

// Forwards every datagram to the sink as soon as it arrives, until one of the ends.
// onForwarded runs after each datagram that reached the sink.
RelayEnd ForwardDatagrams(DatagramSource& source, StreamSink& sink, const std::function<void()>& onForwarded);
