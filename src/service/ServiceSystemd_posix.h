#pragma once
// What the service side and the control side share about services under systemd: the numbers of the signals
// that carry control codes (which signal carries which code is in SystemdRules.h).
#include <csignal>
#include <cstdint>

#include "service/SystemdRules.h"

namespace platform {

inline int SignalNumber(ControlSignal signal) {
  switch (signal.kind) {
    case ControlSignalKind::Terminate:
      return SIGTERM;
    case ControlSignalKind::Interrupt:
      return SIGINT;
    case ControlSignalKind::User1:
      return SIGUSR1;
    case ControlSignalKind::User2:
      return SIGUSR2;
    case ControlSignalKind::HangUp:
      return SIGHUP;
    case ControlSignalKind::RealTime:
      return SIGRTMIN + signal.realTimeOffset;
    case ControlSignalKind::None:
      break;
  }
  return 0;
}

// 0 when the signal carries no control.
inline std::uint32_t ControlCodeOfSignal(int signal) {
  for (const ControlSignalKind kind : {ControlSignalKind::Terminate, ControlSignalKind::Interrupt,
                                       ControlSignalKind::User1, ControlSignalKind::User2, ControlSignalKind::HangUp}) {
    if (signal == SignalNumber({kind, 0})) return ControlCodeCarriedBy({kind, 0});
  }
  return ControlCodeCarriedBy({ControlSignalKind::RealTime, signal - SIGRTMIN});
}

// 0 when the code has no signal.
inline int SignalOfControlCode(std::uint32_t code) { return SignalNumber(SignalCarrying(code)); }

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
