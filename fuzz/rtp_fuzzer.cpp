// Feeds arbitrary datagrams through the RTP reader and the reorder window: the first byte of the input
// splits the rest into datagrams, and every payload handed out must lie inside its datagram.
#include <cstddef>
#include <cstdint>
#include <string>

#include "proxy/RtpPacket.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t datagramSize = data[0] + 1u;
  RtpReorder order;
  RtpReorder::Output out;
  std::size_t payloads = 0;
  std::size_t handedOut = 0;
  for (std::size_t start = 1; start < size; start += datagramSize) {
    const std::size_t length = size - start < datagramSize ? size - start : datagramSize;
    const RtpPacket packet = ReadRtpPacket(data + start, length);
    if (!packet.valid) continue;
    if (packet.payloadOffset < 12 || packet.payloadOffset + packet.payloadSize > length) __builtin_trap();
    payloads += packet.payloadSize;
    // A pause now and then, as when the stream stops for a moment.
    if (data[start + 1] == 0xFF) order.Flush(out);
    order.Take(packet, reinterpret_cast<const char*>(data + start + packet.payloadOffset), out);
    // Sent now and then, as a batch of the relay is.
    if (data[start + 2] & 1) {
      for (const platform::ByteRange& piece : out) handedOut += piece.size;
      out.clear();
      order.Reclaim();
    }
  }
  order.Flush(out);
  for (const platform::ByteRange& piece : out) handedOut += piece.size;
  // Nothing is handed out twice or made up.
  if (handedOut > payloads) __builtin_trap();
  return 0;
}
