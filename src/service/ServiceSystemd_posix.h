#pragma once
// What the service side and the control side share about services under systemd: control codes travel
// as signals (the table is in ServiceDispatcher.h) and states as the names in STATUS= lines.
#include <csignal>
#include <cstdint>

#include "service/ServiceStatus.h"

namespace platform {

// SIGRTMIN+n carries the code n for every code up to this one.
constexpr std::uint32_t kHighestSignalledControl = 16;

// 0 when the signal carries no control.
inline std::uint32_t ControlCodeOfSignal(int signal) {
  if (signal == SIGTERM || signal == SIGINT) return kControlStop;
  if (signal == SIGUSR1) return kControlPause;
  if (signal == SIGUSR2) return kControlContinue;
  if (signal == SIGHUP) return kControlInterrogate;
  const int code = signal - SIGRTMIN;
  return code >= 1 && code <= static_cast<int>(kHighestSignalledControl) ? static_cast<std::uint32_t>(code) : 0;
}

// 0 when the code has no signal.
inline int SignalOfControlCode(std::uint32_t code) {
  switch (code) {
    case kControlStop:
      return SIGTERM;
    case kControlPause:
      return SIGUSR1;
    case kControlContinue:
      return SIGUSR2;
    case kControlInterrogate:
      return SIGHUP;
    default:
      return code >= 1 && code <= kHighestSignalledControl ? SIGRTMIN + static_cast<int>(code) : 0;
  }
}

inline const char* ServiceStateName(std::uint32_t state) {
  switch (state) {
    case kServiceStopped:
      return "stopped";
    case kServiceStartPending:
      return "start pending";
    case kServiceStopPending:
      return "stop pending";
    case kServiceRunning:
      return "running";
    case kServiceContinuePending:
      return "continue pending";
    case kServicePausePending:
      return "pause pending";
    case kServicePaused:
      return "paused";
    default:
      return "unknown";
  }
}

inline sigset_t ControlSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (const int signal : {SIGTERM, SIGINT, SIGUSR1, SIGUSR2, SIGHUP}) sigaddset(&signals, signal);
  for (std::uint32_t code = 1; code <= kHighestSignalledControl; ++code) {
    sigaddset(&signals, SIGRTMIN + static_cast<int>(code));
  }
  return signals;
}

}  // namespace platform
