// Berkeley socket calls that Winsock and POSIX spell alike; only the headers and the handle type differ.
#include "test_support/TestSockets.h"

#ifdef _WIN32
#include "platform/WindowsHeaders.h"
using NativeSocket = SOCKET;
#else
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
using NativeSocket = int;
#endif

namespace test_support {
namespace {

NativeSocket Native(platform::SocketHandle socket) { return static_cast<NativeSocket>(socket); }

sockaddr_in Endpoint(std::uint32_t address, std::uint16_t port) {
  sockaddr_in endpoint{};
  endpoint.sin_family = AF_INET;
  endpoint.sin_port = htons(port);
  endpoint.sin_addr.s_addr = address;
  return endpoint;
}

template <typename Value>
bool SetOption(platform::SocketHandle socket, int name, const Value& value) {
  return setsockopt(Native(socket), IPPROTO_IP, name, reinterpret_cast<const char*>(&value), sizeof value) == 0;
}

}  // namespace

platform::Socket ConnectIPv4(std::uint32_t address, std::uint16_t port) {
  platform::Socket result = platform::CreateTcpSocket();
  const sockaddr_in remote = Endpoint(address, port);
  if (result.Valid() && connect(Native(result.Get()), reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0) {
    result.Close();
  }
  return result;
}

bool SetMulticastSender(platform::SocketHandle socket, std::uint32_t interfaceAddress, int ttl) {
  in_addr outgoing{};
  outgoing.s_addr = interfaceAddress;
  return SetOption(socket, IP_MULTICAST_IF, outgoing) && SetOption(socket, IP_MULTICAST_TTL, ttl);
}

bool SendTo(platform::SocketHandle socket, const void* data, std::size_t size, std::uint32_t address,
            std::uint16_t port) {
  const sockaddr_in remote = Endpoint(address, port);
  const auto sent = sendto(Native(socket), static_cast<const char*>(data), static_cast<int>(size), 0,
                           reinterpret_cast<const sockaddr*>(&remote), sizeof remote);
  return sent >= 0 && static_cast<std::size_t>(sent) == size;
}

int WaitReadable(platform::SocketHandle socket, int timeoutMilliseconds) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Native(socket), &readable);
  timeval timeout{};
  timeout.tv_sec = timeoutMilliseconds / 1000;
  timeout.tv_usec = (timeoutMilliseconds % 1000) * 1000;
  const int result = select(static_cast<int>(Native(socket)) + 1, &readable, nullptr, nullptr, &timeout);
  return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

}  // namespace test_support
