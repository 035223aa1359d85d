#include "platform/Socket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/LoopbackPorts.h"
#include "test_support/TestSockets.h"

namespace {

using test_support::Loopback;

class SocketTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(platform::StartSockets()); }
  void TearDown() override { platform::StopSockets(); }

  // A connected pair over loopback: client_ and served_.
  void Connect() {
    listener_ = test_support::ListenOnFreeLoopbackPort(port_);
    ASSERT_TRUE(listener_.Valid());
    client_ = test_support::ConnectIPv4(Loopback(), port_);
    ASSERT_TRUE(client_.Valid());
    served_ = platform::Accept(listener_.Get());
    ASSERT_TRUE(served_.Valid());
  }

  platform::Socket listener_, client_, served_;
  std::uint16_t port_ = 0;
};

TEST_F(SocketTest, DottedAddressesConvertBothWays) {
  const std::uint32_t address = platform::InetAddr("192.168.0.20");
  unsigned char bytes[4];
  std::memcpy(bytes, &address, 4);  // network order: the first octet comes first
  EXPECT_EQ(bytes[0], 192);
  EXPECT_EQ(bytes[1], 168);
  EXPECT_EQ(bytes[2], 0);
  EXPECT_EQ(bytes[3], 20);
  EXPECT_EQ(platform::InetNtoa(address), "192.168.0.20");
  EXPECT_EQ(platform::InetNtoa(platform::InetAddr("0.0.0.0")), "0.0.0.0");
  EXPECT_EQ(platform::InetAddr("0.0.0.0"), 0u);
}

TEST_F(SocketTest, BadAddressTextGivesAddressNone) {
  EXPECT_EQ(platform::InetAddr("not an address"), 0xFFFFFFFFu);
  EXPECT_EQ(platform::InetAddr("1.2.3.256"), 0xFFFFFFFFu);
  EXPECT_EQ(platform::InetAddr("255.255.255.255"), 0xFFFFFFFFu);
}

TEST_F(SocketTest, ConnectionCarriesBytesBothWaysAndNamesThePeer) {
  Connect();
  EXPECT_EQ(platform::PeerAddressText(served_.Get()), "127.0.0.1");
  EXPECT_EQ(platform::LocalEndpointText(served_.Get()), "127.0.0.1:" + std::to_string(port_));

  const std::string request = "GET /status HTTP/1.0\r\n\r\n";
  ASSERT_TRUE(platform::SendAll(client_.Get(), request.data(), request.size()));
  ASSERT_EQ(test_support::WaitReadable(served_.Get(), 5000), 1);
  char buffer[256];
  EXPECT_EQ(platform::Receive(served_.Get(), buffer, sizeof buffer), static_cast<int>(request.size()));
  EXPECT_EQ(std::string(buffer, request.size()), request);

  ASSERT_TRUE(platform::SendAll(served_.Get(), "ok", 2));
  ASSERT_EQ(test_support::WaitReadable(client_.Get(), 5000), 1);
  EXPECT_EQ(platform::Receive(client_.Get(), buffer, sizeof buffer), 2);
}

TEST_F(SocketTest, SendAllDeliversALargeBufferWhole) {
  Connect();
  const std::string data(4 * 1024 * 1024, 'x');
  std::size_t received = 0;
  bool sent = false;
  // The reader must run while the sender blocks on a full window.
  std::thread sender([&] { sent = platform::SendAll(client_.Get(), data.data(), data.size()); });
  char buffer[65536];
  while (received < data.size()) {
    const int count = platform::Receive(served_.Get(), buffer, sizeof buffer);
    if (count <= 0) break;
    received += static_cast<std::size_t>(count);
  }
  sender.join();
  EXPECT_TRUE(sent);
  EXPECT_EQ(received, data.size());
}

