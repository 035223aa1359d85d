#include "platform/SuspendableThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "platform/Thread.h"
#include "test_support/Ticks.h"
#include "platform/ThreadMessages.h"

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
