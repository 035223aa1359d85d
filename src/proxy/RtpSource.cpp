#include "proxy/RtpSource.h"

#include <algorithm>
#include <utility>

RtpSource::RtpSource(DatagramSource& datagrams, std::function<void()> onForeign)
    : datagrams_(datagrams), onForeign_(std::move(onForeign)) {}

TakenDatagrams RtpSource::Receive() {
  const TakenDatagrams taken = datagrams_.Receive();
  TakenDatagrams result;
  result.failed = taken.failed;
  result.full = taken.full;
  if (taken.failed) return result;
  out_.clear();
  joined_.clear();
  order_.Reclaim();
  if (taken.datagrams == 0) order_.Flush(out_);
  std::size_t piece = 0;
  std::size_t offset = 0;  // into the piece
  for (std::size_t i = 0; i < taken.datagrams; ++i) {
    const std::size_t size = taken.sizes[i];
    if (piece < taken.count && taken.pieces[piece].size - offset >= size) {
      TakeDatagram(taken.pieces[piece].data + offset, size);
      offset += size;
    } else {
      std::string& joined = joined_.emplace_back();
      while (joined.size() < size && piece < taken.count) {
        const std::size_t part = std::min(size - joined.size(), taken.pieces[piece].size - offset);
        joined.append(taken.pieces[piece].data + offset, part);
        offset += part;
        if (offset == taken.pieces[piece].size) {
          ++piece;
          offset = 0;
        }
      }
      TakeDatagram(joined.data(), joined.size());
    }
    if (piece < taken.count && offset == taken.pieces[piece].size) {
      ++piece;
      offset = 0;
    }
  }
  result.pieces = out_.data();
  result.count = out_.size();
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
