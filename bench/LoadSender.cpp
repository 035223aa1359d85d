#include "LoadSender.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "ProcessProbe.h"
#include "StreamFrame.h"

namespace bench {
namespace {

constexpr std::uint64_t kTickNs = 1000000;  // one send batch a millisecond
// After a hold-up the sender catches up at most this much; beyond it the time is skipped,
// as a real source would not have queued those datagrams for us.
constexpr std::uint64_t kMaxCatchUpNs = 20000000;

void SleepUntil(std::uint64_t ns) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(ns / 1000000000ull);
  ts.tv_nsec = static_cast<long>(ns % 1000000000ull);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

bool TryRealtime(int priority) {
  sched_param sp{};
  sp.sched_priority = priority;
  return pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp) == 0;
}

}  // namespace

std::string GroupAddressText(unsigned index) { return "239.255.0." + std::to_string(index + 1); }

std::uint16_t GroupPort(const SenderPlan& plan, unsigned index) {
  return static_cast<std::uint16_t>(plan.basePort + index * plan.portStep);
}

SenderResult RunSender(const SenderPlan& plan) {
  SenderResult result;
  result.windows.resize(plan.groups);
  // A source on the wire is not slowed down by the relay's threads; running the sender ahead of
  // them keeps its pace honest on a 2-CPU machine.
  result.realtime = TryRealtime(1);

  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    result.error = std::string("socket: ") + std::strerror(errno);
    return result;
  }
  in_addr loopback{};
  loopback.s_addr = htonl(INADDR_LOOPBACK);
  unsigned char ttl = 1;
  unsigned char loop = 1;
  int sndbuf = 4 << 20;
  if (setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &loopback, sizeof loopback) != 0 ||
      setsockopt(fd, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) != 0 ||
      setsockopt(fd, IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop) != 0) {
    result.error = std::string("multicast sender options: ") + std::strerror(errno);
    close(fd);
    return result;
  }
  setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sndbuf, sizeof sndbuf);

  std::vector<sockaddr_in> targets(plan.groups);
  for (unsigned g = 0; g < plan.groups; ++g) {
    targets[g].sin_family = AF_INET;
    targets[g].sin_port = htons(GroupPort(plan, g));
    inet_pton(AF_INET, GroupAddressText(g).c_str(), &targets[g].sin_addr);
  }

  const double datagramsPerNs = plan.mbitPerGroup * 1e6 / 8.0 / static_cast<double>(kDatagram) / 1e9;
  std::uint8_t frame[kDatagram];
  PrepareFrame(frame);
  // RTP version 2, payload type 33 (MPEG-TS); the sequence number and time stamp follow the round.
  std::uint8_t rtpHeader[12] = {0x80, 33, 0, 0, 0, 0, 0, 0, 0x43, 0x56, 0x52, 0x4E};
  iovec parts[2] = {{rtpHeader, sizeof rtpHeader}, {frame, kDatagram}};
  msghdr message{};
  message.msg_iov = plan.rtp ? parts : parts + 1;
  message.msg_iovlen = plan.rtp ? 2 : 1;
  message.msg_namelen = sizeof(sockaddr_in);
  const std::size_t datagramBytes = kDatagram + (plan.rtp ? sizeof rtpHeader : 0);

  // Every group runs at the same rate, so one round sends one datagram to each group in turn.
  std::uint64_t rounds = 0;
  std::uint64_t base = plan.startNs;
  std::uint64_t next = plan.startNs;
  std::uint64_t skippedNs = 0;
  double cpuAtWindowStart = -1;
  for (;;) {
    SleepUntil(next);
    std::uint64_t now = NowNs();
    if (now >= plan.stopNs) break;
    if (cpuAtWindowStart < 0 && now >= plan.windowStartNs) cpuAtWindowStart = ThreadCpuSeconds();
    if (result.windowCpuSeconds < 0 && now >= plan.windowEndNs && cpuAtWindowStart >= 0)
      result.windowCpuSeconds = ThreadCpuSeconds() - cpuAtWindowStart;
    auto due = static_cast<std::uint64_t>(static_cast<double>(now - base) * datagramsPerNs);
    auto cap = static_cast<std::uint64_t>(std::ceil(static_cast<double>(kMaxCatchUpNs) * datagramsPerNs));
    if (due > rounds + cap) {
      std::uint64_t extra = due - rounds - cap;
      auto shift = static_cast<std::uint64_t>(static_cast<double>(extra) / datagramsPerNs);
      base += shift;
      skippedNs += shift;
      due = rounds + cap;
    }
    while (rounds < due) {
      for (unsigned g = 0; g < plan.groups; ++g) {
        FrameInfo info;
        info.group = g;
        info.sequence = rounds;
        info.sentNs = NowNs();
        StampFrame(frame, info);
        GroupWindow& w = result.windows[g];
        if (!w.firstSet && info.sentNs >= plan.windowStartNs) {
          w.firstSeq = rounds;
          w.firstSet = true;
        }
        if (!w.endSet && info.sentNs >= plan.windowEndNs) {
          w.endSeq = rounds;
          w.endSet = true;
        }
        rtpHeader[2] = static_cast<std::uint8_t>(rounds >> 8);
        rtpHeader[3] = static_cast<std::uint8_t>(rounds);
        const auto stamp = static_cast<std::uint32_t>(rounds * 90);
        for (int i = 0; i < 4; ++i) rtpHeader[4 + i] = static_cast<std::uint8_t>(stamp >> (24 - 8 * i));
        message.msg_name = &targets[g];
        ssize_t n = sendmsg(fd, &message, 0);
        if (n != static_cast<ssize_t>(datagramBytes)) {
          // The gap this leaves is counted as lost by the clients; the error count is reported
          // beside the loss so that the two can be told apart.
          ++result.sendErrors;
        } else {
          ++result.datagrams;
        }
      }
      ++rounds;
    }
    next += kTickNs;
    if (next < now) next = now + kTickNs;
  }
  for (auto& w : result.windows) {
    if (!w.firstSet) w.firstSeq = rounds;
    if (!w.endSet) w.endSeq = rounds;
  }
  result.skippedMs = static_cast<double>(skippedNs) / 1e6;
  result.ok = true;
  close(fd);
  return result;
}

}  // namespace bench
