#include "test_support/TestSockets.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace test_support {
namespace {

int Fd(platform::SocketHandle socket) { return static_cast<int>(socket); }

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
  if (result.Valid() && connect(Fd(result.Get()), reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0) {
    result.Close();
  }
  return result;
}

bool SetMulticastSender(platform::SocketHandle socket, std::uint32_t interfaceAddress, int ttl) {
  in_addr outgoing{};
  outgoing.s_addr = interfaceAddress;
  return setsockopt(Fd(socket), IPPROTO_IP, IP_MULTICAST_IF, &outgoing, sizeof outgoing) == 0 &&
         setsockopt(Fd(socket), IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) == 0;
}

bool SendTo(platform::SocketHandle socket, const void* data, std::size_t size, std::uint32_t address,
            std::uint16_t port) {
  const sockaddr_in remote = IPv4Address(address, port);
  const ssize_t sent =
      sendto(Fd(socket), data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&remote), sizeof remote);
  return sent >= 0 && static_cast<std::size_t>(sent) == size;
}

int WaitReadable(platform::SocketHandle socket, int timeoutMilliseconds) {
  pollfd entry{};
  entry.fd = Fd(socket);
  entry.events = POLLIN;
  int result;
  do {
    result = poll(&entry, 1, timeoutMilliseconds);
  } while (result < 0 && errno == EINTR);
  if (result <= 0) return result < 0 ? -1 : 0;
  return (entry.revents & POLLNVAL) ? -1 : 1;
}

}  // namespace test_support
