#include "proxy/RelayLoop.h"

#include <memory>

RelayEnd ForwardDatagrams(DatagramSource& source, StreamSink& sink, const std::function<void()>& onForwarded) {
  // Not zero-filled: every byte sent was received first.
  const std::unique_ptr<char[]> buffer(new char[kRelayBufferSize]);
  int idlePolls = 0;
  for (;;) {
    if (idlePolls > kIdlePollLimit) return RelayEnd::Silence;
    const int received = source.Receive(buffer.get(), kRelayBufferSize);
    if (received < 0) return RelayEnd::ReceiveFailed;
    if (received == 0) {
      ++idlePolls;
      continue;
    }
    idlePolls = 0;
    if (!sink.Send(buffer.get(), static_cast<std::size_t>(received))) return RelayEnd::ClientGone;
    onForwarded();
  }
}
