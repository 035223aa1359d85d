#pragma once
// Binding and reading a socket that is to receive one multicast group.
#include <cstddef>
#include <cstdint>

#include "platform/Socket.h"

namespace platform {

// Binds the socket so that it receives the group's datagrams on port (host order) once it has
// joined the group on interfaceAddress (both network order). False when the interface is not a
// local address or the bind is refused.
bool BindMulticastReceiver(SocketHandle socket, std::uint32_t group, std::uint32_t interfaceAddress,
                           std::uint16_t port);

// Receives one datagram, waiting at most the socket's receive time-out (SetReceiveTimeout):
// its size; 0 when nothing arrived in time, the datagram was empty or it was sent to another
// address than group (network order); -1 on failure.
int ReceiveDatagram(SocketHandle socket, std::uint32_t group, void* buffer, std::size_t size);

}  // namespace platform
