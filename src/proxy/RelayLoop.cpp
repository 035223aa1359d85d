#include "proxy/RelayLoop.h"

#include <memory>

RelayEnd ForwardDatagrams(DatagramSource& source, StreamSink& sink, RelayClock& clock,
                          const std::function<void()>& onForwarded) {
  // Not zero-filled: every byte sent was received first.
  const std::unique_ptr<char[]> buffer(new char[kRelayBufferSize]);
  std::int64_t lastData = clock.NowMilliseconds();
  for (;;) {
    const int received = source.Receive(buffer.get(), kRelayBufferSize);
    if (received < 0) return RelayEnd::ReceiveFailed;
    if (received == 0) {
      if (clock.NowMilliseconds() - lastData >= kSilenceLimitMilliseconds) return RelayEnd::Silence;
      continue;
    }
    lastData = clock.NowMilliseconds();
    if (!sink.Send(buffer.get(), static_cast<std::size_t>(received))) return RelayEnd::ClientGone;
    onForwarded();
  }
}
