#pragma once
// The HTTP stream clients of the benchmark: all of them on one epoll thread, each checking the
// datagrams it gets back against what the sender stamped.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct ClientPlan {
  unsigned groups = 1;
  unsigned clientsPerGroup = 1;
  unsigned slowClients = 0;  // the first clients of group 0 read at a fraction of the rate
  double slowFraction = 0.5;
  double mbitPerGroup = 8.0;
  bool rtp = false;  // ask for /rtp/ instead of /udp/
  std::uint32_t relayAddress = 0;  // network order
  std::uint16_t relayPort = 0;
  std::uint16_t basePort = 5000;
  unsigned portStep = 1;
  std::uint64_t windowStartNs = 0;
  std::uint64_t windowEndNs = 0;
  std::uint64_t stopNs = 0;
  // When not 0 and there is more than one client, the last client of group 0 connects at this time instead
  // of with the others: a viewer tuning in to a channel that others watch already.
  std::uint64_t lateJoinNs = 0;
};

struct ClientStats {
  unsigned group = 0;
  bool slow = false;
  bool late = false;  // the viewer tuning in (ClientPlan::lateJoinNs)
  bool gotHeader = false;
  bool closedByRelay = false;
  std::string error;  // empty while all went well
  std::uint64_t getNs = 0;        // when the request was sent
  std::uint64_t headerNs = 0;     // when the reply header was complete
  std::uint64_t firstByteNs = 0;  // when the first body byte arrived
  std::uint64_t bodyBytes = 0;
  // Per-sequence receipt bitmap (sequence numbers of the client's own group).
  std::vector<std::uint64_t> seen;
  std::uint64_t maxSeq = 0;
  bool anySeq = false;
  // The counters below cover datagrams stamped inside the measured window, except foreign and
  // bad frames, which are counted over the whole run.
  std::uint64_t duplicated = 0;
  std::uint64_t reordered = 0;
  std::uint64_t foreign = 0;
  std::uint64_t badFrames = 0;

  bool Seen(std::uint64_t seq) const {
    return seq / 64 < seen.size() && ((seen[seq / 64] >> (seq % 64)) & 1u);
  }
  std::uint64_t CountSeen(std::uint64_t first, std::uint64_t end) const;
};

struct ClientsResult {
  std::vector<ClientStats> clients;
  std::vector<std::uint32_t> latencyUs;      // normal clients, datagrams stamped in the window
  std::vector<std::uint32_t> slowLatencyUs;  // slow clients, same
};

// Connects every client at once (the late one at its time), requests its group and reads until plan.stopNs.
// bodyBytes is raised as body bytes arrive, for a reader on another thread.
void RunClients(const ClientPlan& plan, std::atomic<std::uint64_t>& bodyBytes, ClientsResult& result);

}  // namespace bench
