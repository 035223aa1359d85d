#include "LoadClients.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "LoadSender.h"
#include "StreamFrame.h"

namespace bench {
namespace {

constexpr std::size_t kBuffer = 64 * 1024 + kDatagram;
constexpr std::size_t kMaxHead = 8192;
// A slow client may read ahead of its pace by this much; a little slack keeps it from being
// throttled on every read.
constexpr double kSlowBurstBytes = 64 * 1024;

struct Conn {
  int fd = -1;
  ClientStats* stats = nullptr;
  std::vector<std::uint8_t> buf;
  std::size_t len = 0;
  bool connected = false;
  bool inSync = true;
  bool throttled = false;
  double bytesPerNs = 0;  // reading pace of a slow client
};

std::string RequestText(const ClientPlan& plan, unsigned group) {
  SenderPlan ports;
  ports.basePort = plan.basePort;
  ports.portStep = plan.portStep;
  return std::string(plan.rtp ? "GET /rtp/" : "GET /udp/") + GroupAddressText(group) + ":" + std::to_string(GroupPort(ports, group)) +
         " HTTP/1.0\r\n\r\n";
}

void Fail(Conn& c, int ep, const std::string& why) {
  if (c.stats->error.empty()) c.stats->error = why;
  if (c.fd >= 0) {
    epoll_ctl(ep, EPOLL_CTL_DEL, c.fd, nullptr);
    close(c.fd);
    c.fd = -1;
  }
}

void MarkSeen(ClientStats& s, std::uint64_t seq) {
  if (seq / 64 >= s.seen.size()) s.seen.resize(std::max<std::size_t>(seq / 64 + 1, s.seen.size() * 2), 0);
  s.seen[seq / 64] |= 1ull << (seq % 64);
}

void OnFrame(const ClientPlan& plan, Conn& c, const FrameInfo& info, std::uint64_t now, ClientsResult& out) {
  ClientStats& s = *c.stats;
  if (info.group != s.group) {
    ++s.foreign;
    return;
  }
  bool inWindow = info.sentNs >= plan.windowStartNs && info.sentNs < plan.windowEndNs;
  if (s.Seen(info.sequence)) {
    if (inWindow) ++s.duplicated;
    return;
  }
  if (inWindow) {
    if (s.anySeq && info.sequence < s.maxSeq) ++s.reordered;
    std::uint64_t us = now > info.sentNs ? (now - info.sentNs) / 1000 : 0;
    (s.slow ? out.slowLatencyUs : out.latencyUs).push_back(static_cast<std::uint32_t>(std::min<std::uint64_t>(us, UINT32_MAX)));
  }
  MarkSeen(s, info.sequence);
  if (!s.anySeq || info.sequence > s.maxSeq) s.maxSeq = info.sequence;
  s.anySeq = true;
}

// Re-frames the body into datagrams; a frame that does not check out is skipped byte by byte
// until the stream lines up again, and each such episode counts once as a bad frame.
void ParseBody(const ClientPlan& plan, Conn& c, std::uint64_t now, ClientsResult& out) {
  std::size_t pos = 0;
  FrameInfo info;
  while (c.len - pos >= kDatagram) {
    if (ReadFrame(c.buf.data() + pos, info)) {
      c.inSync = true;
      OnFrame(plan, c, info, now, out);
      pos += kDatagram;
      continue;
    }
    if (c.inSync) ++c.stats->badFrames;
    c.inSync = false;
    const void* sync = std::memchr(c.buf.data() + pos + 1, kSync, c.len - pos - 1);
    pos = sync ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(sync) - c.buf.data()) : c.len;
  }
  std::memmove(c.buf.data(), c.buf.data() + pos, c.len - pos);
  c.len -= pos;
}

void OnHead(Conn& c, int ep, std::uint64_t now) {
  const char* begin = reinterpret_cast<const char*>(c.buf.data());
  const char* end = begin + c.len;
  static const char kEnd[] = "\r\n\r\n";
  const char* found = std::search(begin, end, kEnd, kEnd + 4);
  if (found == end) {
    if (c.len > kMaxHead) Fail(c, ep, "reply header too long");
    return;
  }
  std::string statusLine(begin, std::find(begin, found + 2, '\r'));
  if (statusLine.compare(0, 5, "HTTP/") != 0 || statusLine.find(" 200") == std::string::npos) {
    Fail(c, ep, "reply: " + statusLine);
    return;
  }
  c.stats->gotHeader = true;
  c.stats->headerNs = now;
  std::size_t headLen = static_cast<std::size_t>(found + 4 - begin);
  std::memmove(c.buf.data(), c.buf.data() + headLen, c.len - headLen);
  c.len -= headLen;
}

void SetEvents(int ep, Conn& c, std::uint32_t events) {
  epoll_event ev{};
  ev.events = events;
  ev.data.ptr = &c;
  epoll_ctl(ep, EPOLL_CTL_MOD, c.fd, &ev);
}

// How many bytes a slow client may read now.
double SlowAllowance(const Conn& c, std::uint64_t now) {
  return kSlowBurstBytes + c.bytesPerNs * static_cast<double>(now - c.stats->headerNs) -
         static_cast<double>(c.stats->bodyBytes);
}

void OnReadable(const ClientPlan& plan, Conn& c, int ep, std::atomic<std::uint64_t>& total, ClientsResult& out) {
  std::size_t room = kBuffer - c.len;
  std::uint64_t now = NowNs();
  if (c.stats->slow && c.stats->gotHeader) {
    double allowance = SlowAllowance(c, now);
    if (allowance < static_cast<double>(kDatagram)) {
      c.throttled = true;
      SetEvents(ep, c, 0);
      return;
    }
    room = std::min(room, static_cast<std::size_t>(allowance));
  }
  ssize_t n = recv(c.fd, c.buf.data() + c.len, room, 0);
  if (n == 0) {
    c.stats->closedByRelay = true;
    Fail(c, ep, c.stats->gotHeader ? "relay closed the stream" : "relay closed before replying");
    return;
  }
  if (n < 0) {
    if (errno == EAGAIN || errno == EINTR) return;
    Fail(c, ep, std::string("recv: ") + std::strerror(errno));
    return;
  }
  now = NowNs();
  c.len += static_cast<std::size_t>(n);
  std::size_t body = static_cast<std::size_t>(n);
  if (!c.stats->gotHeader) {
    OnHead(c, ep, now);
    if (!c.stats->gotHeader) return;
    body = c.len;  // whatever followed the header in this read
  }
  if (body == 0) return;
  if (c.stats->firstByteNs == 0) c.stats->firstByteNs = now;
  c.stats->bodyBytes += body;
  total.fetch_add(body, std::memory_order_relaxed);
  ParseBody(plan, c, now, out);
}

void OnConnected(const ClientPlan& plan, Conn& c, int ep) {
  int err = 0;
  socklen_t len = sizeof err;
  getsockopt(c.fd, SOL_SOCKET, SO_ERROR, &err, &len);
  if (err != 0) {
    Fail(c, ep, std::string("connect: ") + std::strerror(err));
    return;
  }
  c.connected = true;
  std::string request = RequestText(plan, c.stats->group);
  c.stats->getNs = NowNs();
  if (send(c.fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
    Fail(c, ep, std::string("send request: ") + std::strerror(errno));
    return;
  }
  SetEvents(ep, c, EPOLLIN | EPOLLRDHUP);
}

void StartConnection(const ClientPlan& plan, Conn& c, int ep) {
  c.fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (c.fd < 0) {
    c.stats->error = std::string("socket: ") + std::strerror(errno);
    return;
  }
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = plan.relayAddress;
  to.sin_port = htons(plan.relayPort);
  if (connect(c.fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 && errno != EINPROGRESS) {
    Fail(c, ep, std::string("connect: ") + std::strerror(errno));
    return;
  }
  epoll_event ev{};
  ev.events = EPOLLOUT;
  ev.data.ptr = &c;
  epoll_ctl(ep, EPOLL_CTL_ADD, c.fd, &ev);
}

}  // namespace

std::uint64_t ClientStats::CountSeen(std::uint64_t first, std::uint64_t end) const {
  std::uint64_t count = 0;
  for (std::uint64_t seq = first; seq < end; ++seq) count += Seen(seq) ? 1 : 0;
  return count;
}

void RunClients(const ClientPlan& plan, std::atomic<std::uint64_t>& bodyBytes, ClientsResult& result) {
  unsigned count = plan.groups * plan.clientsPerGroup;
  result.clients.assign(count, ClientStats{});
  std::vector<Conn> conns(count);
  int ep = epoll_create1(EPOLL_CLOEXEC);
  for (unsigned i = 0; i < count; ++i) {
    ClientStats& s = result.clients[i];
    s.group = i / plan.clientsPerGroup;
    s.slow = s.group == 0 && i % plan.clientsPerGroup < plan.slowClients;
    s.late = plan.lateJoinNs != 0 && count > 1 && i == plan.clientsPerGroup - 1;
    Conn& c = conns[i];
    c.stats = &s;
    c.buf.resize(kBuffer);
    c.bytesPerNs = plan.slowFraction * plan.mbitPerGroup * 1e6 / 8.0 / 1e9;
    if (s.late) continue;
    StartConnection(plan, c, ep);
  }
  std::vector<epoll_event> events(256);
  Conn* late = nullptr;
  for (std::size_t i = 0; i < conns.size(); ++i) {
    if (result.clients[i].late) late = &conns[i];
  }
  for (;;) {
    std::uint64_t now = NowNs();
    if (now >= plan.stopNs) break;
    if (late != nullptr && now >= plan.lateJoinNs) {
      StartConnection(plan, *late, ep);
      late = nullptr;
    }
    bool anyThrottled = false;
    for (Conn& c : conns) {
      if (!c.throttled || c.fd < 0) continue;
      if (SlowAllowance(c, now) >= static_cast<double>(kDatagram)) {
        c.throttled = false;
        SetEvents(ep, c, EPOLLIN | EPOLLRDHUP);
      } else {
        anyThrottled = true;
      }
    }
    int timeoutMs = anyThrottled || late != nullptr ? 1 : 20;
    timeoutMs = static_cast<int>(std::min<std::uint64_t>(timeoutMs, (plan.stopNs - now) / 1000000 + 1));
    int n = epoll_wait(ep, events.data(), static_cast<int>(events.size()), timeoutMs);
    for (int i = 0; i < n; ++i) {
      Conn& c = *static_cast<Conn*>(events[i].data.ptr);
      if (c.fd < 0) continue;
      if (!c.connected) {
        OnConnected(plan, c, ep);
      } else {
        OnReadable(plan, c, ep, bodyBytes, result);
      }
    }
  }
  for (Conn& c : conns) {
    if (c.fd >= 0) close(c.fd);
    c.fd = -1;
    if (!c.connected && c.stats->error.empty()) c.stats->error = "never connected";
  }
  close(ep);
}

}  // namespace bench
