#include "service/ControlTable.h"

namespace {

using namespace platform;

constexpr std::uint32_t kAnyState = 0;

struct ControlRow {
  std::uint32_t state;
  std::uint32_t code;
  std::vector<PumpStep> steps;
};

// The first row that matches state and code decides; a code without a row calls the control hook only.
const std::vector<ControlRow>& ControlRows() {
  using S = PumpStep;
  static const auto* rows = new std::vector<ControlRow>{
      {kServiceRunning, kControlStop, {S::ReportStopPending, S::StopHook, S::ReportStopped, S::EndThreads}},
      {kServicePaused, kControlStop, {S::ReportStopPending, S::StopHook, S::ReportStopped, S::EndThreads}},
      {kAnyState, kControlStop, {}},
      {kServiceRunning,
       kControlPause,
       {S::ReportPausePending, S::PauseHook, S::SuspendWorker, S::ReportPaused, S::ControlHook}},
      {kServicePaused,
       kControlContinue,
       {S::ReportContinuePending, S::ContinueHook, S::ResumeWorker, S::ReportRunning, S::ControlHook}},
      {kAnyState, kControlInterrogate, {S::ReportAgain, S::InterrogateHook, S::ControlHook}},
      {kAnyState, kControlShutdown, {S::ShutdownHook, S::ControlHook}},
  };
  return *rows;
}

}  // namespace

std::vector<PumpStep> ControlSteps(std::uint32_t currentState, std::uint32_t code) {
  for (const ControlRow& row : ControlRows()) {
    if (row.code == code && (row.state == kAnyState || row.state == currentState)) return row.steps;
  }
  return {PumpStep::ControlHook};
}

std::vector<PumpStep> ExecuteFailedSteps() { return {PumpStep::ReportFailed, PumpStep::AwaitWorkerThenEnd}; }

std::uint32_t ReportedState(PumpStep step) {
  switch (step) {
    case PumpStep::ReportStopPending:
      return kServiceStopPending;
    case PumpStep::ReportStopped:
    case PumpStep::ReportFailed:
      return kServiceStopped;
    case PumpStep::ReportPausePending:
      return kServicePausePending;
    case PumpStep::ReportPaused:
      return kServicePaused;
    case PumpStep::ReportContinuePending:
      return kServiceContinuePending;
    case PumpStep::ReportRunning:
      return kServiceRunning;
    default:
      return 0;
  }
}

ServiceStatusRecord NextStatus(const ServiceStatusRecord& previous, std::uint32_t acceptedControls,
                               std::uint32_t state, std::uint32_t win32ExitCode, std::uint32_t waitHint,
                               std::uint32_t serviceSpecificExitCode) {
  ServiceStatusRecord next = previous;
  next.controlsAccepted = state == kServiceStartPending ? 0 : acceptedControls;
  next.currentState = state;
  next.win32ExitCode = win32ExitCode;
  next.serviceSpecificExitCode = serviceSpecificExitCode;
  next.waitHint = waitHint;
  next.checkPoint = state == kServiceRunning || state == kServiceStopped ? 0 : previous.checkPoint + 1;
  return next;
}
