// A minimal multicast-to-HTTP relay, the floor the benchmark compares against.
//
// One epoll thread, TCP_NODELAY on every client connection. Each client gets its own UDP socket bound to the group address and port,
// with its own membership on the configured interface and IP_MULTICAST_ALL off, so a socket
// only ever sees its own group. Datagrams are forwarded with one send() each as they arrive.
//
// A client that cannot keep up is kept, not dropped: when its TCP send buffer is full the
// unsent tail of the current datagram is held (at most one datagram), the relay stops reading
// that client's UDP socket until the connection drains, and whatever overflows the UDP socket's
// receive buffer in the meantime is lost in the kernel, for that client only. So the buffering
// is the kernel's (TCP send buffer + SO_RCVBUF) plus at most one datagram.
//
// With --shared 1 it is the shared-receive floor instead: one UDP socket, one membership and one
// ring of bytes per group, whatever the number of its clients. Each datagram is received once into
// the ring; whenever a block (--block, 64 KiB: about 65 ms of an 8 Mbit/s stream) has gathered,
// every client of the group is sent all it has not had yet, in one send. A client joins at the next
// datagram, so its first byte waits for the next block. A client whose connection is full waits for
// it to drain; one that falls a whole ring (4 MiB) behind skips to the newest datagram.
//
// With --gather MS it is the floor of one socket per client: every client keeps its own socket and
// membership as in the first mode, but the thread wakes only every MS milliseconds, then takes all that
// waits on each client's socket (recvmmsg) and sends it in one send. Its distance from --shared says
// what receiving a copy of every datagram on every client's socket costs, however few the wake-ups.
//
// usage: reference_relay [--listen 127.0.0.1] [--port 8090] [--interface 0.0.0.0] [--rcvbuf BYTES]
//                        [--shared 0|1] [--block BYTES] [--gather MS]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t kMaxHead = 4096;
constexpr std::size_t kDatagramMax = 65536;
// Datagrams forwarded for one client per wake-up, so a busy group cannot starve the others.
constexpr int kBatch = 64;
constexpr char kReply[] = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n";

constexpr std::size_t kRingBytes = 4 << 20;

struct Client;
struct Group;

// epoll hands back one of these; a client has two, one per socket, and a shared group one.
struct Endpoint {
  Client* client;
  bool udp;
  Group* group = nullptr;
};

struct Client {
  int tcp = -1;
  int udp = -1;
  std::string head;     // request head while it is being read
  std::string pending;  // unsent tail of the current datagram
  bool streaming = false;
  bool dead = false;
  Endpoint tcpEnd{this, false};
  Endpoint udpEnd{this, true};
  // Shared mode: the client's group and how far into its stream it has been sent.
  Group* group = nullptr;
  std::uint64_t sent = 0;
  bool waiting = false;  // for its connection to drain
};

// Shared mode: one socket and one ring per group. Positions count every byte the group ever received.
struct Group {
  int udp = -1;
  std::pair<std::uint32_t, int> key;
  std::vector<char> ring = std::vector<char>(kRingBytes);
  std::uint64_t written = 0;
  std::uint64_t flushed = 0;  // written at the last block
  std::vector<Client*> clients;
  Endpoint end{nullptr, true, this};
};

struct Config {
  std::string listen = "127.0.0.1";
  int port = 8090;
  std::string interfaceText = "0.0.0.0";
  int rcvbuf = 4 << 20;
  bool shared = false;
  std::size_t block = 64 << 10;
  int gatherMilliseconds = 0;
};

int g_ep = -1;
Config g_cfg;
// Dropped clients are freed only after the current batch of events, which may still name them.
std::vector<Client*> g_dropped;
std::map<std::pair<std::uint32_t, int>, Group*> g_groups;
std::vector<Group*> g_droppedGroups;
// Gather mode: the streaming clients, read on each tick (a dropped client leaves at once).
std::vector<Client*> g_gathered;

void Watch(int op, int fd, Endpoint* end, std::uint32_t events) {
  epoll_event ev{};
  ev.events = events;
  ev.data.ptr = end;
  epoll_ctl(g_ep, op, fd, &ev);
}

