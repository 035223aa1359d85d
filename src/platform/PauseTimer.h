#pragma once
// Short pauses of the calling thread, as exact as the system allows.
#include <cstdint>

namespace platform {

// Sleep on Windows rounds a pause up to the system's timer tick (15.6 ms unless some program asked
// for finer), far beyond the few milliseconds a stream may rest; a high-resolution waitable timer,
// where the system has one, keeps the pause to its length. Elsewhere sleeping is exact enough.
// One per thread: it is not shared.
class PauseTimer {
 public:
  PauseTimer();
  ~PauseTimer();
  PauseTimer(const PauseTimer&) = delete;
  PauseTimer& operator=(const PauseTimer&) = delete;

  void Pause(unsigned microseconds);

 private:
  std::uintptr_t timer_ = 0;  // the waitable timer on Windows, 0 when there is none
};

}  // namespace platform
