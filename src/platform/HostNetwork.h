#pragma once
// The host's IPv4 interfaces and its TCP connection table.
#include <cstdint>
#include <vector>

namespace platform {

struct InterfaceEntry {
  std::uint32_t address = 0;  // network order
  bool loopback = false;
};

// Every IPv4 interface in the platform's order; empty when the list cannot be read.
std::vector<InterfaceEntry> ListInterfaces();

// The TCP connection states, numbered as the Windows TCP table numbers them.
constexpr int kTcpStateEstablished = 5;

struct TcpRow {
  int state = 0;
  std::uint16_t localPort = 0;  // host order
};

// The IPv4 TCP connection table; false when it cannot be read.
bool ReadTcpTable(std::vector<TcpRow>& rows);

}  // namespace platform
