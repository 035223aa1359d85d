#include "platform/MulticastReceiver.h"

#include "platform/WindowsHeaders.h"

namespace platform {

// Windows delivers a group to sockets bound to the joining interface's address (or any).
bool BindMulticastReceiver(SocketHandle socket, std::uint32_t /*group*/, std::uint32_t interfaceAddress,
                           std::uint16_t port) {
  return BindIPv4(socket, interfaceAddress, port);
}

int ReceiveDatagram(SocketHandle socket, void* buffer, std::size_t size) {
  const int received = recv(static_cast<SOCKET>(socket), static_cast<char*>(buffer), static_cast<int>(size), 0);
  if (received != SOCKET_ERROR) return received;
  return WSAGetLastError() == WSAETIMEDOUT ? 0 : -1;
}

}  // namespace platform
