#pragma once
// Helpers for the Linux-only platform tests: a forked child that reports through its exit code, and a private
// network namespace for tests that must send multicast without any traffic leaving the machine.
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
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

}  // namespace test_support
