#include "platform/Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
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

bool BindIPv4(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
  // Windows lets a listener bind a port whose closed connections still wait in TIME_WAIT; Linux does so only
  // with SO_REUSEADDR, which for TCP still refuses a port that another socket listens on. Datagram sockets
  // keep the option as their caller set it, because there it would let two sockets share a port.
  int type = 0;
  socklen_t typeSize = sizeof type;
  if (getsockopt(Fd(socket), SOL_SOCKET, SO_TYPE, &type, &typeSize) == 0 && type == SOCK_STREAM) {
    SetIntOption(socket, SOL_SOCKET, SO_REUSEADDR, 1);
  }
  const sockaddr_in local = IPv4Address(address, port);
  return bind(Fd(socket), reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

bool Listen(SocketHandle socket, int backlog) { return listen(Fd(socket), backlog) == 0; }

Socket Accept(SocketHandle listener) {
  return Socket(HandleOf(RetryOnEintr([&] { return accept4(Fd(listener), nullptr, nullptr, SOCK_CLOEXEC); })));
}

std::string PeerAddressText(SocketHandle socket) {
  sockaddr_in peer{};
  socklen_t size = sizeof peer;
  if (getpeername(Fd(socket), reinterpret_cast<sockaddr*>(&peer), &size) != 0 || peer.sin_family != AF_INET) {
    return std::string();
  }
  return InetNtoa(peer.sin_addr.s_addr);
}

Socket ConnectIPv4(std::uint32_t address, std::uint16_t port) {
  Socket result = CreateTcpSocket();
  if (!result.Valid()) return result;
  const sockaddr_in remote = IPv4Address(address, port);
  if (connect(Fd(result.Get()), reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0) result.Close();
  return result;
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

int Send(SocketHandle socket, const void* data, std::size_t size) {
  // A peer that went away must fail the send, not end the process with SIGPIPE.
  const ssize_t count = RetryOnEintr([&] { return send(Fd(socket), data, size, MSG_NOSIGNAL); });
  return count < 0 ? -1 : static_cast<int>(count);
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
bool SetNoDelay(SocketHandle socket, bool on) { return SetIntOption(socket, IPPROTO_TCP, TCP_NODELAY, on ? 1 : 0); }

bool SetReceiveTimeout(SocketHandle socket, int milliseconds) { return SetTimeout(socket, SO_RCVTIMEO, milliseconds); }
bool SetSendTimeout(SocketHandle socket, int milliseconds) { return SetTimeout(socket, SO_SNDTIMEO, milliseconds); }

bool JoinGroup(SocketHandle socket, std::uint32_t group, std::uint32_t interfaceAddress) {
  return SetMembership(socket, IP_ADD_MEMBERSHIP, group, interfaceAddress);
}
bool LeaveGroup(SocketHandle socket, std::uint32_t group, std::uint32_t interfaceAddress) {
  return SetMembership(socket, IP_DROP_MEMBERSHIP, group, interfaceAddress);
}

bool DeliverOnlyOwnGroups(SocketHandle socket) { return SetIntOption(socket, IPPROTO_IP, IP_MULTICAST_ALL, 0); }

bool SetMulticastSender(SocketHandle socket, std::uint32_t interfaceAddress, int ttl) {
  in_addr outgoing{};
  outgoing.s_addr = interfaceAddress;
  return setsockopt(Fd(socket), IPPROTO_IP, IP_MULTICAST_IF, &outgoing, sizeof outgoing) == 0 &&
         SetIntOption(socket, IPPROTO_IP, IP_MULTICAST_TTL, ttl);
}

bool SendTo(SocketHandle socket, const void* data, std::size_t size, std::uint32_t address, std::uint16_t port) {
  const sockaddr_in remote = IPv4Address(address, port);
  const ssize_t count = RetryOnEintr([&] {
    return sendto(Fd(socket), data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&remote), sizeof remote);
  });
  return count >= 0 && static_cast<std::size_t>(count) == size;
}

long BytesAvailable(SocketHandle socket) {
  int count = 0;
  if (ioctl(Fd(socket), FIONREAD, &count) != 0) return -1;
  return count;
}

int WaitReadable(SocketHandle socket, int timeoutMilliseconds) {
  pollfd entry{};
  entry.fd = Fd(socket);
  entry.events = POLLIN;
  const int result = RetryOnEintr([&] { return poll(&entry, 1, timeoutMilliseconds < 0 ? -1 : timeoutMilliseconds); });
  if (result <= 0) return result < 0 ? -1 : 0;
  if (entry.revents & POLLNVAL) return -1;
  // A closed or failed socket counts as readable, as select() reports it: the next receive tells which.
  return 1;
}

}  // namespace platform
