#include "platform/MulticastReceiver.h"

#include "platform/WindowsHeaders.h"

namespace platform {

// Windows delivers a group to sockets bound to the joining interface's address (or any).
bool BindMulticastReceiver(SocketHandle socket, std::uint32_t /*group*/, std::uint32_t interfaceAddress,
                           std::uint16_t port) {
  return BindIPv4(socket, interfaceAddress, port);
}

}  // namespace platform
