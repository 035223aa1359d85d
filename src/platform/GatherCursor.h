#pragma once
// Private to the socket implementations: walks the pieces of a gathered send across short sends.
#include <algorithm>
#include <climits>
#include <cstddef>

#include "platform/Socket.h"

namespace platform {

class GatherCursor {
 public:
  // Pieces handed to one send call; what is left goes in the next.
  static constexpr std::size_t kMaxPieces = 64;

  GatherCursor(const ByteRange* pieces, std::size_t count) : pieces_(pieces), count_(count) { SkipSent(); }

  bool Done() const { return piece_ == count_; }

  // Calls add(data, size) for each unsent part, at most kMaxPieces of them, none empty and none above
  // INT_MAX bytes (Winsock's limit); returns their total size.
  template <typename Add>
  std::size_t Fill(Add add) const {
    std::size_t total = 0;
    std::size_t skip = offset_;
    for (std::size_t i = piece_, added = 0; i < count_ && added < kMaxPieces; ++i, skip = 0) {
      if (pieces_[i].size == skip) continue;
      const std::size_t size = std::min<std::size_t>(pieces_[i].size - skip, INT_MAX);
      add(pieces_[i].data + skip, size);
      total += size;
      ++added;
      if (size < pieces_[i].size - skip) break;  // the rest of this piece goes in the next call
    }
    return total;
  }

  void Advance(std::size_t sent) {
    while (sent > 0 && piece_ < count_) {
      const std::size_t taken = std::min(sent, pieces_[piece_].size - offset_);
      offset_ += taken;
      sent -= taken;
      SkipSent();
    }
  }

 private:
  void SkipSent() {
    while (piece_ < count_ && offset_ == pieces_[piece_].size) {
      ++piece_;
      offset_ = 0;
    }
  }

  const ByteRange* pieces_;
  std::size_t count_;
  std::size_t piece_ = 0;
  std::size_t offset_ = 0;
};

}  // namespace platform
