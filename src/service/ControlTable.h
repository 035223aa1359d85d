#pragma once
// What a service's control pump does for a control code in the service's current state, and how each
// status report moves the checkpoint. Plain functions over plain data.
#include <cstdint>
#include <vector>

#include "service/ServiceStatus.h"

enum class PumpStep {
  ReportStopPending,
  ReportStopped,
  ReportPausePending,
  ReportPaused,
  ReportContinuePending,
  ReportRunning,
  ReportFailed,  // stopped, with the execute action's service-specific exit code
  ReportAgain,   // the unchanged record once more
  StopHook,
  PauseHook,
  ContinueHook,
  InterrogateHook,
  ShutdownHook,
  ControlHook,
  SuspendWorker,
  ResumeWorker,
  EndThreads,  // the worker ends, and the pump after this step
  // The failed worker is on its way out by itself: the pump waits for it (forcing it could catch it
  // inside a lock of the runtime's), then ends.
  AwaitWorkerThenEnd,
};

// The steps for a control code, in order. Pause acts only on a running service and continue only on a
// paused one, so suspensions and resumptions of the worker always pair up.
std::vector<PumpStep> ControlSteps(std::uint32_t currentState, std::uint32_t code);

// The steps when the execute action has failed.
std::vector<PumpStep> ExecuteFailedSteps();

// The state a step reports, 0 for a step that reports no new state.
std::uint32_t ReportedState(PumpStep step);

// The record after a report: controls accepted are none while start pending, else acceptedControls;
// state and exit codes as given; the checkpoint is 0 for running and stopped, else the previous one plus one.
platform::ServiceStatusRecord NextStatus(const platform::ServiceStatusRecord& previous,
                                         std::uint32_t acceptedControls, std::uint32_t state,
                                         std::uint32_t win32ExitCode, std::uint32_t waitHint,
                                         std::uint32_t serviceSpecificExitCode);
