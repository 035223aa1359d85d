#pragma once
// Layout of the test datagrams: 7 MPEG-TS packets of 188 bytes, the first of which carries
// a marker, the group id, a per-group sequence number and the send time.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>

namespace bench {

constexpr std::size_t kTsPacket = 188;
constexpr std::size_t kTsPerDatagram = 7;
constexpr std::size_t kDatagram = kTsPacket * kTsPerDatagram;  // 1316
constexpr std::uint8_t kSync = 0x47;
constexpr std::uint8_t kMarker[4] = {'C', 'V', 'L', 'D'};

struct FrameInfo {
  std::uint32_t group = 0;
  std::uint64_t sequence = 0;
  std::uint64_t sentNs = 0;
};

inline std::uint64_t NowNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<std::uint64_t>(ts.tv_nsec);
}

// Fills the TS headers and padding once; the sender then only stamps the first packet.
inline void PrepareFrame(std::uint8_t* frame) {
  for (std::size_t i = 0; i < kTsPerDatagram; ++i) {
    std::uint8_t* p = frame + i * kTsPacket;
    std::memset(p, 0xFF, kTsPacket);
    p[0] = kSync;
    p[1] = i == 0 ? 0x41 : 0x01;  // payload unit start on the first packet; PID 0x100
    p[2] = 0x00;
    p[3] = 0x10;  // payload only; continuity counter in the low nibble
  }
}

// The continuity counter runs on per PID, 7 packets a datagram, so it follows the sequence.
inline void StampFrame(std::uint8_t* frame, const FrameInfo& info) {
  for (std::size_t i = 0; i < kTsPerDatagram; ++i)
    frame[i * kTsPacket + 3] = static_cast<std::uint8_t>(0x10 | ((info.sequence * kTsPerDatagram + i) & 0x0F));
  std::uint8_t* p = frame + 4;
  std::memcpy(p, kMarker, 4);
  std::memcpy(p + 4, &info.group, 4);
  std::memcpy(p + 8, &info.sequence, 8);
  std::memcpy(p + 16, &info.sentNs, 8);
}

// True when the 1316 bytes at frame look like one of our datagrams (sync bytes and marker).
inline bool ReadFrame(const std::uint8_t* frame, FrameInfo& info) {
  for (std::size_t i = 0; i < kTsPerDatagram; ++i)
    if (frame[i * kTsPacket] != kSync) return false;
  const std::uint8_t* p = frame + 4;
  if (std::memcmp(p, kMarker, 4) != 0) return false;
  std::memcpy(&info.group, p + 4, 4);
  std::memcpy(&info.sequence, p + 8, 8);
  std::memcpy(&info.sentNs, p + 16, 8);
  return true;
}

}  // namespace bench
