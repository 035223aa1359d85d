#include "netutil/GroupJoin.h"

#include <vector>

#include "netutil/HostInfo.h"
#include "netutil/InterfaceSelect.h"
#include "platform/HostNetwork.h"
#include "base/TextUtil.h"

namespace {

constexpr const char* kGroupUrlMask = "*//@*.*.*.*:*";
constexpr std::size_t kGroupTextLimit = 255;
constexpr std::size_t kPortTextLimit = 6;

struct GroupUrl {
  std::uint32_t group = 0;
  std::uint16_t port = 0;
};

GroupUrl ParseGroupUrl(const std::string& url) {
  const std::string rest = url.substr(url.find('@') + 1, kGroupTextLimit);
  const std::size_t colon = rest.find(':');
  GroupUrl parsed;
  parsed.group = platform::InetAddr(rest.substr(0, colon));
  if (colon != std::string::npos) parsed.port = static_cast<std::uint16_t>(ParseInteger(rest.substr(colon + 1, kPortTextLimit)));
  return parsed;
}

// The interface itself when the text looks like an address, otherwise every non-loopback interface.
std::vector<std::uint32_t> MembershipInterfaces(const std::string& interfaceText) {
  if (MatchesMask(interfaceText, "*.*.*.*")) return {platform::InetAddr(interfaceText)};
  std::vector<std::uint32_t> interfaces;
  for (const platform::InterfaceEntry& entry : platform::ListInterfaces()) {
    if (!entry.loopback && entry.address != 0xFFFFFFFFu) interfaces.push_back(entry.address);
  }
  return interfaces;
}

}  // namespace

platform::Socket JoinGroupOnInterfaces(const std::string& url, const std::string& interfaceText) {
  if (!MatchesMask(url, kGroupUrlMask)) return platform::Socket();
  const GroupUrl parsed = ParseGroupUrl(url);
  platform::Socket socket = platform::CreateUdpSocket();
  if (!socket.Valid() || !platform::SetReuseAddress(socket.Get(), true) ||
      !platform::BindIPv4(socket.Get(), 0, parsed.port)) {
    return platform::Socket();
  }
  for (std::uint32_t address : MembershipInterfaces(interfaceText)) platform::JoinGroup(socket.Get(), parsed.group, address);
  return socket;
}

void LeaveGroupOnInterfaces(const std::string& url, const std::string& interfaceText, platform::Socket& socket) {
  if (!socket.Valid()) return;
  if (MatchesMask(url, kGroupUrlMask)) {
    const GroupUrl parsed = ParseGroupUrl(url);
    for (std::uint32_t address : MembershipInterfaces(interfaceText)) {
      platform::LeaveGroup(socket.Get(), parsed.group, address);
    }
  }
  socket.Close();
}
