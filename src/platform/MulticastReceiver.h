#pragma once
// Binding a socket that is to receive one multicast group.
#include <cstdint>

#include "platform/Socket.h"

namespace platform {

// Binds the socket so that it receives the group's datagrams on port (host order) once it has
// joined the group on interfaceAddress (both network order). False when the interface is not a
// local address or the bind is refused.
bool BindMulticastReceiver(SocketHandle socket, std::uint32_t group, std::uint32_t interfaceAddress,
                           std::uint16_t port);

}  // namespace platform
