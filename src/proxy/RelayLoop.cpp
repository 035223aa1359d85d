#include "proxy/RelayLoop.h"

#include <algorithm>

std::int64_t GatherBeatMicroseconds(int streams, std::int64_t bytesPerSecond, std::int64_t receiveBufferBytes) {
  std::int64_t beat = std::clamp(streams * kGatherBeatMicrosecondsPerStream, kGatherBeatMicroseconds,
                                 kLongestGatherBeatMicroseconds);
  // What comes during a beat waits in the socket, and the system counts each datagram there at nearly
  // twice its size; the rest of the buffer is the margin for a thread that wakes late.
  if (bytesPerSecond > 0) beat = std::min(beat, receiveBufferBytes / 4 * 1000000 / bytesPerSecond);
  return std::max(beat - beat % kGatherBeatMicroseconds, kGatherBeatMicroseconds);
}

RelayEnd ForwardDatagrams(DatagramSource& source, StreamSink& sink, RelayClock& clock,
                          const std::function<void()>& onForwarded, const GatherLoad& load) {
  std::int64_t lastData = clock.NowMicroseconds();
  // The stream's rate over the last beat: the bytes that came between the last two pauses. After a quiet
  // spell it is unknown, and the first beat is the shortest, so as not to overrun the receive buffer.
  constexpr std::int64_t kUnknown = -1;
  std::int64_t lastPause = kUnknown;
  std::int64_t beatBytes = 0;
  for (;;) {
    const TakenDatagrams taken = source.Receive();
    if (taken.failed) return RelayEnd::ReceiveFailed;
    const std::int64_t now = clock.NowMicroseconds();
    if (taken.count == 0) {
      lastPause = kUnknown;
      beatBytes = 0;
      if (now - lastData >= kSilenceLimitMicroseconds) return RelayEnd::Silence;
      continue;
    }
    lastData = now;
    if (!sink.Send(taken.pieces, taken.count)) return RelayEnd::ClientGone;
    onForwarded();
    for (std::size_t i = 0; i < taken.count; ++i) beatBytes += static_cast<std::int64_t>(taken.pieces[i].size);
    // A receive that ran out of room left datagrams waiting: they go on without a pause.
    if (taken.full) continue;
    const std::int64_t sent = clock.NowMicroseconds();
    const std::int64_t beat =
        lastPause == kUnknown
            ? kGatherBeatMicroseconds
            : GatherBeatMicroseconds(load.streams ? load.streams() : 1,
                                     beatBytes * 1000000 / std::max<std::int64_t>(sent - lastPause, 1),
                                     load.receiveBufferBytes);
    lastPause = sent;
    beatBytes = 0;
    clock.Pause(beat - sent % beat);
  }
}
