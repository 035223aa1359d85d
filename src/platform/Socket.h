#pragma once
// IPv4 sockets: the TCP listener, the client connections and the multicast receivers.
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// A socket crosses the seam as a plain integer (SOCKET on Windows, a descriptor elsewhere).
using SocketHandle = std::uintptr_t;
constexpr SocketHandle kInvalidSocket = ~SocketHandle{0};

// Owns one socket; closes it on destruction.
class Socket {
 public:
  Socket() = default;
  explicit Socket(SocketHandle handle) : handle_(handle) {}
  Socket(Socket&& other) noexcept : handle_(other.handle_) { other.handle_ = kInvalidSocket; }
  Socket& operator=(Socket&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.handle_;
      other.handle_ = kInvalidSocket;
    }
    return *this;
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  ~Socket() { Close(); }

  SocketHandle Get() const { return handle_; }
  bool Valid() const { return handle_ != kInvalidSocket; }
  [[nodiscard]] SocketHandle Release() {
    const SocketHandle handle = handle_;
    handle_ = kInvalidSocket;
    return handle;
  }
  // Closes the socket, keeping the thread's last socket error for the caller.
  void Close();

 private:
  SocketHandle handle_ = kInvalidSocket;
};

// Socket library use (WSAStartup 2.2 / WSACleanup on Windows, nothing elsewhere). Returns false on failure.
bool StartSockets();
void StopSockets();

// The error code of the last failed socket call of this thread (WSAGetLastError / errno).
int LastSocketError();

Socket CreateTcpSocket();
Socket CreateUdpSocket();

// inet_addr: dotted text to an address in network order; 0xFFFFFFFF (INADDR_NONE) for bad text.
std::uint32_t InetAddr(const std::string& text);
// inet_ntoa: an address in network order to dotted text.
std::string InetNtoa(std::uint32_t address);

// Addresses are in network order, ports in host order.
bool BindIPv4(SocketHandle socket, std::uint32_t address, std::uint16_t port);
bool Listen(SocketHandle socket, int backlog);
Socket Accept(SocketHandle listener);
// The peer's dotted address, empty when it cannot be read.
std::string PeerAddressText(SocketHandle socket);
// The socket's own address and port as "a.b.c.d:port", empty when they cannot be read.
std::string LocalEndpointText(SocketHandle socket);

// recv once: the count, 0 for an orderly close, -1 on error or time-out.
int Receive(SocketHandle socket, void* buffer, std::size_t size);
// Like Receive, but the bytes stay queued for the next receive (MSG_PEEK).
int Peek(SocketHandle socket, void* buffer, std::size_t size);
// Bytes in memory: one piece of a gathered send.
struct ByteRange {
  const char* data;
  std::size_t size;
};
// Sends the pieces one after the other as one run of bytes, with as few calls as the system allows
// and looping over short sends; false when a send fails or times out.
bool SendAllGathered(SocketHandle socket, const ByteRange* pieces, std::size_t count);
inline bool SendAll(SocketHandle socket, const void* data, std::size_t size) {
  const ByteRange whole{static_cast<const char*>(data), size};
  return SendAllGathered(socket, &whole, 1);
}

bool SetReuseAddress(SocketHandle socket, bool on);
bool SetReceiveBufferSize(SocketHandle socket, int bytes);
// The receive buffer the system granted (it may cap or scale the size asked for); 0 when unknown.
int ReceiveBufferSize(SocketHandle socket);
bool SetNoDelay(SocketHandle socket, bool on);
// Time-outs of blocking receive and send calls, in milliseconds (0 = none).
bool SetReceiveTimeout(SocketHandle socket, int milliseconds);
bool SetSendTimeout(SocketHandle socket, int milliseconds);
// IP_ADD_MEMBERSHIP / IP_DROP_MEMBERSHIP; group and interface in network order.
bool JoinGroup(SocketHandle socket, std::uint32_t group, std::uint32_t interfaceAddress);
bool LeaveGroup(SocketHandle socket, std::uint32_t group, std::uint32_t interfaceAddress);
// IP_ADD_SOURCE_MEMBERSHIP / IP_DROP_SOURCE_MEMBERSHIP: the group as sent by source alone.
bool JoinSourceGroup(SocketHandle socket, std::uint32_t group, std::uint32_t source, std::uint32_t interfaceAddress);
bool LeaveSourceGroup(SocketHandle socket, std::uint32_t group, std::uint32_t source, std::uint32_t interfaceAddress);
// Linux delivers every joined group's datagrams to a socket bound to the any address unless
// IP_MULTICAST_ALL is off; other platforms already deliver only the socket's own memberships.
bool DeliverOnlyOwnGroups(SocketHandle socket);

}  // namespace platform
