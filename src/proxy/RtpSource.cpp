#include "proxy/RtpSource.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::size_t kOutputReserve = 65536;

}  // namespace

RtpSource::RtpSource(DatagramSource& datagrams, std::function<void()> onForeign)
    : datagrams_(datagrams), onForeign_(std::move(onForeign)) {
  out_.reserve(kOutputReserve);
}

TakenDatagrams RtpSource::Receive() {
  const TakenDatagrams taken = datagrams_.Receive();
  TakenDatagrams result;
  result.failed = taken.failed;
  result.full = taken.full;
  if (taken.failed) return result;
  out_.clear();
  if (taken.datagrams == 0) order_.Flush(out_);
  std::size_t piece = 0;
  std::size_t offset = 0;  // into the piece
  for (std::size_t i = 0; i < taken.datagrams; ++i) {
    const std::size_t size = taken.sizes[i];
    if (piece < taken.count && taken.pieces[piece].size - offset >= size) {
      TakeDatagram(taken.pieces[piece].data + offset, size);
      offset += size;
    } else {
      joined_.clear();
      while (joined_.size() < size && piece < taken.count) {
        const std::size_t part = std::min(size - joined_.size(), taken.pieces[piece].size - offset);
        joined_.append(taken.pieces[piece].data + offset, part);
        offset += part;
        if (offset == taken.pieces[piece].size) {
          ++piece;
          offset = 0;
        }
      }
      TakeDatagram(joined_.data(), joined_.size());
    }
    if (piece < taken.count && offset == taken.pieces[piece].size) {
      ++piece;
      offset = 0;
    }
  }
  if (!out_.empty()) {
    piece_ = platform::ByteRange{out_.data(), out_.size()};
    result.pieces = &piece_;
    result.count = 1;
  }
  return result;
}

void RtpSource::TakeDatagram(const char* data, std::size_t size) {
  const RtpPacket packet = ReadRtpPacket(reinterpret_cast<const unsigned char*>(data), size);
  if (!packet.valid) {
    if (!foreignSeen_ && onForeign_) onForeign_();
    foreignSeen_ = true;
    return;
  }
  order_.Take(packet, data + packet.payloadOffset, out_);
}