TEST_F(SocketTest, SendAllGatheredDeliversEveryPieceInOrder) {
  Connect();
  // Pieces of many sizes, empty ones among them, more than a full window in all, so that sends come
  // back short in the middle of a piece.
  std::vector<std::string> pieces;
  std::string expected;
  for (int i = 0; i < 300; ++i) {
    pieces.push_back(std::string(i % 7 == 3 ? 0 : (i * 7919) % 40000 + 1, static_cast<char>('a' + i % 26)));
    expected += pieces.back();
  }
  std::vector<platform::ByteRange> ranges;
  for (const std::string& piece : pieces) ranges.push_back(platform::ByteRange{piece.data(), piece.size()});
  bool sent = false;
  std::thread sender([&] { sent = platform::SendAllGathered(client_.Get(), ranges.data(), ranges.size()); });
  std::string received;
  char buffer[65536];
  while (received.size() < expected.size()) {
    const int count = platform::Receive(served_.Get(), buffer, sizeof buffer);
    if (count <= 0) break;
    received.append(buffer, static_cast<std::size_t>(count));
  }
  sender.join();
  EXPECT_TRUE(sent);
  EXPECT_TRUE(received == expected) << received.size() << " of " << expected.size() << " bytes";
}

TEST_F(SocketTest, OrderlyCloseReadsAsZero) {
  Connect();
  client_.Close();
  ASSERT_EQ(test_support::WaitReadable(served_.Get(), 5000), 1);
  char buffer[16];
  EXPECT_EQ(platform::Receive(served_.Get(), buffer, sizeof buffer), 0);
}

