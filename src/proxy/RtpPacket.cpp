#include "proxy/RtpPacket.h"

namespace {

constexpr std::size_t kFixedHeaderBytes = 12;
constexpr unsigned kVersion = 2;

unsigned Word16(const unsigned char* data) { return static_cast<unsigned>(data[0]) << 8 | data[1]; }

}  // namespace

RtpPacket ReadRtpPacket(const unsigned char* data, std::size_t size) {
  RtpPacket packet;
  if (size < kFixedHeaderBytes || data[0] >> 6 != kVersion) return packet;
  const bool padded = (data[0] & 0x20) != 0;
  const bool extended = (data[0] & 0x10) != 0;
  const std::size_t csrcCount = data[0] & 0x0F;
  std::size_t offset = kFixedHeaderBytes + 4 * csrcCount;
  if (extended) {
    if (offset + 4 > size) return packet;
    offset += 4 + 4 * static_cast<std::size_t>(Word16(data + offset + 2));
  }
  std::size_t end = size;
  if (padded) {
    // The last byte counts the padding, itself included.
    const std::size_t padding = data[size - 1];
    if (padding == 0 || padding > size) return packet;
    end = size - padding;
  }
  if (offset > end) return packet;
  packet.valid = true;
  packet.sequence = static_cast<std::uint16_t>(Word16(data + 2));
  packet.ssrc = static_cast<std::uint32_t>(Word16(data + 8)) << 16 | Word16(data + 10);
  packet.payloadOffset = offset;
  packet.payloadSize = end - offset;
  return packet;
}

void RtpReorder::Take(const RtpPacket& packet, const char* payload, Output& out) {
  if (!started_ || packet.ssrc != ssrc_) Restart(packet.sequence, packet.ssrc, out);
  auto ahead = static_cast<std::int16_t>(static_cast<std::uint16_t>(packet.sequence - next_));
  if (ahead < 0 && ahead > -static_cast<int>(kLateLimit)) return;
  if (ahead < 0 || ahead >= static_cast<int>(kWindow)) {
    Restart(packet.sequence, packet.ssrc, out);
    ahead = 0;
  }
  if (ahead == 0) {
    if (packet.payloadSize > 0) out.push_back(platform::ByteRange{payload, packet.payloadSize});
    ++next_;
    ReleaseInOrder(out);
    return;
  }
  Slot& slot = held_[packet.sequence % kWindow];
  if (slot.used) return;  // a repeat of a packet already waiting
  slot.used = true;
  slot.bytes.assign(payload, packet.payloadSize);
  ++heldCount_;
}

void RtpReorder::Flush(Output& out) {
  for (; heldCount_ > 0; ++next_) {
    Slot& slot = held_[next_ % kWindow];
    if (!slot.used) continue;
    Release(slot.bytes, out);
    slot.used = false;
    --heldCount_;
  }
}

void RtpReorder::Reclaim() {
  for (std::string& bytes : released_) spare_.push_back(std::move(bytes));
  released_.clear();
}

void RtpReorder::Restart(std::uint16_t sequence, std::uint32_t ssrc, Output& out) {
  Flush(out);
  started_ = true;
  ssrc_ = ssrc;
  next_ = sequence;
}

// The slot may take another packet before the output is sent, so its bytes move out of it.
void RtpReorder::Release(std::string& bytes, Output& out) {
  released_.push_back(std::move(bytes));
  bytes.clear();
  if (!spare_.empty()) {
    bytes.swap(spare_.back());
    spare_.pop_back();
  }
  const std::string& sent = released_.back();
  if (!sent.empty()) out.push_back(platform::ByteRange{sent.data(), sent.size()});
}

void RtpReorder::ReleaseInOrder(Output& out) {
  while (heldCount_ > 0) {
    Slot& slot = held_[next_ % kWindow];
    if (!slot.used) return;
    Release(slot.bytes, out);
    slot.used = false;
    --heldCount_;
    ++next_;
  }
}
