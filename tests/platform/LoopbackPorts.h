#pragma once
// Free loopback ports for tests, found by trying to bind (the seam has no getsockname).
#include <cstdint>
#include <random>

#include "platform/Socket.h"

namespace test_support {

inline std::uint32_t Loopback() { return platform::InetAddr("127.0.0.1"); }

// A socket made by create and bound to 127.0.0.1 on a free port, which is stored in port; invalid on failure.
template <typename Create>
platform::Socket BindFreeLoopbackPort(Create create, std::uint16_t& port) {
  std::random_device source;
  std::uniform_int_distribution<int> ports(20000, 59999);
  for (int attempt = 0; attempt < 200; ++attempt) {
    platform::Socket socket = create();
    const auto candidate = static_cast<std::uint16_t>(ports(source));
    if (socket.Valid() && platform::BindIPv4(socket.Get(), Loopback(), candidate)) {
      port = candidate;
      return socket;
    }
  }
  return platform::Socket();
}

inline platform::Socket ListenOnFreeLoopbackPort(std::uint16_t& port) {
  platform::Socket listener = BindFreeLoopbackPort(platform::CreateTcpSocket, port);
  if (listener.Valid() && !platform::Listen(listener.Get(), 16)) listener.Close();
  return listener;
}

}  // namespace test_support