void LeaveShared(Client* c) {
  Group* g = c->group;
  c->group = nullptr;
  auto& clients = g->clients;
  for (std::size_t i = 0; i < clients.size(); ++i) {
    if (clients[i] == c) {
      clients[i] = clients.back();
      clients.pop_back();
      break;
    }
  }
  if (!clients.empty()) return;
  close(g->udp);
  g->udp = -1;
  g_groups.erase(g->key);
  g_droppedGroups.push_back(g);
}

void Drop(Client* c) {
  if (c->group != nullptr) LeaveShared(c);
  // Closing the UDP socket also leaves its group.
  if (c->udp >= 0) close(c->udp);
  if (c->tcp >= 0) close(c->tcp);
  c->udp = c->tcp = -1;
  c->dead = true;
  g_dropped.push_back(c);
  g_gathered.erase(std::remove(g_gathered.begin(), g_gathered.end(), c), g_gathered.end());
}

// Parses "GET /udp/<group>:<port> HTTP/1.x" (an "@" before the group is accepted as well).
bool ParseRequest(const std::string& head, in_addr& group, int& port) {
  std::size_t lineEnd = head.find("\r\n");
  std::string line = head.substr(0, lineEnd);
  if (line.compare(0, 9, "GET /udp/") != 0) return false;
  std::size_t start = 9;
  if (line.size() > start && line[start] == '@') ++start;
  std::size_t space = line.find(' ', start);
  std::string target = line.substr(start, space == std::string::npos ? std::string::npos : space - start);
  std::size_t colon = target.rfind(':');
  if (colon == std::string::npos) return false;
  if (inet_pton(AF_INET, target.substr(0, colon).c_str(), &group) != 1) return false;
  if (!IN_MULTICAST(ntohl(group.s_addr))) return false;
  port = std::atoi(target.c_str() + colon + 1);
  return port > 0 && port < 65536;
}

// A UDP socket bound to the group and joined to it, in fd (-1 when it could not even be made).
bool OpenGroupSocket(int& fd, const in_addr& group, int port) {
  fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  int one = 1;
  int zero = 0;
  sockaddr_in bindAddr{};
  bindAddr.sin_family = AF_INET;
  bindAddr.sin_port = htons(static_cast<std::uint16_t>(port));
  bindAddr.sin_addr = group;
  ip_mreq mreq{};
  mreq.imr_multiaddr = group;
  if (inet_pton(AF_INET, g_cfg.interfaceText.c_str(), &mreq.imr_interface) != 1) return false;
  return setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) == 0 &&
         setsockopt(fd, IPPROTO_IP, IP_MULTICAST_ALL, &zero, sizeof zero) == 0 &&
         setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &g_cfg.rcvbuf, sizeof g_cfg.rcvbuf) == 0 &&
         bind(fd, reinterpret_cast<sockaddr*>(&bindAddr), sizeof bindAddr) == 0 &&
         setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &mreq, sizeof mreq) == 0;
}

bool OpenGroup(Client* c, const in_addr& group, int port) {
  if (!g_cfg.shared) return OpenGroupSocket(c->udp, group, port);
  const auto key = std::make_pair(group.s_addr, port);
  auto found = g_groups.find(key);
  Group* g = found == g_groups.end() ? nullptr : found->second;
  if (g == nullptr) {
    g = new Group;
    g->key = key;
    if (!OpenGroupSocket(g->udp, group, port)) {
      if (g->udp >= 0) close(g->udp);
      delete g;
      return false;
    }
    g_groups[key] = g;
    Watch(EPOLL_CTL_ADD, g->udp, &g->end, EPOLLIN);
  }
  g->clients.push_back(c);
  c->group = g;
  c->sent = g->written;
  return true;
}

