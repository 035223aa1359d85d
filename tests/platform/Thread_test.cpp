#include "platform/Thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

namespace {

TEST(ThreadTest, BodyRunsWithANonZeroNumber) {
  auto seen = std::make_shared<std::promise<std::uint64_t>>();
  std::future<std::uint64_t> seenByBody = seen->get_future();
  ASSERT_TRUE(platform::StartDetachedThread([seen](std::uint64_t threadNumber) { seen->set_value(threadNumber); }));
  ASSERT_EQ(seenByBody.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_NE(seenByBody.get(), 0u);
}

// Threads that live at the same time carry different numbers, as log lines of concurrent clients need.
TEST(ThreadTest, ConcurrentThreadsHaveDistinctNumbers) {
  constexpr int kThreads = 40;
  struct Shared {
    std::mutex lock;
    std::condition_variable changed;
    bool release = false;
    int finished = 0;
    std::vector<std::uint64_t> numbers;
  };
  auto shared = std::make_shared<Shared>();

  for (int i = 0; i < kThreads; ++i) {
    ASSERT_TRUE(platform::StartDetachedThread([shared](std::uint64_t number) {
      std::unique_lock<std::mutex> guard(shared->lock);
      shared->numbers.push_back(number);
      shared->changed.notify_all();
      shared->changed.wait(guard, [&] { return shared->release; });
      ++shared->finished;
      shared->changed.notify_all();
    }));
  }
  {
    std::unique_lock<std::mutex> guard(shared->lock);
    // All of them run at once before any may end.
    EXPECT_TRUE(shared->changed.wait_for(guard, std::chrono::seconds(10), [&] {
      return shared->numbers.size() == static_cast<std::size_t>(kThreads);
    }));
    shared->release = true;
    shared->changed.notify_all();
    EXPECT_TRUE(shared->changed.wait_for(guard, std::chrono::seconds(10), [&] {
      return shared->finished == kThreads;
    }));
  }

  const std::vector<std::uint64_t> numbers = shared->numbers;
  const std::set<std::uint64_t> distinct(numbers.begin(), numbers.end());
  EXPECT_EQ(distinct.size(), numbers.size());
  EXPECT_EQ(distinct.count(0), 0u);
}

TEST(ThreadTest, SleepLastsAtLeastTheRequestedTime) {
  const auto start = std::chrono::steady_clock::now();
  platform::SleepMilliseconds(60);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  // Windows timers may round a few milliseconds down.
  EXPECT_GE(elapsed, std::chrono::milliseconds(50));
  EXPECT_LT(elapsed, std::chrono::seconds(5));
}

}  // namespace
