#include "platform/MulticastReceiver.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>

namespace platform {

// Linux delivers nothing to a socket bound to a unicast interface address, and everything for the
// port to one bound to the any address. Binding the group address itself gives exactly that group.
bool BindMulticastReceiver(SocketHandle socket, std::uint32_t group, std::uint32_t interfaceAddress,
                           std::uint16_t port) {
  // The interface must still be a local address, as it would have to be for the bind elsewhere.
  if (interfaceAddress != htonl(INADDR_ANY)) {
    Socket probe = CreateUdpSocket();
    if (!probe.Valid() || !BindIPv4(probe.Get(), interfaceAddress, 0)) return false;
  }
  // A group that is no multicast address is refused by the join, not here.
  const bool multicast = IN_MULTICAST(ntohl(group));
  return BindIPv4(socket, multicast ? group : htonl(INADDR_ANY), port) && DeliverOnlyOwnGroups(socket);
}

// The socket is bound to the group itself, so every datagram it gets was sent to the group.
int ReceiveDatagram(SocketHandle socket, std::uint32_t /*group*/, void* buffer, std::size_t size) {
  for (;;) {
    const ssize_t received = recv(static_cast<int>(socket), buffer, size, 0);
    if (received >= 0) return static_cast<int>(received);
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
  }
}

}  // namespace platform