void OnRequestBytes(Client* c) {
  char buf[1024];
  ssize_t n = recv(c->tcp, buf, sizeof buf, 0);
  if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
    Drop(c);
    return;
  }
  if (n < 0) return;
  if (c->streaming) return;  // anything a player sends after its request is ignored
  c->head.append(buf, static_cast<std::size_t>(n));
  if (c->head.find("\r\n\r\n") == std::string::npos) {
    if (c->head.size() > kMaxHead) Drop(c);
    return;
  }
  in_addr group{};
  int port = 0;
  if (!ParseRequest(c->head, group, port)) {
    static const char kNotFound[] = "HTTP/1.0 404 Not Found\r\nConnection: close\r\n\r\n";
    send(c->tcp, kNotFound, sizeof kNotFound - 1, MSG_NOSIGNAL);
    Drop(c);
    return;
  }
  if (!OpenGroup(c, group, port)) {
    std::fprintf(stderr, "reference_relay: cannot join %s:%d: %s\n", inet_ntoa(group), port, std::strerror(errno));
    Drop(c);
    return;
  }
  // The socket is fresh and its send buffer empty, so the short reply goes out whole.
  if (send(c->tcp, kReply, sizeof kReply - 1, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof kReply - 1)) {
    Drop(c);
    return;
  }
  c->head.clear();
  c->head.shrink_to_fit();
  c->streaming = true;
  if (!g_cfg.shared && g_cfg.gatherMilliseconds == 0) Watch(EPOLL_CTL_ADD, c->udp, &c->udpEnd, EPOLLIN);
  if (g_cfg.gatherMilliseconds > 0) g_gathered.push_back(c);
}

// Sends what it can; false when the client is gone. A short send parks the rest and waits for
// the connection to drain with the UDP socket muted.
bool SendOrPark(Client* c, const char* data, std::size_t size) {
  ssize_t n = send(c->tcp, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
  if (n < 0) {
    if (errno != EAGAIN && errno != EINTR) return false;
    n = 0;
  }
  if (static_cast<std::size_t>(n) < size) {
    c->pending.assign(data + n, size - static_cast<std::size_t>(n));
    if (g_cfg.gatherMilliseconds == 0) Watch(EPOLL_CTL_MOD, c->udp, &c->udpEnd, 0);
    Watch(EPOLL_CTL_MOD, c->tcp, &c->tcpEnd, EPOLLIN | EPOLLOUT);
  }
  return true;
}

void OnDatagrams(Client* c) {
  static char buf[kDatagramMax];
  for (int i = 0; i < kBatch && c->pending.empty(); ++i) {
    ssize_t n = recv(c->udp, buf, sizeof buf, 0);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) return;
      Drop(c);
      return;
    }
    if (!SendOrPark(c, buf, static_cast<std::size_t>(n))) {
      Drop(c);
      return;
    }
  }
}

void OnWritable(Client* c) {
  std::string rest;
  rest.swap(c->pending);
  Watch(EPOLL_CTL_MOD, c->tcp, &c->tcpEnd, EPOLLIN);
  if (g_cfg.gatherMilliseconds == 0) Watch(EPOLL_CTL_MOD, c->udp, &c->udpEnd, EPOLLIN);
  if (!SendOrPark(c, rest.data(), rest.size())) Drop(c);
}

