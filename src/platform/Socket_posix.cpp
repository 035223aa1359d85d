#include "platform/Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/uio.h>
#include <unistd.h>

#include "platform/GatherCursor.h"
#include "platform/PosixSupport.h"

namespace platform {
namespace {

int Fd(SocketHandle socket) { return static_cast<int>(socket); }

SocketHandle HandleOf(int fd) { return fd < 0 ? kInvalidSocket : static_cast<SocketHandle>(fd); }

sockaddr_in IPv4Address(std::uint32_t address, std::uint16_t port) {
  sockaddr_in result{};
  result.sin_family = AF_INET;
  result.sin_port = htons(port);
  result.sin_addr.s_addr = address;
  return result;
}

bool SetIntOption(SocketHandle socket, int level, int option, int value) {
  return setsockopt(Fd(socket), level, option, &value, sizeof value) == 0;
}

bool SetTimeout(SocketHandle socket, int option, int milliseconds) {
  timeval timeout{};
  timeout.tv_sec = milliseconds / 1000;
  timeout.tv_usec = (milliseconds % 1000) * 1000;
  return setsockopt(Fd(socket), SOL_SOCKET, option, &timeout, sizeof timeout) == 0;
}

bool SetMembership(SocketHandle socket, int option, std::uint32_t group, std::uint32_t interfaceAddress) {
  ip_mreq request{};
  request.imr_multiaddr.s_addr = group;
  request.imr_interface.s_addr = interfaceAddress;
  return setsockopt(Fd(socket), IPPROTO_IP, option, &request, sizeof request) == 0;
}

bool SetSourceMembership(SocketHandle socket, int option, std::uint32_t group, std::uint32_t source,
                         std::uint32_t interfaceAddress) {
  ip_mreq_source request{};
  request.imr_multiaddr.s_addr = group;
  request.imr_sourceaddr.s_addr = source;
  request.imr_interface.s_addr = interfaceAddress;
  return setsockopt(Fd(socket), IPPROTO_IP, option, &request, sizeof request) == 0;
}

}  // namespace

void Socket::Close() {
  if (handle_ == kInvalidSocket) return;
  // Keep errno: callers read the error of the call that failed, not of this close.
  CloseKeepingErrno(Fd(handle_));
  handle_ = kInvalidSocket;
}

bool StartSockets() { return true; }
void StopSockets() {}

int LastSocketError() { return errno; }

Socket CreateTcpSocket() { return Socket(HandleOf(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP))); }
Socket CreateUdpSocket() { return Socket(HandleOf(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP))); }

std::uint32_t InetAddr(const std::string& text) { return inet_addr(text.c_str()); }

std::string InetNtoa(std::uint32_t address) {
  in_addr value{};
  value.s_addr = address;
  char text[INET_ADDRSTRLEN] = {};
  if (inet_ntop(AF_INET, &value, text, sizeof text) == nullptr) return std::string();
  return text;
}

namespace {

std::uint32_t HostOrder(const sockaddr* address) {
  return ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
}

// Linux binds a socket to a multicast group or to the broadcast address of a local network as well,
// though no interface owns such an address; Windows refuses them, and so does this seam.
bool OwnedByNoInterface(std::uint32_t address) {
  const std::uint32_t host = ntohl(address);
  if (IN_MULTICAST(host) || host == INADDR_BROADCAST) return true;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  bool broadcast = false;
  for (const ifaddrs* entry = list; entry != nullptr && !broadcast; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET || entry->ifa_netmask == nullptr) {
      continue;
    }
    const std::uint32_t mask = HostOrder(entry->ifa_netmask);
    // Networks of one or two addresses (/32, /31) have no broadcast address.
    broadcast = (mask < 0xFFFFFFFEu && host == (HostOrder(entry->ifa_addr) | ~mask)) ||
                ((entry->ifa_flags & IFF_BROADCAST) != 0 && entry->ifa_broadaddr != nullptr &&
                 entry->ifa_broadaddr->sa_family == AF_INET && HostOrder(entry->ifa_broadaddr) == host);
  }
  freeifaddrs(list);
  return broadcast;
}

bool BindAddress(int fd, std::uint32_t address, std::uint16_t port) {
  const sockaddr_in local = IPv4Address(address, port);
  return bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

}  // namespace

bool BindGroupAddress(int fd, std::uint32_t group, std::uint16_t port) { return BindAddress(fd, group, port); }

bool BindIPv4(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
  if (address != htonl(INADDR_ANY) && OwnedByNoInterface(address)) {
    errno = EADDRNOTAVAIL;
    return false;
  }
  // Windows lets a listener bind a port whose closed connections still wait in TIME_WAIT; Linux does so only
  // with SO_REUSEADDR, which for TCP still refuses a port that another socket listens on. Datagram sockets
  // keep the option as their caller set it, because there it would let two sockets share a port.
  int type = 0;
  socklen_t typeSize = sizeof type;
  if (getsockopt(Fd(socket), SOL_SOCKET, SO_TYPE, &type, &typeSize) == 0 && type == SOCK_STREAM) {
    SetIntOption(socket, SOL_SOCKET, SO_REUSEADDR, 1);
  }
  return BindAddress(Fd(socket), address, port);
}

bool Listen(SocketHandle socket, int backlog) { return listen(Fd(socket), backlog) == 0; }

Socket Accept(SocketHandle listener) {
  return Socket(HandleOf(RetryOnEintr([&] { return accept4(Fd(listener), nullptr, nullptr, SOCK_CLOEXEC); })));
}

