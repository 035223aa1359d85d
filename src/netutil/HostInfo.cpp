#include "netutil/HostInfo.h"

#include <array>

#include "platform/Md5.h"
#include "platform/Shell.h"
#include "platform/Socket.h"
#include "platform/VersionInfo.h"

std::vector<std::string> ListInterfaceAddresses() {
  std::vector<std::string> addresses;
  for (const platform::InterfaceEntry& entry : platform::ListInterfaces()) {
    if (!entry.loopback) addresses.push_back(platform::InetNtoa(entry.address));
  }
  return addresses;
}

std::string LocalAddressTextOf(const std::vector<platform::InterfaceEntry>& interfaces) {
  std::string text = "|";
  for (const platform::InterfaceEntry& entry : interfaces) text += platform::InetNtoa(entry.address) + "|";
  return text;
}

std::string LocalAddressText() { return LocalAddressTextOf(platform::ListInterfaces()); }

int CountEstablishedIn(const std::vector<platform::TcpRow>& rows, int port) {
  if (rows.empty()) return -1;
  int count = 0;
  for (const platform::TcpRow& row : rows) {
    if (row.state == platform::kTcpStateEstablished && row.localPort == port) ++count;
  }
  return count;
}

int CountEstablishedOnPort(int port) {
  std::vector<platform::TcpRow> rows;
  if (!platform::ReadTcpTable(rows)) return -1;
  return CountEstablishedIn(rows, port);
}

std::string GetProductVersionText(const std::string& fileName) {
  std::uint16_t parts[4] = {};
  if (!platform::ReadProductVersion(fileName, parts)) return std::string();
  return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." + std::to_string(parts[2]) + "." +
         std::to_string(parts[3]);
}

std::string Md5Hex(const std::string& data) {
  std::array<unsigned char, 16> digest{};
  if (data.empty() || !platform::Md5Digest(data, digest)) return std::string();
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char byte : digest) {
    hex += kHex[byte >> 4];
    hex += kHex[byte & 15];
  }
  return hex;
}

void OpenUrl(std::uintptr_t window, const std::string& target, const std::string& parameters) {
  platform::ShellOpen(window, target, parameters);
}
