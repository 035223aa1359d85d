#include "service/Service.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Thread.h"
#include "test_support/Ticks.h"

namespace {

using namespace platform;
using namespace std::chrono_literals;

constexpr std::uint32_t kAllControls = kAcceptStop | kAcceptPauseContinue | kAcceptShutdown;

// The service manager's side, played by the test: starts one service with the given arguments on a
// thread of its own, keeps every status report and sends controls through the registered receiver.
class FakeServiceSystem final : public ServiceSystem {
 public:
  std::string serviceToStart;
  std::vector<std::string> startArguments;
  std::uintptr_t registrationResult = 77;

  bool RunDispatcher(const std::vector<std::string>& names, ServiceEntryFunction entry) override {
    dispatchedNames = names;
    std::vector<std::string> arguments{serviceToStart};
    arguments.insert(arguments.end(), startArguments.begin(), startArguments.end());
    std::thread systemThread(entry, arguments);
    systemThread.join();
    WaitUntil([this] { return !reports_.empty() && reports_.back().currentState == kServiceStopped; });
    return true;
  }
  std::uintptr_t RegisterControlReceiver(const std::string& name, ServiceControlReceiver& receiver) override {
    registeredName = name;
    receiver_ = &receiver;
    return registrationResult;
  }
  bool ReportStatus(std::uintptr_t statusHandle, const ServiceStatusRecord& status) override {
    const std::lock_guard<std::mutex> guard(lock_);
    handles_.push_back(statusHandle);
    reports_.push_back(status);
    changed_.notify_all();
    return true;
  }
  std::uint32_t LastErrorCode() override { return 1234; }

  void Control(std::uint32_t code) { receiver_->OnServiceControl(code); }

  // Waits for the report number count (1-based) and returns all reports so far.
  std::vector<ServiceStatusRecord> WaitForReports(std::size_t count) {
    WaitUntil([this, count] { return reports_.size() >= count; });
    const std::lock_guard<std::mutex> guard(lock_);
    return reports_;
  }
  std::vector<std::uintptr_t> Handles() {
    const std::lock_guard<std::mutex> guard(lock_);
    return handles_;
  }

  std::vector<std::string> dispatchedNames;
  std::string registeredName;

 private:
  template <typename Condition>
  void WaitUntil(Condition condition) {
    std::unique_lock<std::mutex> guard(lock_);
    if (!changed_.wait_for(guard, 30s, condition)) ADD_FAILURE() << "the service did not report in time";
  }