namespace {

// One end of a connected socket, as getpeername or getsockname reads it; false unless it is IPv4.
template <typename Query>
bool EndOf(SocketHandle socket, Query query, sockaddr_in& end) {
  socklen_t size = sizeof end;
  return query(Fd(socket), reinterpret_cast<sockaddr*>(&end), &size) == 0 && end.sin_family == AF_INET;
}

}  // namespace

std::string PeerAddressText(SocketHandle socket) {
  sockaddr_in peer{};
  return EndOf(socket, getpeername, peer) ? InetNtoa(peer.sin_addr.s_addr) : std::string();
}

std::string LocalEndpointText(SocketHandle socket) {
  sockaddr_in local{};
  if (!EndOf(socket, getsockname, local)) return std::string();
  return InetNtoa(local.sin_addr.s_addr) + ":" + std::to_string(ntohs(local.sin_port));
}

namespace {

int ReceiveWithFlags(SocketHandle socket, void* buffer, std::size_t size, int flags) {
  const ssize_t count = RetryOnEintr([&] { return recv(Fd(socket), buffer, size, flags); });
  return count < 0 ? -1 : static_cast<int>(count);
}

}  // namespace

int Receive(SocketHandle socket, void* buffer, std::size_t size) { return ReceiveWithFlags(socket, buffer, size, 0); }

int Peek(SocketHandle socket, void* buffer, std::size_t size) {
  return ReceiveWithFlags(socket, buffer, size, MSG_PEEK);
}

namespace {

// The SO_SNDTIMEO of a socket; zero when it has none.
std::chrono::milliseconds SendTimeout(SocketHandle socket) {
  timeval timeout{};
  socklen_t size = sizeof timeout;
  if (getsockopt(Fd(socket), SOL_SOCKET, SO_SNDTIMEO, &timeout, &size) != 0) return std::chrono::milliseconds(0);
  return std::chrono::milliseconds(timeout.tv_sec * 1000L + timeout.tv_usec / 1000);
}

}  // namespace

bool SendAllGathered(SocketHandle socket, const ByteRange* pieces, std::size_t count) {
  // Linux ends a send that runs out of its SO_SNDTIMEO with the count it queued before the wait, not
  // with an error. Such a send has timed out, as it would on Windows: sending the rest would wait the
  // whole time-out once more for a peer that takes nothing. Only a short send needs the time-out.
  GatherCursor cursor(pieces, count);
  while (!cursor.Done()) {
    iovec vectors[GatherCursor::kMaxPieces];
    std::size_t used = 0;
    const std::size_t asked = cursor.Fill([&](const char* data, std::size_t size) {
      vectors[used++] = iovec{const_cast<char*>(data), size};
    });
    msghdr message{};
    message.msg_iov = vectors;
    message.msg_iovlen = used;
    const auto started = std::chrono::steady_clock::now();
    // A peer that went away must fail the send, not end the process with SIGPIPE.
    const ssize_t sent = RetryOnEintr([&] { return sendmsg(Fd(socket), &message, MSG_NOSIGNAL); });
    if (sent <= 0) return false;
    cursor.Advance(static_cast<std::size_t>(sent));
    if (static_cast<std::size_t>(sent) == asked) continue;
    const std::chrono::milliseconds timeout = SendTimeout(socket);
    if (timeout.count() > 0 && std::chrono::steady_clock::now() - started >= timeout) {
      errno = EAGAIN;
      return false;
    }
  }
  return true;
}

bool SetReuseAddress(SocketHandle socket, bool on) { return SetIntOption(socket, SOL_SOCKET, SO_REUSEADDR, on ? 1 : 0); }
bool SetReceiveBufferSize(SocketHandle socket, int bytes) { return SetIntOption(socket, SOL_SOCKET, SO_RCVBUF, bytes); }
int ReceiveBufferSize(SocketHandle socket) {
  int bytes = 0;
  socklen_t size = sizeof bytes;
  return getsockopt(Fd(socket), SOL_SOCKET, SO_RCVBUF, &bytes, &size) == 0 ? bytes : 0;
}
bool SetNoDelay(SocketHandle socket, bool on) { return SetIntOption(socket, IPPROTO_TCP, TCP_NODELAY, on ? 1 : 0); }

bool SetReceiveTimeout(SocketHandle socket, int milliseconds) { return SetTimeout(socket, SO_RCVTIMEO, milliseconds); }
bool SetSendTimeout(SocketHandle socket, int milliseconds) { return SetTimeout(socket, SO_SNDTIMEO, milliseconds); }

bool JoinGroup(SocketHandle socket, std::uint32_t group, std::uint32_t interfaceAddress) {
  return SetMembership(socket, IP_ADD_MEMBERSHIP, group, interfaceAddress);
}
bool LeaveGroup(SocketHandle socket, std::uint32_t group, std::uint32_t interfaceAddress) {
  return SetMembership(socket, IP_DROP_MEMBERSHIP, group, interfaceAddress);
}

bool JoinSourceGroup(SocketHandle socket, std::uint32_t group, std::uint32_t source, std::uint32_t interfaceAddress) {
  return SetSourceMembership(socket, IP_ADD_SOURCE_MEMBERSHIP, group, source, interfaceAddress);
}
bool LeaveSourceGroup(SocketHandle socket, std::uint32_t group, std::uint32_t source, std::uint32_t interfaceAddress) {
  return SetSourceMembership(socket, IP_DROP_SOURCE_MEMBERSHIP, group, source, interfaceAddress);
}

bool DeliverOnlyOwnGroups(SocketHandle socket) { return SetIntOption(socket, IPPROTO_IP, IP_MULTICAST_ALL, 0); }

}  // namespace platform
