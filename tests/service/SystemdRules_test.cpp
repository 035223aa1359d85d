#include "service/SystemdRules.h"

#include <gtest/gtest.h>

#include "service/ServiceStatus.h"

namespace {

using namespace platform;
using K = ControlSignalKind;

TEST(SystemdRules, SignalsCarryControlCodesBothWays) {
  const struct {
    ControlSignal signal;
    std::uint32_t code;
  } rows[] = {
      {{K::Terminate, 0}, kControlStop},      {{K::Interrupt, 0}, kControlStop},
      {{K::User1, 0}, kControlPause},         {{K::User2, 0}, kControlContinue},
      {{K::HangUp, 0}, kControlInterrogate},  {{K::RealTime, 5}, kControlShutdown},
      {{K::RealTime, 1}, 1},                  {{K::RealTime, 16}, 16},
      {{K::RealTime, 0}, 0},                  {{K::RealTime, 17}, 0},
      {{K::RealTime, -3}, 0},                 {{K::None, 0}, 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ControlCodeCarriedBy(row.signal), row.code)
        << static_cast<int>(row.signal.kind) << "+" << row.signal.realTimeOffset;
  }
  // Stop goes as SIGTERM; the codes with signals of their own never as real-time signals.
  const struct {
    std::uint32_t code;
    ControlSignal signal;
  } back[] = {
      {kControlStop, {K::Terminate, 0}},   {kControlPause, {K::User1, 0}},     {kControlContinue, {K::User2, 0}},
      {kControlInterrogate, {K::HangUp, 0}}, {kControlShutdown, {K::RealTime, 5}}, {128, {K::None, 0}},
      {16, {K::RealTime, 16}},             {17, {K::None, 0}},               {0, {K::None, 0}},
  };
  for (const auto& row : back) {
    EXPECT_EQ(SignalCarrying(row.code), row.signal) << row.code;
    if (row.signal.kind != K::None) {
      EXPECT_EQ(ControlCodeCarriedBy(SignalCarrying(row.code)), row.code);
    }
  }
}

TEST(SystemdRules, NotifyTextsNameTheState) {
  EXPECT_EQ(NotifyText(kServiceRunning), "READY=1\nSTATUS=running");
  EXPECT_EQ(NotifyText(kServiceStopPending), "STOPPING=1\nSTATUS=stop pending");
  EXPECT_EQ(NotifyText(kServiceStartPending), "STATUS=start pending");
  EXPECT_EQ(NotifyText(kServicePaused), "STATUS=paused");
  EXPECT_EQ(NotifyText(kServicePausePending), "STATUS=pause pending");
  EXPECT_EQ(NotifyText(kServiceContinuePending), "STATUS=continue pending");
  EXPECT_EQ(NotifyText(kServiceStopped), "STATUS=stopped");
  EXPECT_EQ(NotifyText(0), "STATUS=unknown");
}

TEST(SystemdRules, UnitStatesMapToServiceStates) {
  const struct {
    const char* active;
    const char* status;
    std::uint32_t state;
  } rows[] = {
      {"activating", "", kServiceStartPending},
      {"deactivating", "running", kServiceStopPending},
      {"active", "running", kServiceRunning},
      {"active", "", kServiceRunning},
      {"reloading", "paused", kServicePaused},
      {"active", "pause pending", kServicePausePending},
      {"active", "continue pending", kServiceContinuePending},
      {"active", "stop pending", kServiceRunning},  // systemd's own view decides stopping
      {"inactive", "paused", kServiceStopped},
      {"failed", "", kServiceStopped},
      {"", "", kServiceStopped},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ServiceStateOfUnit(row.active, row.status), row.state) << row.active << " / " << row.status;
  }
  const std::string shown = "ActiveState=active\nStatusText=paused\n";
  EXPECT_EQ(UnitProperty(shown, "ActiveState"), "active");
  EXPECT_EQ(UnitProperty(shown, "StatusText"), "paused");
  EXPECT_EQ(UnitProperty("ActiveState=failed", "ActiveState"), "failed");
  EXPECT_EQ(UnitProperty(shown, "SubState"), "");
}

TEST(SystemdRules, OnlyOurOwnUnitsOpenForChanges) {
  const struct {
    bool own;
    bool other;
    bool statusQueryOnly;
    UnitOpening result;
  } rows[] = {
      {true, false, false, UnitOpening::Opened},  {true, true, true, UnitOpening::Opened},
      {false, true, true, UnitOpening::Opened},   {false, true, false, UnitOpening::Refused},
      {false, false, true, UnitOpening::Missing}, {false, false, false, UnitOpening::Missing},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(OpenUnit(row.own, row.other, row.statusQueryOnly), row.result)
        << row.own << row.other << row.statusQueryOnly;
  }
  EXPECT_STREQ(kOwnUnitFolder, "/etc/systemd/system");
}

}  // namespace
