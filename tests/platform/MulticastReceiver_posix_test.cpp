#include "platform/MulticastReceiver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ChildProcess_posix.h"
#include "test_support/TestSockets.h"

namespace {

// Exit codes of the child.
enum : int { kPassed = 0, kSetupFailed = 10, kReceiveFailed, kWrongBytes, kNotFull, kNotEmptyAfterwards };

constexpr std::uint16_t kPort = 5520;

platform::Socket Receiver(const char* group) {
  platform::Socket socket = platform::CreateUdpSocket();
  const std::uint32_t address = platform::InetAddr(group);
  const std::uint32_t loopback = platform::InetAddr("127.0.0.1");
  if (!socket.Valid() || !platform::SetReuseAddress(socket.Get(), true) ||
      !platform::BindMulticastReceiver(socket.Get(), address, loopback, kPort) ||
      !platform::SetReceiveBufferSize(socket.Get(), 4194304) || !platform::JoinGroup(socket.Get(), address, loopback) ||
      !platform::SetReceiveTimeout(socket.Get(), 10)) {
    socket.Close();
  }
  return socket;
}

std::string Joined(const platform::DatagramBatch& batch) {
  std::string bytes;
  for (const platform::ByteRange& piece : batch.Taken()) bytes.append(piece.data, piece.size);
  return bytes;
}

// A backlog of datagrams of every size for one group, another group's on the same port between
// them: receives take them whole and in order, as many at once as the batch holds, and only the
// socket's own group. Runs in a private network namespace, so nothing is sent on a real interface.
int BatchChild() {
  if (!test_support::EnterPrivateNetwork(true)) return test_support::kChildCannotRun;
  platform::Socket own = Receiver("239.5.5.1");
  platform::Socket other = Receiver("239.5.5.2");
  platform::Socket sender = platform::CreateUdpSocket();
  if (!own.Valid() || !other.Valid() || !sender.Valid() ||
      !test_support::SetMulticastSender(sender.Get(), platform::InetAddr("127.0.0.1"), 1)) {
    return kSetupFailed;
  }
  std::string expected;
  for (int i = 0; i < 40; ++i) {
    const std::size_t size = i == 7 ? 65507 : i == 11 ? 0 : 1316;
    const std::string datagram(size, static_cast<char>('A' + i % 26));
    if (!test_support::SendTo(sender.Get(), datagram.data(), size, platform::InetAddr("239.5.5.1"), kPort) ||
        !test_support::SendTo(sender.Get(), "other", 5, platform::InetAddr("239.5.5.2"), kPort)) {
      return kSetupFailed;
    }
    expected += datagram;
  }
  platform::DatagramBatch batch;
  std::string received;
  bool sawFull = false;
  while (received.size() < expected.size()) {
    if (!platform::ReceiveDatagrams(own.Get(), platform::InetAddr("239.5.5.1"), batch)) return kReceiveFailed;
    if (batch.Taken().empty()) return kWrongBytes;
    sawFull = sawFull || batch.Full();
    received += Joined(batch);
  }
  if (received != expected) return kWrongBytes;
  if (!sawFull) return kNotFull;
  // Nothing left: the receive waits its time-out and takes nothing.
  if (!platform::ReceiveDatagrams(own.Get(), platform::InetAddr("239.5.5.1"), batch) || !batch.Taken().empty() ||
      batch.Full()) {
    return kNotEmptyAfterwards;
  }
  return kPassed;
}

TEST(MulticastReceiverPosixTest, BatchesTakeTheOwnGroupsDatagramsWholeAndInOrder) {
  const int result = test_support::ExitCodeOfChild(BatchChild);
  if (result == test_support::kChildCannotRun) GTEST_SKIP() << "no permission to create a network namespace";
  EXPECT_EQ(result, kPassed);
}

}  // namespace
