#include "proxy/RelayLoop.h"

RelayEnd ForwardDatagrams(DatagramSource& source, StreamSink& sink, RelayClock& clock,
                          const std::function<void()>& onForwarded) {
  std::int64_t lastData = clock.NowMicroseconds();
  for (;;) {
    const TakenDatagrams taken = source.Receive();
    if (taken.failed) return RelayEnd::ReceiveFailed;
    const std::int64_t now = clock.NowMicroseconds();
    if (taken.count == 0) {
      if (now - lastData >= kSilenceLimitMicroseconds) return RelayEnd::Silence;
      continue;
    }
    lastData = now;
    if (!sink.Send(taken.pieces, taken.count)) return RelayEnd::ClientGone;
    onForwarded();
    // A receive that ran out of room left datagrams waiting: they go on without a pause.
    if (!taken.full) clock.Pause(kGatherBeatMicroseconds - clock.NowMicroseconds() % kGatherBeatMicroseconds);
  }
}
