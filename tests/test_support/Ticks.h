#pragma once
// Whether a thread that counts ticks runs: for tests of suspended, resumed and ended threads.
#include <atomic>

#include "platform/Thread.h"

// True when the counter moves within ten seconds.
inline bool Moves(const std::atomic<long>& ticks) {
  const long start = ticks;
  for (int i = 0; i < 10000 && ticks == start; ++i) platform::SleepMilliseconds(1);
  return ticks != start;
}

// True when the counter stands still for 300 ms (after 50 ms for a suspension under way to take hold).
inline bool StandsStill(const std::atomic<long>& ticks) {
  platform::SleepMilliseconds(50);
  const long start = ticks;
  platform::SleepMilliseconds(300);
  return ticks == start;
}
