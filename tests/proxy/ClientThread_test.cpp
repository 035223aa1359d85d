#include "proxy/ClientThread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <memory>
#include <new>

#include "base/ProcessValues.h"
#include "platform/Thread.h"
#include "platform/LoopbackPorts.h"
#include "proxy/ProxyLog.h"
#include "test_support/TestSockets.h"

namespace {

bool LogHasWithin10s(const std::string& text) {
  for (int i = 0; i < 1000; ++i) {
    if (ProxyLog().Text().find(text) != std::string::npos) return true;
    platform::SleepMilliseconds(10);
  }
  return false;
}

TEST(ClientThreads, AConnectionThatThrowsEndsAloneAndTheLogSaysWhy) {
  ASSERT_TRUE(platform::StartSockets());
  std::uint16_t port = 0;
  const platform::Socket listener = test_support::ListenOnFreeLoopbackPort(port);
  ASSERT_TRUE(listener.Valid());
  const platform::Socket player = test_support::ConnectIPv4(test_support::Loopback(), port);
  auto client = std::make_shared<ClientThread>();
  client->clientSocket = platform::Accept(listener.Get());
  client->clientAddress = "127.0.0.1";
  client->multicastSocket = platform::CreateUdpSocket();
  auto handle = std::make_shared<std::promise<std::uint64_t>>();
  std::future<std::uint64_t> handleOfThread = handle->get_future();

  // On a thread of its own, as the listener starts it: an exception that got out would end this whole test program.
  ASSERT_TRUE(platform::StartDetachedThread([client, handle](std::uint64_t number) {
    client->threadHandle = number;
    handle->set_value(number);
    RunClientThread(*client, [](ClientThread&) { throw std::bad_alloc(); });
  }));
  ASSERT_EQ(handleOfThread.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  const std::string prefix = ConnectionLogPrefix(handleOfThread.get(), "127.0.0.1");
  const std::string why = prefix + "] Thread terminating, out of memory\r\n";
  const std::string end = prefix + "] Connection closed, thread terminated\r\n";
  ASSERT_TRUE(LogHasWithin10s(end));
  const std::string log = ProxyLog().Text();
  ASSERT_NE(log.find(why), std::string::npos);
  EXPECT_LT(log.find(end), log.find(why)) << "newest first: the reason comes before the end";
  // The player sees its connection end.
  char byte = 0;
  ASSERT_EQ(test_support::WaitReadable(player.Get(), 10000), 1);
  EXPECT_EQ(platform::Receive(player.Get(), &byte, 1), 0);
}

// Client threads are never waited for: one may still send its reply, "Server: " line and all, while the
// process exits.
TEST(ClientThreadsDeathTest, TheServerSignatureOutlivesTheExit) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  static const char* const kSignature = "corvane/2.7.4.0 long enough to be kept on the heap";
  EXPECT_EXIT(
      {
        // Registered before the values exist, so it runs after whatever the exit destroys.
        std::atexit([] {
          if (ServerSignature() != kSignature) std::_Exit(3);
        });
        SetProcessValues("2.7.4.0", kSignature, "0123456789abcdef0123456789abcdef");
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
