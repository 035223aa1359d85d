#pragma once
// The multicast source of the benchmark: one thread sends every group at a fixed bit rate.
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct SenderPlan {
  unsigned groups = 1;
  std::uint16_t basePort = 5000;
  unsigned portStep = 1;  // 0 puts every group on the same port
  double mbitPerGroup = 8.0;
  bool rtp = false;  // each datagram behind an RTP header, as operators send them
  std::uint64_t startNs = 0;
  std::uint64_t windowStartNs = 0;
  std::uint64_t windowEndNs = 0;
  std::uint64_t stopNs = 0;
};

// Sequence numbers of one group stamped inside the measured window: [firstSeq, endSeq).
struct GroupWindow {
  std::uint64_t firstSeq = 0;
  std::uint64_t endSeq = 0;
  bool firstSet = false;
  bool endSet = false;
};

struct SenderResult {
  bool ok = false;
  std::string error;
  std::vector<GroupWindow> windows;
  std::uint64_t datagrams = 0;
  std::uint64_t sendErrors = 0;
  // Time the sender gave up catching up after it had been held back (a stall), in ms.
  double skippedMs = 0;
  // CPU time of the sending thread during the window: its sends, and the loopback delivery to every
  // receiving socket that the kernel does on its behalf (waking the threads that wait on them).
  double windowCpuSeconds = -1;
  bool realtime = false;
};

std::string GroupAddressText(unsigned index);
std::uint16_t GroupPort(const SenderPlan& plan, unsigned index);

// Sends from plan.startNs until plan.stopNs; returns what was sent.
SenderResult RunSender(const SenderPlan& plan);

}  // namespace bench
