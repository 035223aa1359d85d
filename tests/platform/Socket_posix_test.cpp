#include "platform/Socket.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>

#include "platform/ChildProcess_posix.h"
#include "test_support/TestSockets.h"

namespace {

// Exit codes of the multicast child.
enum : int { kPassed = 0, kSetupFailed = 10, kOwnGroupMissing, kOtherGroupDelivered, kControlNotDelivered };

constexpr std::uint16_t kPort = 5500;

platform::Socket GroupReceiver(const char* group, bool onlyOwnGroups) {
  platform::Socket socket = platform::CreateUdpSocket();
  if (!socket.Valid() || !platform::SetReuseAddress(socket.Get(), true) ||
      !platform::BindIPv4(socket.Get(), platform::InetAddr("0.0.0.0"), kPort) ||
      !platform::JoinGroup(socket.Get(), platform::InetAddr(group), platform::InetAddr("127.0.0.1")) ||
      (onlyOwnGroups && !platform::DeliverOnlyOwnGroups(socket.Get()))) {
    socket.Close();
  }
  return socket;
}

bool Delivers(const platform::Socket& socket) {
  if (test_support::WaitReadable(socket.Get(), 300) != 1) return false;
  char buffer[64];
  return platform::Receive(socket.Get(), buffer, sizeof buffer) > 0;
}

// Two clients watching two channels on the same port, each socket bound to the any address: each must get its
// own channel only. Runs in a private network namespace, so nothing is sent on a real interface.
int MulticastChild() {
  if (!test_support::EnterPrivateNetwork(true)) return test_support::kChildCannotRun;
  platform::Socket first = GroupReceiver("239.1.1.1", true);
  platform::Socket second = GroupReceiver("239.2.2.2", true);
  platform::Socket unfiltered = GroupReceiver("239.3.3.3", false);
  platform::Socket sender = platform::CreateUdpSocket();
  if (!first.Valid() || !second.Valid() || !unfiltered.Valid() || !sender.Valid() ||
      !test_support::SetMulticastSender(sender.Get(), platform::InetAddr("127.0.0.1"), 1)) {
    return kSetupFailed;
  }
  if (!test_support::SendTo(sender.Get(), "channel 2", 9, platform::InetAddr("239.2.2.2"), kPort)) return kSetupFailed;
  if (!Delivers(second)) return kOwnGroupMissing;
  if (Delivers(first)) return kOtherGroupDelivered;
  // Without the option Linux hands the other group's datagram to the any-bound socket too: the option matters.
  if (!Delivers(unfiltered)) return kControlNotDelivered;
  return kPassed;
}

TEST(SocketPosixTest, MulticastReceiversGetOnlyTheirOwnGroups) {
  const int result = test_support::ExitCodeOfChild(MulticastChild);
  if (result == test_support::kChildCannotRun) GTEST_SKIP() << "no permission to create a network namespace";
  EXPECT_EQ(result, kPassed);
}

// Linux would bind the broadcast address of a local network, where no interface listens.
TEST(SocketPosixTest, BindingTheLoopbackBroadcastAddressFails) {
  platform::Socket broadcast = platform::CreateTcpSocket();
  platform::Socket local = platform::CreateTcpSocket();
  EXPECT_FALSE(platform::BindIPv4(broadcast.Get(), platform::InetAddr("127.255.255.255"), 0));
  EXPECT_TRUE(platform::BindIPv4(local.Get(), platform::InetAddr("127.0.0.2"), 0));
}

TEST(SocketPosixTest, SocketsAreNotInheritedByOtherPrograms) {
  platform::Socket tcp = platform::CreateTcpSocket();
  platform::Socket udp = platform::CreateUdpSocket();
  ASSERT_TRUE(tcp.Valid());
  ASSERT_TRUE(udp.Valid());
  EXPECT_TRUE(fcntl(static_cast<int>(tcp.Get()), F_GETFD) & FD_CLOEXEC);
  EXPECT_TRUE(fcntl(static_cast<int>(udp.Get()), F_GETFD) & FD_CLOEXEC);
}

}  // namespace
