#include "proxy/RelayLoop.h"

#include <vector>

RelayEnd ForwardDatagrams(DatagramSource& source, StreamSink& sink, const std::function<void()>& onForwarded) {
  std::vector<char> buffer(kRelayBufferSize);
  int idlePolls = 0;
  for (;;) {
    if (idlePolls > kIdlePollLimit) return RelayEnd::Silence;
    const int received = source.Receive(buffer.data(), buffer.size());
    if (received < 0) return RelayEnd::ReceiveFailed;
    if (received == 0) {
      ++idlePolls;
      continue;
    }
    idlePolls = 0;
    if (!sink.Send(buffer.data(), static_cast<std::size_t>(received))) return RelayEnd::ClientGone;
    onForwarded();
  }
}
