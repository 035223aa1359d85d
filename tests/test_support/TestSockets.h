#pragma once
// Socket calls only the tests need: the client and sender ends of what the proxy serves and receives.
#include <cstddef>
#include <cstdint>

#include "platform/Socket.h"

namespace test_support {

// Blocking TCP connect to address:port (network-order address); invalid on failure.
platform::Socket ConnectIPv4(std::uint32_t address, std::uint16_t port);

// Outgoing interface (network order) and TTL of the socket's multicast datagrams.
bool SetMulticastSender(platform::SocketHandle socket, std::uint32_t interfaceAddress, int ttl);
// One datagram to address:port; true when all of it went out.
bool SendTo(platform::SocketHandle socket, const void* data, std::size_t size, std::uint32_t address,
            std::uint16_t port);

// Waits until the socket is readable: 1 readable (or closed), 0 time-out, -1 error.
int WaitReadable(platform::SocketHandle socket, int timeoutMilliseconds);

}  // namespace test_support
