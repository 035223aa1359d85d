#pragma once
// RTP as IPTV operators send it: each datagram an RTP packet (version 2) whose payload is transport
// stream packets. Reading a packet and putting packets back in order are plain functions over bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/Socket.h"

struct RtpPacket {
  bool valid = false;  // false for anything that is not a whole RTP version 2 packet
  std::uint16_t sequence = 0;
  std::uint32_t ssrc = 0;
  std::size_t payloadOffset = 0;  // after the fixed header, the CSRC list and the header extension
  std::size_t payloadSize = 0;    // up to the padding
};

RtpPacket ReadRtpPacket(const unsigned char* data, std::size_t size);

// Puts the payloads of one sender back in sequence order within a small window: a packet that comes
// early waits until the ones before it have come, or until the window is full or the stream pauses
// (Flush), when the missing ones are given up. Late and repeated packets are dropped. A payload that
// goes out at once is handed on where it lies; one that waited is copied, and its bytes stay put until
// Reclaim, so that everything handed out since then can be sent in one go.
class RtpReorder {
 public:
  // Packets held at most; a power of two, so that a sequence number's slot is the same after wrapping.
  static constexpr std::uint16_t kWindow = 32;
  // A packet this far behind the next one expected, or farther, means the sender started over.
  static constexpr std::uint16_t kLateLimit = 256;

  using Output = std::vector<platform::ByteRange>;

  // Appends to out the payloads that may go to the client now, in order.
  void Take(const RtpPacket& packet, const char* payload, Output& out);
  // Appends every held payload in order, skipping the gaps.
  void Flush(Output& out);
  // The payloads handed out so far have been sent: the room of those that waited may be used again.
  void Reclaim();

 private:
  void Restart(std::uint16_t sequence, std::uint32_t ssrc, Output& out);
  void Release(std::string& bytes, Output& out);
  void ReleaseInOrder(Output& out);

  struct Slot {
    bool used = false;
    std::string bytes;
  };
  std::array<Slot, kWindow> held_;
  std::deque<std::string> released_;  // a deque: its strings never move while more are added
  std::vector<std::string> spare_;
  std::size_t heldCount_ = 0;
  bool started_ = false;
  std::uint32_t ssrc_ = 0;
  std::uint16_t next_ = 0;
};
