#include "platform/HostNetwork.h"

#include "platform/Files.h"

#include <cerrno>
#include <cstdlib>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sstream>
#include <string>
#include <sys/socket.h>

namespace platform {
namespace {

// Linux numbers its TCP states from include/net/tcp_states.h; callers expect the Windows MIB_TCP_STATE numbers.
int WindowsTcpState(unsigned long linuxState) {
  switch (linuxState) {
    case 0x01: return kTcpStateEstablished;
    case 0x02: return 3;   // SYN_SENT
    case 0x03: return 4;   // SYN_RECEIVED
    case 0x04: return 6;   // FIN_WAIT1
    case 0x05: return 7;   // FIN_WAIT2
    case 0x06: return 11;  // TIME_WAIT
    case 0x07: return 1;   // CLOSED
    case 0x08: return 8;   // CLOSE_WAIT
    case 0x09: return 10;  // LAST_ACK
    case 0x0A: return 2;   // LISTEN
    case 0x0B: return 9;   // CLOSING
    default: return 0;
  }
}

// Rows of /proc/net/tcp or /proc/net/tcp6: "sl local_address rem_address st ...", addresses as HEX:PORT.
// From tcp6 only IPv4-mapped local addresses are kept: those are IPv4 connections accepted by a dual-stack
// socket, which the Windows IPv4 table lists too.
void ParseProcNetTcp(const std::string& text, bool mappedOnly, std::vector<TcpRow>& rows) {
  // The address is printed as four 32-bit words in host byte order: word 2 of ::ffff:a.b.c.d reads
  // FFFF0000 on little-endian hosts and 0000FFFF on big-endian ones.
  const auto isMapped = [](const std::string& address) {
    return address.size() >= 24 && address.compare(0, 16, "0000000000000000") == 0 &&
           (address.compare(16, 8, "FFFF0000") == 0 || address.compare(16, 8, "0000FFFF") == 0);
  };
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);  // column titles
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string slot, local, remote, state;
    if (!(fields >> slot >> local >> remote >> state)) continue;
    const std::size_t colon = local.rfind(':');
    if (colon == std::string::npos || colon + 1 >= local.size()) continue;
    if (mappedOnly && !isMapped(local)) continue;
    char* end = nullptr;
    const unsigned long port = std::strtoul(local.c_str() + colon + 1, &end, 16);
    if (*end != '\0' || port > 0xFFFF) continue;
    const unsigned long linuxState = std::strtoul(state.c_str(), &end, 16);
    if (*end != '\0') continue;
    TcpRow row;
    row.state = WindowsTcpState(linuxState);
    row.localPort = static_cast<std::uint16_t>(port);
    rows.push_back(row);
  }
}

}  // namespace

std::vector<InterfaceEntry> ListInterfaces() {
  std::vector<InterfaceEntry> result;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return result;
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
    InterfaceEntry item;
    item.address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr;
    item.loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
    result.push_back(item);
  }
  freeifaddrs(list);
  return result;
}

bool ReadTcpTable(std::vector<TcpRow>& rows) {
  rows.clear();
  std::string text;
  if (!ReadWholeFile("/proc/net/tcp", text)) return false;
  ParseProcNetTcp(text, false, rows);
  // A host without IPv6 has no tcp6 file; that is not a failure.
  if (ReadWholeFile("/proc/net/tcp6", text)) ParseProcNetTcp(text, true, rows);
  return true;
}

}  // namespace platform