// Sends the client all of its group's ring it has not had yet, in one send; false when it is gone.
bool SendShared(Client* c) {
  Group* g = c->group;
  if (g->written - c->sent > kRingBytes) c->sent = g->written;  // overrun: skip to the newest datagram
  const std::uint64_t due = g->written - c->sent;
  if (due == 0) return true;
  const std::size_t start = c->sent % kRingBytes;
  const std::size_t first = std::min<std::size_t>(due, kRingBytes - start);
  iovec parts[2] = {{g->ring.data() + start, first}, {g->ring.data(), due - first}};
  msghdr message{};
  message.msg_iov = parts;
  message.msg_iovlen = due > first ? 2 : 1;
  ssize_t n = sendmsg(c->tcp, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
  if (n < 0) {
    if (errno != EAGAIN && errno != EINTR) return false;
    n = 0;
  }
  c->sent += static_cast<std::uint64_t>(n);
  if (c->sent != g->written) {
    c->waiting = true;
    Watch(EPOLL_CTL_MOD, c->tcp, &c->tcpEnd, EPOLLIN | EPOLLOUT);
  }
  return true;
}

void OnGroupDatagrams(Group* g) {
  static char spill[kDatagramMax];
  for (;;) {
    const std::size_t at = g->written % kRingBytes;
    // Straight into the ring while a whole datagram fits before its end; else through spill.
    const bool direct = kRingBytes - at >= kDatagramMax;
    ssize_t n = recv(g->udp, direct ? g->ring.data() + at : spill, kDatagramMax, 0);
    if (n <= 0) break;
    if (!direct) {
      const std::size_t first = std::min<std::size_t>(static_cast<std::size_t>(n), kRingBytes - at);
      std::memcpy(g->ring.data() + at, spill, first);
      std::memcpy(g->ring.data(), spill + first, static_cast<std::size_t>(n) - first);
    }
    g->written += static_cast<std::uint64_t>(n);
  }
  if (g->written - g->flushed < g_cfg.block) return;
  g->flushed = g->written;
  // A copy: a client that is gone leaves the list while it is walked.
  const std::vector<Client*> clients = g->clients;
  for (Client* c : clients) {
    if (!c->waiting && !SendShared(c)) Drop(c);
  }
}

void OnSharedWritable(Client* c) {
  c->waiting = false;
  Watch(EPOLL_CTL_MOD, c->tcp, &c->tcpEnd, EPOLLIN);
  if (!SendShared(c)) Drop(c);
}

// Gather mode: a tick takes everything waiting on each client's socket and sends it in one send per
// receive; a client whose connection is full is skipped until it drains.
void OnGatherTick(int timer) {
  std::uint64_t expirations;
  if (read(timer, &expirations, sizeof expirations) < 0) return;
  constexpr int kSlots = 64;
  constexpr std::size_t kSlotBytes = 2048;  // the load tool's datagrams are 1316 bytes
  static char slots[kSlots][kSlotBytes];
  mmsghdr messages[kSlots];
  iovec parts[kSlots];
  // A copy: a client that is gone leaves the list while it is walked.
  const std::vector<Client*> clients = g_gathered;
  for (Client* c : clients) {
    while (!c->dead && c->pending.empty()) {
      for (int i = 0; i < kSlots; ++i) {
        parts[i] = iovec{slots[i], kSlotBytes};
        messages[i] = mmsghdr{};
        messages[i].msg_hdr.msg_iov = &parts[i];
        messages[i].msg_hdr.msg_iovlen = 1;
      }
      const int count = recvmmsg(c->udp, messages, kSlots, MSG_DONTWAIT, nullptr);
      if (count <= 0) break;
      std::size_t total = 0;
      for (int i = 0; i < count; ++i) {
        parts[i].iov_len = messages[i].msg_len;
        total += messages[i].msg_len;
      }
      msghdr message{};
      message.msg_iov = parts;
      message.msg_iovlen = static_cast<std::size_t>(count);
      ssize_t sent = sendmsg(c->tcp, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (sent < 0 && errno != EAGAIN && errno != EINTR) {
        Drop(c);
        break;
      }
      // What the connection did not take is parked as one piece, as in the first mode.
      std::size_t skip = sent < 0 ? 0 : static_cast<std::size_t>(sent);
      if (skip < total) {
        std::string rest;
        for (int i = 0; i < count; ++i) {
          const std::size_t size = parts[i].iov_len;
          if (skip >= size) {
            skip -= size;
            continue;
          }
          rest.append(slots[i] + skip, size - skip);
          skip = 0;
        }
        if (!SendOrPark(c, rest.data(), rest.size())) Drop(c);
      }
      if (count < kSlots) break;
    }
  }
}

void OnAccept(int listener) {
  for (;;) {
    int fd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    // Each datagram is one small write that should leave at once, not wait on Nagle for the
    // player's (possibly delayed) ACK.
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    Client* c = new Client;
    c->tcp = fd;
    Watch(EPOLL_CTL_ADD, fd, &c->tcpEnd, EPOLLIN);
  }
}

bool ParseArgs(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string key = argv[i];
    std::string value = argv[i + 1];
    if (key == "--listen") g_cfg.listen = value;
    else if (key == "--port") g_cfg.port = std::atoi(value.c_str());
    else if (key == "--interface") g_cfg.interfaceText = value;
    else if (key == "--rcvbuf") g_cfg.rcvbuf = std::atoi(value.c_str());
    else if (key == "--shared") g_cfg.shared = value == "1";
    else if (key == "--block") g_cfg.block = static_cast<std::size_t>(std::atol(value.c_str()));
    else if (key == "--gather") g_cfg.gatherMilliseconds = std::atoi(value.c_str());
    else return false;
  }
  const bool gatherValid = g_cfg.gatherMilliseconds == 0 || (!g_cfg.shared && g_cfg.gatherMilliseconds < 1000);
  return argc % 2 == 1 && g_cfg.port > 0 && g_cfg.port < 65536 && g_cfg.block > 0 && g_cfg.block < kRingBytes &&
         g_cfg.gatherMilliseconds >= 0 && gatherValid;
}

}  // namespace