  ServiceControlReceiver* receiver_ = nullptr;
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<ServiceStatusRecord> reports_;
  std::vector<std::uintptr_t> handles_;
};

// What the hooks saw. Shared with the worker, which may outlive the test (a stopped worker is held for good).
struct Observed {
  std::atomic<long> ticks{0};
  std::mutex lock;
  std::vector<std::uint32_t> controls;
  int starts = 0, pauses = 0, continues = 0, stops = 0, interrogations = 0, shutdowns = 0;
};

void ObserveEveryHook(ServiceObject& service, const std::shared_ptr<Observed>& seen) {
  const auto count = [seen](int Observed::*counter) {
    return [seen, counter](ServiceObject&) {
      const std::lock_guard<std::mutex> guard(seen->lock);
      ++(seen.get()->*counter);
    };
  };
  service.hooks.onStart = count(&Observed::starts);
  service.hooks.onPause = count(&Observed::pauses);
  service.hooks.onContinue = count(&Observed::continues);
  service.hooks.onStop = count(&Observed::stops);
  service.hooks.onInterrogate = count(&Observed::interrogations);
  service.hooks.onShutdown = count(&Observed::shutdowns);
  service.hooks.onControl = [seen](ServiceObject&, std::uint32_t code) {
    const std::lock_guard<std::mutex> guard(seen->lock);
    seen->controls.push_back(code);
  };
  // A worker that counts for ever, so that one can see whether it runs; it may be held between two counts.
  service.hooks.onExecute = [seen](ServiceObject&) -> std::uint32_t {
    for (;;) {
      HoldPoint();
      ++seen->ticks;
      SleepMilliseconds(1);
    }
  };
}

struct Seen {
  std::uint32_t state, checkPoint, accepted;
  bool operator==(const Seen& other) const {
    return state == other.state && checkPoint == other.checkPoint && accepted == other.accepted;
  }
};
std::ostream& operator<<(std::ostream& out, const Seen& seen) {
  return out << "(state " << seen.state << ", checkpoint " << seen.checkPoint << ", accepted " << seen.accepted << ")";
}
std::vector<Seen> StatesOf(const std::vector<ServiceStatusRecord>& reports) {
  std::vector<Seen> seen;
  for (const auto& report : reports) seen.push_back({report.currentState, report.checkPoint, report.controlsAccepted});
  return seen;
}

TEST(ServiceHostTest, ControlsTakeTheServiceThroughItsStates) {
  FakeServiceSystem system;
  system.serviceToStart = "host-test-sequence";
  system.startArguments = {"param1", "param2", "param3"};
  ServiceObject& service = NewService("host-test-sequence", "");
  EXPECT_EQ(service.DisplayName(), "host-test-sequence");
  EXPECT_EQ(service.Status().serviceType, kServiceOwnProcessInteractive);
  EXPECT_EQ(service.Status().currentState, kServiceStopped);
  service.acceptedControls = kAllControls;
  auto seen = std::make_shared<Observed>();
  ObserveEveryHook(service, seen);

  std::thread dispatcher([&system] { EXPECT_TRUE(RunServices(system)); });
  system.WaitForReports(2);
  EXPECT_TRUE(Moves(seen->ticks));
  EXPECT_EQ(service.Arguments(), (std::vector<std::string>{"param1", "param2", "param3"}));
  EXPECT_EQ(system.registeredName, "host-test-sequence");

  system.Control(kControlPause);
  system.WaitForReports(4);
  EXPECT_TRUE(StandsStill(seen->ticks)) << "the worker runs on while paused";

  system.Control(kControlContinue);
  system.WaitForReports(6);
  EXPECT_TRUE(Moves(seen->ticks)) << "the worker stays suspended after continue";

  system.Control(kControlInterrogate);
  system.Control(kControlShutdown);
  system.Control(200);
  system.Control(kControlInterrogate);
  std::vector<ServiceStatusRecord> reports = system.WaitForReports(8);

  system.Control(kControlStop);
  dispatcher.join();
  reports = system.WaitForReports(10);
  EXPECT_TRUE(StandsStill(seen->ticks)) << "the worker runs on after stop";

  const std::vector<Seen> expected = {
      {kServiceStartPending, 1, 0},     {kServiceRunning, 0, kAllControls}, {kServicePausePending, 1, kAllControls},
      {kServicePaused, 2, kAllControls}, {kServiceContinuePending, 3, kAllControls},
      {kServiceRunning, 0, kAllControls}, {kServiceRunning, 0, kAllControls}, {kServiceRunning, 0, kAllControls},
      {kServiceStopPending, 1, kAllControls}, {kServiceStopped, 0, kAllControls}};
  EXPECT_EQ(StatesOf(reports), expected);
  for (const std::uintptr_t handle : system.Handles()) EXPECT_EQ(handle, 77u);
  for (const auto& report : reports) EXPECT_EQ(report.win32ExitCode, 0u);
  {
    const std::lock_guard<std::mutex> guard(seen->lock);
    // Every code but stop reaches the control hook, the unknown one included.
    EXPECT_EQ(seen->controls, (std::vector<std::uint32_t>{2, 3, 4, 5, 200, 4}));
    EXPECT_EQ(seen->starts, 1);
    EXPECT_EQ(seen->pauses, 1);
    EXPECT_EQ(seen->continues, 1);
    EXPECT_EQ(seen->interrogations, 2);
    EXPECT_EQ(seen->shutdowns, 1);
    EXPECT_EQ(seen->stops, 1);
  }
  EXPECT_NE(std::find(system.dispatchedNames.begin(), system.dispatchedNames.end(), "host-test-sequence"),
            system.dispatchedNames.end());
  ReleaseService(service);
  EXPECT_EQ(FindService("host-test-sequence"), -1);
}

TEST(ServiceHostTest, StopWhilePausedEndsTheSuspendedWorker) {
  FakeServiceSystem system;
  system.serviceToStart = "host-test-paused-stop";
  ServiceObject& service = NewService("host-test-paused-stop", "Paused stop");
  EXPECT_EQ(service.DisplayName(), "Paused stop");
  service.acceptedControls = kAllControls;
  auto seen = std::make_shared<Observed>();
  ObserveEveryHook(service, seen);

  std::thread dispatcher([&system] { RunServices(system); });
  system.WaitForReports(2);
  EXPECT_TRUE(Moves(seen->ticks));
  EXPECT_TRUE(service.Arguments().empty());
  system.Control(kControlPause);
  system.WaitForReports(4);
  system.Control(kControlStop);
  dispatcher.join();
  const std::vector<ServiceStatusRecord> reports = system.WaitForReports(6);
  EXPECT_TRUE(StandsStill(seen->ticks));
  ASSERT_EQ(reports.size(), 6u);
  EXPECT_EQ(StatesOf({reports[4], reports[5]}),
            (std::vector<Seen>{{kServiceStopPending, 3, kAllControls}, {kServiceStopped, 0, kAllControls}}));
  EXPECT_EQ(seen->stops, 1);
  ReleaseService(service);
}

TEST(ServiceHostTest, FailedExecuteActionIsReportedStoppedWithItsCode) {
  FakeServiceSystem system;
  system.serviceToStart = "host-test-failure";
  ServiceObject& service = NewService("host-test-failure", "");
  service.acceptedControls = kAllControls;
  service.hooks.onExecute = [](ServiceObject&) -> std::uint32_t { return 3; };

  EXPECT_TRUE(RunServices(system));
  const std::vector<ServiceStatusRecord> reports = system.WaitForReports(3);
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(StatesOf(reports), (std::vector<Seen>{{kServiceStartPending, 1, 0},
                                                  {kServiceRunning, 0, kAllControls},
                                                  {kServiceStopped, 0, kAllControls}}));
  EXPECT_EQ(reports[2].win32ExitCode, kServiceSpecificError);
  EXPECT_EQ(reports[2].serviceSpecificExitCode, 3u);
  ReleaseService(service);
}

TEST(ServiceHostTest, FailedRegistrationIsReportedStoppedWithTheSystemError) {
  FakeServiceSystem system;
  system.serviceToStart = "host-test-registration";
  system.registrationResult = 0;
  ServiceObject& service = NewService("host-test-registration", "");
  bool started = false;
  service.hooks.onStart = [&started](ServiceObject&) { started = true; };

  EXPECT_TRUE(RunServices(system));
  const std::vector<ServiceStatusRecord> reports = system.WaitForReports(1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].currentState, kServiceStopped);
  EXPECT_EQ(reports[0].win32ExitCode, 1234u);
  EXPECT_FALSE(started);
  ReleaseService(service);
}

