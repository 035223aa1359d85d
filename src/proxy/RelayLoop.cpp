#include "proxy/RelayLoop.h"

#include <vector>

RelayEnd ForwardDatagrams(DatagramSource& source, StreamSink& sink, const std::function<void()>& onForwarded) {
  std::vector<char> buffer(kRelayBufferSize);
  int idlePolls = 0;
  bool woken = false;
  for (;;) {
    if (idlePolls > kIdlePollLimit) return RelayEnd::Silence;
    const long available = source.Available();
    if (available < 0) return RelayEnd::QueryFailed;
    if (available == 0) {
      if (woken) {
        // Readable with nothing to read: an empty datagram. Take it off the queue; it carries nothing.
        woken = false;
        source.Receive(buffer.data(), buffer.size());
        ++idlePolls;
        continue;
      }
      const int ready = source.WaitReadable(kIdlePollMilliseconds);
      if (ready < 0) return RelayEnd::QueryFailed;
      woken = ready > 0;
      if (!woken) ++idlePolls;
      continue;
    }
    woken = false;
    idlePolls = 0;
    const int received = source.Receive(buffer.data(), buffer.size());
    if (received <= 0) return RelayEnd::ReceiveFailed;
    if (!sink.Send(buffer.data(), static_cast<std::size_t>(received))) return RelayEnd::ClientGone;
    onForwarded();
  }
}
