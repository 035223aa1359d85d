#include "platform/PauseTimer.h"

#include "platform/WinHandles.h"

namespace platform {
namespace {

// Windows 10 version 1803 and later; older systems refuse the flag and Sleep serves instead.
constexpr DWORD kHighResolutionTimer = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION

}  // namespace

PauseTimer::PauseTimer() {
  ScopedHandle timer(CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS));
  timer_ = reinterpret_cast<std::uintptr_t>(timer.Release());
}

PauseTimer::~PauseTimer() { ScopedHandle owned(reinterpret_cast<HANDLE>(timer_)); }

void PauseTimer::Pause(unsigned microseconds) {
  if (timer_ != 0) {
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(microseconds) * 10;  // relative, in units of 100 ns
    const HANDLE timer = reinterpret_cast<HANDLE>(timer_);
    if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE) &&
        WaitForSingleObject(timer, INFINITE) == WAIT_OBJECT_0) {
      return;
    }
  }
  Sleep((microseconds + 999) / 1000);
}

}  // namespace platform
