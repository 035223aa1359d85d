#include "netutil/HostInfo.h"

#include <gtest/gtest.h>

#include "platform/LoopbackPorts.h"
#include "test_support/TestSockets.h"
#include "platform/Socket.h"

namespace {

TEST(Md5Hex, KnownDigests) {
  EXPECT_EQ(Md5Hex(""), "");
  EXPECT_EQ(Md5Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(Md5Hex("c:\\program files\\corvane\\corvane.exe").size(), 32u);
  EXPECT_EQ(Md5Hex(std::string(1000000, 'a')), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(LocalAddressText, BarsAroundEveryAddress) {
  using platform::InterfaceEntry;
  EXPECT_EQ(LocalAddressTextOf({}), "|");
  EXPECT_EQ(LocalAddressTextOf({InterfaceEntry{platform::InetAddr("192.168.0.5"), false},
                                InterfaceEntry{platform::InetAddr("127.0.0.1"), true}}),
            "|192.168.0.5|127.0.0.1|");
  // The host always has its loopback interface.
  EXPECT_NE(LocalAddressText().find("|127.0.0.1|"), std::string::npos);
  for (const std::string& address : ListInterfaceAddresses()) EXPECT_NE(address, "127.0.0.1");
}

TEST(CountEstablished, OnlyEstablishedOnThePort) {
  using platform::TcpRow;
  EXPECT_EQ(CountEstablishedIn({}, 80), -1);
  const std::vector<TcpRow> rows = {{platform::kTcpStateEstablished, 7782}, {platform::kTcpStateEstablished, 7782},
                                    {2, 7782}, {11, 7782}, {platform::kTcpStateEstablished, 80}};
  EXPECT_EQ(CountEstablishedIn(rows, 7782), 2);
  EXPECT_EQ(CountEstablishedIn(rows, 81), 0);
}

TEST(CountEstablished, CountsTheServedSideOfRealConnections) {
  ASSERT_TRUE(platform::StartSockets());
  std::uint16_t port = 0;
  platform::Socket listener = test_support::ListenOnFreeLoopbackPort(port);
  ASSERT_TRUE(listener.Valid());
  EXPECT_EQ(CountEstablishedOnPort(port), 0);  // the listening socket itself never counts

  platform::Socket first = test_support::ConnectIPv4(test_support::Loopback(), port);
  platform::Socket second = test_support::ConnectIPv4(test_support::Loopback(), port);
  platform::Socket servedFirst = platform::Accept(listener.Get());
  platform::Socket servedSecond = platform::Accept(listener.Get());
  ASSERT_TRUE(servedFirst.Valid() && servedSecond.Valid());
  EXPECT_EQ(CountEstablishedOnPort(port), 2);

  servedFirst.Close();
  first.Close();
  EXPECT_EQ(CountEstablishedOnPort(port), 1);
  platform::StopSockets();
}

TEST(ProductVersion, FileWithoutVersionIsEmpty) {
  EXPECT_EQ(GetProductVersionText("no such file.exe"), "");
}

}  // namespace