TEST_F(SocketTest, ReceiveTimeoutEndsAWaitingReceive) {
  Connect();
  ASSERT_TRUE(platform::SetReceiveTimeout(served_.Get(), 100));
  const auto start = std::chrono::steady_clock::now();
  char buffer[16];
  EXPECT_EQ(platform::Receive(served_.Get(), buffer, sizeof buffer), -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// A player that goes away must make the proxy's send fail, not end the proxy.
TEST_F(SocketTest, SendingToAClosedPeerFailsWithoutEndingTheProcess) {
  Connect();
  served_.Close();
  const std::string chunk(65536, 'x');
  bool failed = false;
  for (int i = 0; i < 1000 && !failed; ++i) {
    failed = !platform::SendAll(client_.Get(), chunk.data(), chunk.size());
  }
  EXPECT_TRUE(failed);
}

TEST_F(SocketTest, SecondBindToABusyPortFails) {
  std::uint16_t port = 0;
  platform::Socket first = test_support::ListenOnFreeLoopbackPort(port);
  ASSERT_TRUE(first.Valid());
  platform::Socket second = platform::CreateTcpSocket();
  ASSERT_TRUE(second.Valid());
  EXPECT_FALSE(platform::BindIPv4(second.Get(), Loopback(), port));
  EXPECT_NE(platform::LastSocketError(), 0);
}

// Text that is no address reads as 255.255.255.255, which no interface owns; nor does a group address.
TEST_F(SocketTest, BindingAnAddressOfNoInterfaceFails) {
  for (const char* text : {"|", "255.255.255.255", "239.255.0.1"}) {
    SCOPED_TRACE(text);
    platform::Socket tcp = platform::CreateTcpSocket();
    platform::Socket udp = platform::CreateUdpSocket();
    ASSERT_TRUE(tcp.Valid());
    ASSERT_TRUE(udp.Valid());
    EXPECT_FALSE(platform::BindIPv4(tcp.Get(), platform::InetAddr(text), 0));
    EXPECT_NE(platform::LastSocketError(), 0);
    EXPECT_FALSE(platform::BindIPv4(udp.Get(), platform::InetAddr(text), 0));
  }
  platform::Socket any = platform::CreateUdpSocket();
  EXPECT_TRUE(platform::BindIPv4(any.Get(), platform::InetAddr("0.0.0.0"), 0));
}

// A proxy started again right after serving clients must get its port back, although the connections it
// closed still linger in TIME_WAIT on it.
TEST_F(SocketTest, ListenerCanRestartOnAPortWithClosedConnections) {
  std::uint16_t port = 0;
  {
    platform::Socket listener = test_support::ListenOnFreeLoopbackPort(port);
    ASSERT_TRUE(listener.Valid());
    platform::Socket client = test_support::ConnectIPv4(Loopback(), port);
    platform::Socket served = platform::Accept(listener.Get());
    ASSERT_TRUE(served.Valid());
    served.Close();  // the server closes first, so the TIME_WAIT is on its side
    char buffer[4];
    ASSERT_EQ(test_support::WaitReadable(client.Get(), 5000), 1);
    ASSERT_EQ(platform::Receive(client.Get(), buffer, sizeof buffer), 0);
  }
  platform::Socket again = platform::CreateTcpSocket();
  ASSERT_TRUE(again.Valid());
  EXPECT_TRUE(platform::BindIPv4(again.Get(), Loopback(), port));
  EXPECT_TRUE(platform::Listen(again.Get(), 16));
}

TEST_F(SocketTest, DatagramsReachALoopbackReceiver) {
  std::uint16_t port = 0;
  platform::Socket receiver = test_support::BindFreeLoopbackPort(platform::CreateUdpSocket, port);
  ASSERT_TRUE(receiver.Valid());
  platform::Socket sender = platform::CreateUdpSocket();
  ASSERT_TRUE(sender.Valid());
  ASSERT_TRUE(test_support::SendTo(sender.Get(), "datagram", 8, Loopback(), port));
  ASSERT_EQ(test_support::WaitReadable(receiver.Get(), 5000), 1);
  char buffer[64];
  EXPECT_EQ(platform::Receive(receiver.Get(), buffer, sizeof buffer), 8);
  EXPECT_EQ(std::string(buffer, 8), "datagram");
}

TEST_F(SocketTest, OptionsAreAccepted) {
  platform::Socket tcp = platform::CreateTcpSocket();
  platform::Socket udp = platform::CreateUdpSocket();
  ASSERT_TRUE(tcp.Valid());
  ASSERT_TRUE(udp.Valid());
  EXPECT_TRUE(platform::SetReuseAddress(udp.Get(), true));
  EXPECT_TRUE(platform::SetReceiveBufferSize(udp.Get(), 1 << 20));
  EXPECT_TRUE(platform::SetNoDelay(tcp.Get(), true));
  EXPECT_TRUE(platform::SetSendTimeout(tcp.Get(), 1000));
  EXPECT_TRUE(platform::SetReceiveTimeout(tcp.Get(), 0));
  EXPECT_TRUE(platform::DeliverOnlyOwnGroups(udp.Get()));
}

TEST_F(SocketTest, ReleasedHandleIsNoLongerOwned) {
  platform::Socket socket = platform::CreateUdpSocket();
  ASSERT_TRUE(socket.Valid());
  platform::Socket owner(socket.Release());
  EXPECT_FALSE(socket.Valid());
  EXPECT_TRUE(owner.Valid());

  platform::Socket moved;
  moved = std::move(owner);
  EXPECT_FALSE(owner.Valid());
  EXPECT_TRUE(moved.Valid());
  EXPECT_TRUE(platform::SetReuseAddress(moved.Get(), true));  // still open
}

TEST_F(SocketTest, FailedCallsReturnTheirFailureValues) {
  EXPECT_FALSE(platform::Accept(platform::kInvalidSocket).Valid());
  EXPECT_EQ(platform::PeerAddressText(platform::kInvalidSocket), "");
  EXPECT_EQ(platform::LocalEndpointText(platform::kInvalidSocket), "");
  char buffer[4];
  EXPECT_EQ(platform::Receive(platform::kInvalidSocket, buffer, sizeof buffer), -1);
  EXPECT_FALSE(platform::SendAll(platform::kInvalidSocket, buffer, sizeof buffer));
}

}  // namespace
