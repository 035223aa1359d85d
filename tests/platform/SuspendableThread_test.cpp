#include "platform/SuspendableThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>

#include "platform/LoopbackPorts.h"
#include "platform/Thread.h"
#include "service/ThreadMessages.h"
#include "test_support/TestSockets.h"
#include "test_support/Ticks.h"

namespace {

using platform::SleepMilliseconds;
using platform::SuspendableThread;

TEST(SuspendableThreadTest, SuspensionsCountAndEachNeedsItsResume) {
  auto ticks = std::make_shared<std::atomic<long>>(0);
  auto running = std::make_shared<std::atomic<bool>>(true);
  {
    SuspendableThread thread([ticks, running] {
      while (*running) {
        platform::HoldPoint();
        ++*ticks;
        SleepMilliseconds(1);
      }
    });
    ASSERT_TRUE(thread.Valid());
    EXPECT_NE(thread.Id(), 0u);
    EXPECT_TRUE(StandsStill(*ticks)) << "the body ran before the first resume";
    ASSERT_TRUE(thread.Resume());
    EXPECT_TRUE(Moves(*ticks));

    ASSERT_TRUE(thread.Suspend());
    ASSERT_TRUE(thread.Suspend());
    EXPECT_TRUE(StandsStill(*ticks));
    ASSERT_TRUE(thread.Resume());
    EXPECT_TRUE(StandsStill(*ticks)) << "one resume undid two suspensions";
    ASSERT_TRUE(thread.Resume());
    EXPECT_TRUE(Moves(*ticks));

    thread.Terminate();
    EXPECT_TRUE(StandsStill(*ticks));
  }
  *running = false;
}

// A thread held inside a lock would stop every thread that needs the lock: the service's worker held in the
// log's lock froze every connection and the service's own stop.
TEST(SuspendableThreadTest, HeldOnlyAtItsSafePointNeverInsideALock) {
  struct Shared {
    std::mutex lock;
    std::atomic<long> ticks{0};
  };
  auto shared = std::make_shared<Shared>();
  SuspendableThread thread([shared] {
    for (;;) {
      platform::HoldPoint();
      const std::lock_guard<std::mutex> guard(shared->lock);
      ++shared->ticks;
      SleepMilliseconds(1);
    }
  });
  const auto lockWithin2s = [&shared] {
    for (int i = 0; i < 2000; ++i) {
      if (shared->lock.try_lock()) return true;
      SleepMilliseconds(1);
    }
    return false;
  };
  ASSERT_TRUE(thread.Resume());
  for (int pause = 0; pause < 20; ++pause) {
    ASSERT_TRUE(Moves(shared->ticks));
    ASSERT_TRUE(thread.Suspend());
    ASSERT_TRUE(lockWithin2s()) << "held inside the lock, pause " << pause;
    shared->lock.unlock();
    ASSERT_TRUE(thread.Resume());
  }
  thread.Terminate();
}

// The service's listener: held between two connections, which wait in the backlog meanwhile.
TEST(SuspendableThreadTest, AListenerIsHeldBetweenConnections) {
  ASSERT_TRUE(platform::StartSockets());
  std::uint16_t port = 0;
  auto listener = std::make_shared<platform::Socket>(test_support::ListenOnFreeLoopbackPort(port));
  ASSERT_TRUE(listener->Valid());
  auto accepted = std::make_shared<std::atomic<long>>(0);
  SuspendableThread thread([listener, accepted] {
    for (;;) {
      if (platform::WaitForConnection(listener->Get()) && platform::Accept(listener->Get()).Valid()) ++*accepted;
    }
  });
  const auto reaches = [&accepted](long count) {
    for (int i = 0; i < 10000 && *accepted < count; ++i) SleepMilliseconds(1);
    return *accepted == count;
  };
  ASSERT_TRUE(thread.Resume());
  const platform::Socket first = test_support::ConnectIPv4(test_support::Loopback(), port);
  ASSERT_TRUE(reaches(1));

  ASSERT_TRUE(thread.Suspend());
  const platform::Socket second = test_support::ConnectIPv4(test_support::Loopback(), port);
  ASSERT_TRUE(second.Valid());
  EXPECT_TRUE(StandsStill(*accepted));
  EXPECT_EQ(*accepted, 1) << "a connection was taken while held";
  // Continues that come hard on the heels of their pauses are never lost.
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(thread.Resume());
    ASSERT_TRUE(thread.Suspend());
  }
  ASSERT_TRUE(thread.Resume());
  EXPECT_TRUE(reaches(2));
  const platform::Socket third = test_support::ConnectIPv4(test_support::Loopback(), port);
  EXPECT_TRUE(reaches(3));
  thread.Terminate();
}

TEST(SuspendableThreadTest, ABodyThatNeverRanIsEndedWithItsThread) {
  auto ran = std::make_shared<std::atomic<bool>>(false);
  { SuspendableThread thread([ran] { *ran = true; }); }
  {
    SuspendableThread thread([ran] { *ran = true; });
    thread.Terminate();
    thread.Resume();
    SleepMilliseconds(100);
  }
  EXPECT_FALSE(*ran);
}

TEST(SuspendableThreadTest, MessagesReachTheQueueOfTheThreadOnce) {
  auto received = std::make_shared<std::atomic<std::uintptr_t>>(0);
  auto queueReady = std::make_shared<std::atomic<bool>>(false);
  SuspendableThread thread([received, queueReady] {
    platform::CreateThreadMessageQueue();
    *queueReady = true;
    std::uint32_t message = 0;
    std::uintptr_t parameter = 0;
    while (!platform::TakeThreadMessage(message, parameter) || message != 2024) SleepMilliseconds(1);
    *received = parameter;
  });
  // Without a queue yet, a post fails.
  EXPECT_FALSE(platform::PostThreadMessageTo(thread.Id(), 2024, 1));
  ASSERT_TRUE(thread.Resume());
  for (int i = 0; i < 10000 && !*queueReady; ++i) SleepMilliseconds(1);
  ASSERT_TRUE(*queueReady);
  EXPECT_TRUE(platform::PostThreadMessageTo(thread.Id(), 2025, 5));
  EXPECT_TRUE(platform::PostThreadMessageTo(thread.Id(), 2024, 42));
  for (int i = 0; i < 10000 && *received == 0; ++i) SleepMilliseconds(1);
  EXPECT_EQ(*received, 42u);
}

}  // namespace