TEST(ServiceHostTest, TableKeepsOrderAndComparesNamesExactly) {
  ServiceObject& first = NewService("host-test-a", "");
  ServiceObject& second = NewService("host-test-b", "");
  const int firstIndex = FindService("host-test-a");
  EXPECT_GE(firstIndex, 0);
  EXPECT_EQ(FindService("host-test-b"), firstIndex + 1);
  EXPECT_EQ(FindService("HOST-TEST-A"), -1);
  EXPECT_EQ(FindService("host-test-"), -1);
  ReleaseService(first);
  EXPECT_EQ(FindService("host-test-b"), firstIndex);
  ReleaseService(second);
}

using ServiceHostDeathTest = ::testing::Test;

TEST_F(ServiceHostDeathTest, ProgrammingErrorsEndTheProcessNamingTheSource) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // A fresh process: no service exists yet.
  EXPECT_DEATH(FindService("corvane"),
               "Services are not created yet - nothing to search for\\. \\(Service, line .+\\)");
  EXPECT_DEATH(
      {
        NewService("twice", "");
        NewService("twice", "");
      },
      "Attempt to install a service with duplicated name: twice \\(Service, line .+\\)");
  EXPECT_DEATH(
      {
        ServiceObject stray("stray", "");
        ReleaseService(stray);
      },
      "Cannot find service strayto remove from the list\\. \\(Service, line .+\\)");
}

}  // namespace
