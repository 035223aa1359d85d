#include "test_support/TestSockets.h"

#include <climits>

#include "platform/WindowsHeaders.h"

namespace test_support {
namespace {

SOCKET AsSocket(platform::SocketHandle socket) { return static_cast<SOCKET>(socket); }

sockaddr_in IPv4Address(std::uint32_t address, std::uint16_t port) {
  sockaddr_in result{};
  result.sin_family = AF_INET;
  result.sin_port = htons(port);
  result.sin_addr.s_addr = address;
  return result;
}

}  // namespace

platform::Socket ConnectIPv4(std::uint32_t address, std::uint16_t port) {
  platform::Socket result = platform::CreateTcpSocket();
  const sockaddr_in remote = IPv4Address(address, port);
  if (result.Valid() &&
      connect(AsSocket(result.Get()), reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0) {
    result.Close();
  }
  return result;
}

bool SetMulticastSender(platform::SocketHandle socket, std::uint32_t interfaceAddress, int ttl) {
  in_addr outgoing{};
  outgoing.s_addr = interfaceAddress;
  const DWORD hops = ttl > 0 ? static_cast<DWORD>(ttl) : 0;
  return setsockopt(AsSocket(socket), IPPROTO_IP, IP_MULTICAST_IF, reinterpret_cast<const char*>(&outgoing),
                    sizeof outgoing) == 0 &&
         setsockopt(AsSocket(socket), IPPROTO_IP, IP_MULTICAST_TTL, reinterpret_cast<const char*>(&hops),
                    sizeof hops) == 0;
}

bool SendTo(platform::SocketHandle socket, const void* data, std::size_t size, std::uint32_t address,
            std::uint16_t port) {
  if (size > static_cast<std::size_t>(INT_MAX)) return false;
  const sockaddr_in remote = IPv4Address(address, port);
  const int sent = sendto(AsSocket(socket), static_cast<const char*>(data), static_cast<int>(size), 0,
                          reinterpret_cast<const sockaddr*>(&remote), sizeof remote);
  return sent == static_cast<int>(size);
}

int WaitReadable(platform::SocketHandle socket, int timeoutMilliseconds) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(AsSocket(socket), &readable);
  timeval timeout{};
  timeout.tv_sec = timeoutMilliseconds / 1000;
  timeout.tv_usec = (timeoutMilliseconds % 1000) * 1000;
  const int result = select(0, &readable, nullptr, nullptr, &timeout);
  if (result == SOCKET_ERROR) return -1;
  return result > 0 ? 1 : 0;
}

}  // namespace test_support
