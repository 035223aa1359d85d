#include "netutil/GroupJoin.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <set>
#include <string>
#include <utility>

#include "platform/ChildProcess_posix.h"
#include "test_support/TestSockets.h"

namespace {

using test_support::InterfacesJoined;

// Exit codes of the child.
enum : int {
  kPassed = 0,
  kNothingOpened = 10,
  kEveryInterfaceWrong,
  kOneInterfaceWrong,
  kLoopbackWrong,
  kNotDelivered,
  kMembershipsLeft,
  kSocketLeftOpen,
  kBadUrlJoined,
  kSenderFailed,
  kNotDescriptorZero,
};

constexpr const char* kUrl = "udp://@239.77.0.1:5601";
constexpr const char* kGroup = "239.77.0.1";
constexpr std::uint16_t kPort = 5601;

bool Closed(platform::SocketHandle socket) { return fcntl(static_cast<int>(socket), F_GETFD) < 0 && errno == EBADF; }

// A host with two cards (tun devices here) beside the loopback, in a private network namespace.
int JoinChild() {
  if (!test_support::EnterPrivateNetwork(true) || !test_support::AddPrivateInterface("cvjoin0", "10.77.1.1") ||
      !test_support::AddPrivateInterface("cvjoin1", "10.77.2.1")) {
    return test_support::kChildCannotRun;
  }
  if (JoinGroupOnInterfaces("udp://239.77.0.1:5601", "").Valid() || !InterfacesJoined(kGroup).empty()) {
    return kBadUrlJoined;
  }

  // No address in the interface text: every card but the loopback.
  platform::Socket socket = JoinGroupOnInterfaces(kUrl, "");
  if (!socket.Valid()) return kNothingOpened;
  if (InterfacesJoined(kGroup) != std::set<std::string>{"cvjoin0", "cvjoin1"}) return kEveryInterfaceWrong;
  const platform::SocketHandle every = socket.Get();
  LeaveGroupOnInterfaces(kUrl, "", socket);
  if (socket.Valid() || !Closed(every)) return kSocketLeftOpen;
  if (!InterfacesJoined(kGroup).empty()) return kMembershipsLeft;

  // An address: that card only.
  socket = JoinGroupOnInterfaces(kUrl, "10.77.2.1");
  if (!socket.Valid()) return kNothingOpened;
  if (InterfacesJoined(kGroup) != std::set<std::string>{"cvjoin1"}) return kOneInterfaceWrong;
  LeaveGroupOnInterfaces(kUrl, "10.77.2.1", socket);
  if (socket.Valid() || !InterfacesJoined(kGroup).empty()) return kMembershipsLeft;

  // The loopback named by its address: joined there, and the group's datagrams arrive on the socket.
  socket = JoinGroupOnInterfaces(kUrl, "127.0.0.1");
  if (!socket.Valid()) return kNothingOpened;
  if (InterfacesJoined(kGroup) != std::set<std::string>{"lo"}) return kLoopbackWrong;
  platform::Socket sender = platform::CreateUdpSocket();
  if (!sender.Valid() || !test_support::SetMulticastSender(sender.Get(), platform::InetAddr("127.0.0.1"), 1) ||
      !test_support::SendTo(sender.Get(), "channel", 7, platform::InetAddr(kGroup), kPort)) {
    return kSenderFailed;
  }
  char buffer[16];
  if (test_support::WaitReadable(socket.Get(), 1000) != 1 || platform::Receive(socket.Get(), buffer, sizeof buffer) != 7) {
    return kNotDelivered;
  }
  LeaveGroupOnInterfaces(kUrl, "127.0.0.1", socket);
  if (socket.Valid() || !InterfacesJoined(kGroup).empty()) return kMembershipsLeft;

  // Descriptor 0 is a socket like any other: the join that gets it still holds and leaves its membership.
  close(0);
  socket = JoinGroupOnInterfaces(kUrl, "127.0.0.1");
  if (socket.Get() != 0) return kNotDescriptorZero;
  if (InterfacesJoined(kGroup) != std::set<std::string>{"lo"}) return kLoopbackWrong;
  LeaveGroupOnInterfaces(kUrl, "127.0.0.1", socket);
  if (socket.Valid() || !Closed(0) || !InterfacesJoined(kGroup).empty()) return kMembershipsLeft;
  return kPassed;
}

TEST(GroupJoinPosixTest, JoinsAndLeavesOnOneInterfaceOrOnEvery) {
  const int result = test_support::ExitCodeOfChild(JoinChild);
  if (result == test_support::kChildCannotRun) GTEST_SKIP() << "no private network namespace with tun devices here";
  EXPECT_EQ(result, kPassed);
}

}  // namespace