int main(int argc, char** argv) {
  if (!ParseArgs(argc, argv)) {
    std::fprintf(stderr, "usage: reference_relay [--listen 127.0.0.1] [--port 8090] [--interface 0.0.0.0] "
                         "[--rcvbuf BYTES] [--shared 0|1] [--block BYTES] [--gather MS]\n");
    return 2;
  }
  signal(SIGPIPE, SIG_IGN);
  int listener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(g_cfg.port));
  if (inet_pton(AF_INET, g_cfg.listen.c_str(), &addr.sin_addr) != 1 ||
      bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 512) != 0) {
    std::fprintf(stderr, "reference_relay: cannot listen on %s:%d: %s\n", g_cfg.listen.c_str(), g_cfg.port,
                 std::strerror(errno));
    return 1;
  }
  g_ep = epoll_create1(EPOLL_CLOEXEC);
  Endpoint listenEnd{nullptr, false};
  Watch(EPOLL_CTL_ADD, listener, &listenEnd, EPOLLIN);
  std::fprintf(stderr, "reference_relay: listening on %s:%d, joining on %s\n", g_cfg.listen.c_str(), g_cfg.port,
               g_cfg.interfaceText.c_str());

  Endpoint tickEnd{nullptr, true};
  int timer = -1;
  if (g_cfg.gatherMilliseconds > 0) {
    timer = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    const timespec period{0, g_cfg.gatherMilliseconds * 1000000L};
    const itimerspec every{period, period};
    timerfd_settime(timer, 0, &every, nullptr);
    Watch(EPOLL_CTL_ADD, timer, &tickEnd, EPOLLIN);
  }

  epoll_event events[256];
  for (;;) {
    int n = epoll_wait(g_ep, events, 256, -1);
    if (n < 0 && errno != EINTR) return 1;
    for (int i = 0; i < n; ++i) {
      auto* end = static_cast<Endpoint*>(events[i].data.ptr);
      if (end->group != nullptr) {
        if (end->group->udp >= 0) OnGroupDatagrams(end->group);
        continue;
      }
      if (end == &tickEnd) {
        OnGatherTick(timer);
        continue;
      }
      if (end->client == nullptr) {
        OnAccept(listener);
        continue;
      }
      Client* c = end->client;
      if (c->dead) continue;
      std::uint32_t ev = events[i].events;
      if (end->udp) {
        OnDatagrams(c);
      } else if ((ev & EPOLLOUT) && c->waiting) {
        OnSharedWritable(c);
      } else if ((ev & EPOLLOUT) && !c->pending.empty()) {
        OnWritable(c);
      } else {
        OnRequestBytes(c);
      }
    }
    for (Client* c : g_dropped) delete c;
    g_dropped.clear();
    for (Group* g : g_droppedGroups) delete g;
    g_droppedGroups.clear();
  }
}
