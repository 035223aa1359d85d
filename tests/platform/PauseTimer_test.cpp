#include "platform/PauseTimer.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

TEST(PauseTimer, PausesAtLeastTheTimeAskedForEachTime) {
  platform::PauseTimer timer;
  for (unsigned microseconds : {1u, 2500u, 4000u}) {
    const auto started = std::chrono::steady_clock::now();
    timer.Pause(microseconds);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::microseconds(microseconds));
  }
}

}  // namespace
