#pragma once
// The record a service manager keeps for every service, and the numbers that fill it. The values are
// those of the Windows service control manager; the Linux layer speaks the same numbers.
#include <cstdint>

namespace platform {

struct ServiceStatusRecord {
  std::uint32_t serviceType = 0;
  std::uint32_t currentState = 0;
  std::uint32_t controlsAccepted = 0;
  std::uint32_t win32ExitCode = 0;
  std::uint32_t serviceSpecificExitCode = 0;
  std::uint32_t checkPoint = 0;
  std::uint32_t waitHint = 0;
};

// Service states.
constexpr std::uint32_t kServiceStopped = 1;
constexpr std::uint32_t kServiceStartPending = 2;
constexpr std::uint32_t kServiceStopPending = 3;
constexpr std::uint32_t kServiceRunning = 4;
constexpr std::uint32_t kServiceContinuePending = 5;
constexpr std::uint32_t kServicePausePending = 6;
constexpr std::uint32_t kServicePaused = 7;

// Control codes.
constexpr std::uint32_t kControlStop = 1;
constexpr std::uint32_t kControlPause = 2;
constexpr std::uint32_t kControlContinue = 3;
constexpr std::uint32_t kControlInterrogate = 4;
constexpr std::uint32_t kControlShutdown = 5;

// Controls a service accepts (bits of controlsAccepted).
constexpr std::uint32_t kAcceptStop = 0x1;
constexpr std::uint32_t kAcceptPauseContinue = 0x2;
constexpr std::uint32_t kAcceptShutdown = 0x4;

// A service in a process of its own that may interact with the desktop.
constexpr std::uint32_t kServiceOwnProcessInteractive = 0x110;

// win32ExitCode meaning "see serviceSpecificExitCode" (ERROR_SERVICE_SPECIFIC_ERROR).
constexpr std::uint32_t kServiceSpecificError = 1066;

}  // namespace platform
