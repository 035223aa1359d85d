#include "platform/Socket.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "platform/GatherCursor.h"
#include "platform/WindowsHeaders.h"

namespace platform {

namespace {

SOCKET AsSocket(SocketHandle handle) { return static_cast<SOCKET>(handle); }

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
  sockaddr_in result{};
  result.sin_family = AF_INET;
  result.sin_port = htons(port);
  result.sin_addr.s_addr = address;
  return result;
}

// Winsock counts lengths in int.
int ClampedLength(std::size_t size) { return static_cast<int>(std::min<std::size_t>(size, INT_MAX)); }

template <typename Value>
bool SetOption(SocketHandle socket, int level, int name, const Value& value) {
  return setsockopt(AsSocket(socket), level, name, reinterpret_cast<const char*>(&value), sizeof value) == 0;
}

bool SetMembership(SocketHandle socket, int option, std::uint32_t group, std::uint32_t interfaceAddress) {
  ip_mreq request{};
  request.imr_multiaddr.s_addr = group;
  request.imr_interface.s_addr = interfaceAddress;
  return SetOption(socket, IPPROTO_IP, option, request);
}

// Winsock's ip_mreq_source has its fields in another order than the POSIX one: set them by name.
bool SetSourceMembership(SocketHandle socket, int option, std::uint32_t group, std::uint32_t source,
                         std::uint32_t interfaceAddress) {
  ip_mreq_source request{};
  request.imr_multiaddr.s_addr = group;
  request.imr_sourceaddr.s_addr = source;
  request.imr_interface.s_addr = interfaceAddress;
  return SetOption(socket, IPPROTO_IP, option, request);
}

}  // namespace

void Socket::Close() {
  if (Valid()) {
    // The caller may still want the error of the call that made it give up on this socket.
    const int error = WSAGetLastError();
    closesocket(AsSocket(handle_));
    WSASetLastError(error);
  }
  handle_ = kInvalidSocket;
}

bool StartSockets() {
  WSADATA data;
  return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

void StopSockets() { WSACleanup(); }

int LastSocketError() { return WSAGetLastError(); }

Socket CreateTcpSocket() { return Socket(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)); }

Socket CreateUdpSocket() { return Socket(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)); }

std::uint32_t InetAddr(const std::string& text) { return inet_addr(text.c_str()); }

std::string InetNtoa(std::uint32_t address) {
  // Formatted here rather than by inet_ntoa, which may refuse to work before WSAStartup.
  const auto* bytes = reinterpret_cast<const unsigned char*>(&address);
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
  return text;
}

bool BindIPv4(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
  // Windows refuses these itself; wine passes them on to a host that may not.
  const std::uint32_t host = ntohl(address);
  if (host == INADDR_BROADCAST || IN_MULTICAST(host)) {
    WSASetLastError(WSAEADDRNOTAVAIL);
    return false;
  }
  const sockaddr_in local = MakeAddress(address, port);
  return bind(AsSocket(socket), reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

bool Listen(SocketHandle socket, int backlog) { return listen(AsSocket(socket), backlog) == 0; }

Socket Accept(SocketHandle listener) { return Socket(accept(AsSocket(listener), nullptr, nullptr)); }

namespace {

// One end of a connected socket, as getpeername or getsockname reads it; false unless it is IPv4.
template <typename Query>
bool EndOf(SocketHandle socket, Query query, sockaddr_in& end) {
  int length = sizeof end;
  return query(AsSocket(socket), reinterpret_cast<sockaddr*>(&end), &length) == 0 && end.sin_family == AF_INET;
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

int Receive(SocketHandle socket, void* buffer, std::size_t size) {
  const int count = recv(AsSocket(socket), static_cast<char*>(buffer), ClampedLength(size), 0);
  return count == SOCKET_ERROR ? -1 : count;
}

int Peek(SocketHandle socket, void* buffer, std::size_t size) {
  const int count = recv(AsSocket(socket), static_cast<char*>(buffer), ClampedLength(size), MSG_PEEK);
  return count == SOCKET_ERROR ? -1 : count;
}

bool SendAllGathered(SocketHandle socket, const ByteRange* pieces, std::size_t count) {
  GatherCursor cursor(pieces, count);
  while (!cursor.Done()) {
    WSABUF buffers[GatherCursor::kMaxPieces];
    DWORD used = 0;
    cursor.Fill([&](const char* data, std::size_t size) {
      buffers[used].buf = const_cast<char*>(data);
      buffers[used++].len = static_cast<ULONG>(size);
    });
    DWORD sent = 0;
    if (WSASend(AsSocket(socket), buffers, used, &sent, 0, nullptr, nullptr) == SOCKET_ERROR || sent == 0) {
      return false;
    }
    cursor.Advance(sent);
  }
  return true;
}

bool SetReuseAddress(SocketHandle socket, bool on) {
  const BOOL value = on ? TRUE : FALSE;
  return SetOption(socket, SOL_SOCKET, SO_REUSEADDR, value);
}

bool SetReceiveBufferSize(SocketHandle socket, int bytes) { return SetOption(socket, SOL_SOCKET, SO_RCVBUF, bytes); }
int ReceiveBufferSize(SocketHandle socket) {
  int bytes = 0;
  int size = sizeof bytes;
  return getsockopt(AsSocket(socket), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&bytes), &size) == 0 ? bytes : 0;
}

bool SetNoDelay(SocketHandle socket, bool on) {
  const BOOL value = on ? TRUE : FALSE;
  return SetOption(socket, IPPROTO_TCP, TCP_NODELAY, value);
}

// Winsock takes these time-outs as a DWORD of milliseconds, not as a timeval.
bool SetReceiveTimeout(SocketHandle socket, int milliseconds) {
  const DWORD value = milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0;
  return SetOption(socket, SOL_SOCKET, SO_RCVTIMEO, value);
}

bool SetSendTimeout(SocketHandle socket, int milliseconds) {
  const DWORD value = milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0;
  return SetOption(socket, SOL_SOCKET, SO_SNDTIMEO, value);
}

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

bool DeliverOnlyOwnGroups(SocketHandle) { return true; }

}  // namespace platform
