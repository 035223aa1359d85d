#include "platform/HostNetwork.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/LoopbackPorts.h"
#include "test_support/TestSockets.h"
#include "platform/Socket.h"

namespace {

class HostNetworkTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(platform::StartSockets()); }
  void TearDown() override { platform::StopSockets(); }
};

bool HasRow(const std::vector<platform::TcpRow>& rows, int state, std::uint16_t localPort) {
  return std::any_of(rows.begin(), rows.end(), [&](const platform::TcpRow& row) {
    return row.state == state && row.localPort == localPort;
  });
}

TEST_F(HostNetworkTest, ListsTheLoopbackInterface) {
  const std::vector<platform::InterfaceEntry> interfaces = platform::ListInterfaces();
  const auto loopback = std::find_if(interfaces.begin(), interfaces.end(), [](const platform::InterfaceEntry& entry) {
    return entry.address == test_support::Loopback();
  });
  ASSERT_NE(loopback, interfaces.end());
  EXPECT_TRUE(loopback->loopback);
}

TEST_F(HostNetworkTest, TcpTableShowsListenerAndEstablishedConnection) {
  std::uint16_t port = 0;
  platform::Socket listener = test_support::ListenOnFreeLoopbackPort(port);
  ASSERT_TRUE(listener.Valid());

  std::vector<platform::TcpRow> rows;
  ASSERT_TRUE(platform::ReadTcpTable(rows));
  EXPECT_TRUE(HasRow(rows, 2, port)) << "listening row";
  EXPECT_FALSE(HasRow(rows, platform::kTcpStateEstablished, port));

  platform::Socket client = test_support::ConnectIPv4(test_support::Loopback(), port);
  ASSERT_TRUE(client.Valid());
  platform::Socket served = platform::Accept(listener.Get());
  ASSERT_TRUE(served.Valid());

  ASSERT_TRUE(platform::ReadTcpTable(rows));
  // The accepted side's local port is the listening port. Not "exactly one such row": tests running beside this
  // one make connections of their own, and one of them was once seen on the same port number.
  EXPECT_TRUE(HasRow(rows, platform::kTcpStateEstablished, port));
  EXPECT_TRUE(HasRow(rows, 2, port));
}

TEST_F(HostNetworkTest, ClosedConnectionIsNoLongerEstablished) {
  std::uint16_t port = 0;
  platform::Socket listener = test_support::ListenOnFreeLoopbackPort(port);
  ASSERT_TRUE(listener.Valid());
  {
    platform::Socket client = test_support::ConnectIPv4(test_support::Loopback(), port);
    ASSERT_TRUE(client.Valid());
    platform::Socket served = platform::Accept(listener.Get());
    ASSERT_TRUE(served.Valid());
  }
  std::vector<platform::TcpRow> rows;
  ASSERT_TRUE(platform::ReadTcpTable(rows));
  EXPECT_FALSE(HasRow(rows, platform::kTcpStateEstablished, port));
}

}  // namespace
