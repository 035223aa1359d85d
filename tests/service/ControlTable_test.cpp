#include "service/ControlTable.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using namespace platform;
using S = PumpStep;

constexpr std::uint32_t kAllControls = kAcceptStop | kAcceptPauseContinue | kAcceptShutdown;

// Plays reports through NextStatus the way the pump does and keeps (state, checkpoint) of each.
struct Simulation {
  ServiceStatusRecord status;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> reports;

  Simulation() {
    status.serviceType = kServiceOwnProcessInteractive;
    status.currentState = kServiceStopped;
  }
  void Report(std::uint32_t state) {
    status = NextStatus(status, kAllControls, state, 0, 0, 0);
    reports.emplace_back(status.currentState, status.checkPoint);
  }
  void Control(std::uint32_t code) {
    for (const PumpStep step : ControlSteps(status.currentState, code)) {
      if (step == S::ReportAgain) reports.emplace_back(status.currentState, status.checkPoint);
      if (ReportedState(step) != 0) Report(ReportedState(step));
    }
  }
};

TEST(ControlTableTest, WorkedSequenceOfStatesAndCheckpoints) {
  Simulation service;
  service.Report(kServiceStartPending);
  service.Report(kServiceRunning);
  service.Control(kControlPause);
  service.Control(kControlContinue);
  service.Control(kControlStop);
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected = {
      {kServiceStartPending, 1}, {kServiceRunning, 0},         {kServicePausePending, 1}, {kServicePaused, 2},
      {kServiceContinuePending, 3}, {kServiceRunning, 0},      {kServiceStopPending, 1},  {kServiceStopped, 0}};
  EXPECT_EQ(service.reports, expected);
}

TEST(ControlTableTest, InterrogateShutdownAndUnknownCodesChangeNoState) {
  for (const std::uint32_t state : {kServiceRunning, kServicePaused}) {
    SCOPED_TRACE(state);
    EXPECT_EQ(ControlSteps(state, kControlInterrogate),
              (std::vector<PumpStep>{S::ReportAgain, S::InterrogateHook, S::ControlHook}));
    EXPECT_EQ(ControlSteps(state, kControlShutdown), (std::vector<PumpStep>{S::ShutdownHook, S::ControlHook}));
    for (const std::uint32_t unknown : {0u, 6u, 128u, 200u, 0xFFFFFFFFu}) {
      EXPECT_EQ(ControlSteps(state, unknown), std::vector<PumpStep>{S::ControlHook}) << unknown;
    }
  }
  // Interrogating keeps state and checkpoint: the record is handed over as it is.
  Simulation service;
  service.Report(kServiceStartPending);
  service.Report(kServiceRunning);
  service.Control(kControlPause);
  service.Control(kControlInterrogate);
  service.Control(kControlShutdown);
  service.Control(200);
  ASSERT_EQ(service.reports.size(), 5u);
  EXPECT_EQ(service.reports[4], service.reports[3]);
  EXPECT_EQ(service.reports[4], std::make_pair(kServicePaused, 2u));
}

TEST(ControlTableTest, StopEndsTheThreadsFromRunningAndFromPaused) {
  const std::vector<PumpStep> stop = {S::ReportStopPending, S::StopHook, S::ReportStopped, S::EndThreads};
  EXPECT_EQ(ControlSteps(kServiceRunning, kControlStop), stop);
  EXPECT_EQ(ControlSteps(kServicePaused, kControlStop), stop);
  Simulation paused;
  paused.Report(kServiceStartPending);
  paused.Report(kServiceRunning);
  paused.Control(kControlPause);
  paused.Control(kControlStop);
  EXPECT_EQ(paused.reports.back(), std::make_pair(kServiceStopped, 0u));
  EXPECT_EQ(paused.reports[paused.reports.size() - 2], std::make_pair(kServiceStopPending, 3u));
}

TEST(ControlTableTest, PauseAndContinueActOnlyWhereTheyPairUp) {
  EXPECT_EQ(ControlSteps(kServiceRunning, kControlPause),
            (std::vector<PumpStep>{S::ReportPausePending, S::PauseHook, S::SuspendWorker, S::ReportPaused,
                                   S::ControlHook}));
  EXPECT_EQ(ControlSteps(kServicePaused, kControlContinue),
            (std::vector<PumpStep>{S::ReportContinuePending, S::ContinueHook, S::ResumeWorker, S::ReportRunning,
                                   S::ControlHook}));
  // A second pause would suspend the worker twice and one continue would leave it suspended while
  // reporting running.
  EXPECT_EQ(ControlSteps(kServicePaused, kControlPause), std::vector<PumpStep>{S::ControlHook});
  EXPECT_EQ(ControlSteps(kServiceRunning, kControlContinue), std::vector<PumpStep>{S::ControlHook});
  EXPECT_TRUE(ControlSteps(kServiceStopped, kControlStop).empty());
  EXPECT_TRUE(ControlSteps(kServiceStartPending, kControlStop).empty());
}

TEST(ControlTableTest, StatusRecordRules) {
  ServiceStatusRecord status;
  status.serviceType = kServiceOwnProcessInteractive;
  status = NextStatus(status, kAllControls, kServiceStartPending, 0, 0, 0);
  EXPECT_EQ(status.controlsAccepted, 0u);
  EXPECT_EQ(status.serviceType, kServiceOwnProcessInteractive);
  status = NextStatus(status, kAllControls, kServiceRunning, 0, 0, 0);
  EXPECT_EQ(status.controlsAccepted, kAllControls);
  EXPECT_EQ(ExecuteFailedSteps(), (std::vector<PumpStep>{S::ReportFailed, S::AwaitWorkerThenEnd}));
  status = NextStatus(status, kAllControls, ReportedState(S::ReportFailed), kServiceSpecificError, 0, 1);
  EXPECT_EQ(status.currentState, kServiceStopped);
  EXPECT_EQ(status.win32ExitCode, kServiceSpecificError);
  EXPECT_EQ(status.serviceSpecificExitCode, 1u);
  EXPECT_EQ(status.checkPoint, 0u);
}

}  // namespace
