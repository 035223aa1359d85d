#include "platform/PauseTimer.h"

#include <time.h>

#include <cerrno>

namespace platform {

PauseTimer::PauseTimer() = default;
PauseTimer::~PauseTimer() = default;

void PauseTimer::Pause(unsigned microseconds) {
  timespec left{};
  left.tv_sec = static_cast<time_t>(microseconds / 1000000);
  left.tv_nsec = static_cast<long>(microseconds % 1000000) * 1000;
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace platform
