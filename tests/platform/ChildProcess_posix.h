#pragma once
// Helpers for the Linux-only platform tests: a forked child that reports through its exit code, a private
// network namespace for tests that must send multicast without any traffic leaving the machine, and the group
// memberships the system holds.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <arpa/inet.h>
#include <fcntl.h>
#include <functional>
#include <linux/if_tun.h>
#include <net/if.h>
#include <net/route.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace test_support {

// Exit code of a child that could not set up what its test needs (the test is then skipped).
constexpr int kChildCannotRun = 77;

// Runs body in a forked child and returns its exit code, or -1 when it did not exit normally.
inline int ExitCodeOfChild(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) _exit(body());
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Moves the calling process into a new network namespace holding only its own loopback interface, up, with
// the multicast range routed to it. False when that cannot be done: the caller must then send nothing.
inline bool EnterPrivateNetwork(bool allowUserNamespace) {
  if (unshare(CLONE_NEWNET) != 0) {
    if (!allowUserNamespace || unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) return false;
  }
  const int control = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (control < 0) return false;
  ifreq link{};
  std::strncpy(link.ifr_name, "lo", IFNAMSIZ - 1);
  bool ok = ioctl(control, SIOCGIFFLAGS, &link) == 0;
  link.ifr_flags = static_cast<short>(link.ifr_flags | IFF_UP);
  ok = ok && ioctl(control, SIOCSIFFLAGS, &link) == 0;

  rtentry route{};
  auto* destination = reinterpret_cast<sockaddr_in*>(&route.rt_dst);
  destination->sin_family = AF_INET;
  destination->sin_addr.s_addr = htonl(0xE0000000);  // 224.0.0.0
  auto* mask = reinterpret_cast<sockaddr_in*>(&route.rt_genmask);
  mask->sin_family = AF_INET;
  mask->sin_addr.s_addr = htonl(0xF0000000);  // /4
  route.rt_flags = RTF_UP;
  char device[] = "lo";
  route.rt_dev = device;
  ok = ok && ioctl(control, SIOCADDRT, &route) == 0;
  close(control);
  return ok;
}

// Adds a point-to-point interface (a tun device) with the given address, up, to the private network of
// the calling process; it lives until the process exits. False when the system offers no tun devices.
inline bool AddPrivateInterface(const char* name, const char* address) {
  const int device = open("/dev/net/tun", O_RDWR | O_CLOEXEC);
  if (device < 0) return false;
  ifreq request{};
  std::strncpy(request.ifr_name, name, IFNAMSIZ - 1);
  request.ifr_flags = IFF_TUN | IFF_NO_PI;
  if (ioctl(device, TUNSETIFF, &request) != 0) {
    close(device);
    return false;
  }
  const int control = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (control < 0) return false;
  ifreq settings{};
  std::strncpy(settings.ifr_name, name, IFNAMSIZ - 1);
  auto* local = reinterpret_cast<sockaddr_in*>(&settings.ifr_addr);
  local->sin_family = AF_INET;
  bool ok = inet_pton(AF_INET, address, &local->sin_addr) == 1 && ioctl(control, SIOCSIFADDR, &settings) == 0 &&
            ioctl(control, SIOCGIFFLAGS, &settings) == 0;
  settings.ifr_flags = static_cast<short>(settings.ifr_flags | IFF_UP);
  ok = ok && ioctl(control, SIOCSIFFLAGS, &settings) == 0;
  close(control);
  return ok;  // the device descriptor stays open: closing it would remove the interface
}

// The interfaces whose membership list in /proc/net/igmp holds the group.
inline std::set<std::string> InterfacesJoined(const char* group) {
  // Each group is printed as its address in network order read as one host-order number.
  char wanted[16];
  std::snprintf(wanted, sizeof wanted, "%08X", inet_addr(group));
  std::set<std::string> devices;
  std::ifstream table("/proc/net/igmp");
  std::string line;
  std::string device;
  while (std::getline(table, line)) {
    if (line.empty()) continue;
    if (line[0] != '\t') {  // "Idx\tDevice    : Count ..." starts each interface's list
      const std::size_t tab = line.find('\t');
      const std::size_t colon = line.find(':');
      device = tab == std::string::npos || colon == std::string::npos ? std::string()
                                                                       : line.substr(tab + 1, colon - tab - 1);
      device.erase(device.find_last_not_of(' ') + 1);
      continue;
    }
    if (line.find(wanted) != std::string::npos) devices.insert(device);
  }
  return devices;
}

}  // namespace test_support
