#include "service/Service.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/Thread.h"
#include "service/ThreadMessages.h"

namespace {

using namespace platform;

constexpr unsigned kPostRetryMs = 500;
constexpr unsigned kPumpPollMs = 1;

// The process's services, in the order they were added, and the manager they run under. Made by the
// first NewService and kept until the process ends.
struct ServiceApplication {
  std::vector<std::unique_ptr<ServiceObject>> services;
  ServiceSystem* system = &PlatformServiceSystem();
};

ServiceApplication* application = nullptr;

// A programming error in the host: the message with its source and line, then the process ends.
[[noreturn]] void FailAssertion(const std::string& message, int line) {
  std::fprintf(stderr, "%s (Service, line %d)\n", message.c_str(), line);
  std::fflush(stderr);
  std::abort();
}

ServiceSystem& System() { return *application->system; }

}  // namespace

ServiceObject::ServiceObject(const std::string& name, const std::string& displayName)
    : name_(name),
      displayName_(displayName.empty() ? name : displayName),
      worker_([this] { RunWorker(); }),
      pump_([this] { ControlPump(); }) {
  status_.serviceType = kServiceOwnProcessInteractive;
  status_.currentState = kServiceStopped;
}

ServiceObject::~ServiceObject() {
  // Having reported stopped, the pump may still be ending the worker.
  if (status_.currentState == kServiceStopped) pump_.WaitUntilEnded();
}

void ServiceObject::ReportStatus(std::uint32_t state, std::uint32_t win32ExitCode, std::uint32_t waitHint,
                                 std::uint32_t serviceSpecificExitCode) {
  status_ = NextStatus(status_, acceptedControls, state, win32ExitCode, waitHint, serviceSpecificExitCode);
  System().ReportStatus(statusHandle_, status_);
}

void ServiceObject::Execute() {
  pump_.Resume();
  if (hooks.onStart) hooks.onStart(*this);
  // Running is reported before the worker starts: a worker that fails at once is then reported stopped
  // after it, never before.
  ReportStatus(kServiceRunning, 0, 0);
  if (hooks.onExecute) worker_.Resume();
}

void ServiceObject::OnServiceControl(std::uint32_t code) { PostToPump(kServiceControlMessage, code); }

void ServiceObject::PostToPump(std::uint32_t message, std::uintptr_t parameter) {
  // Fails while the pump has no queue yet (before the service has started), and after it has ended.
  while (!PostThreadMessageTo(pump_.Id(), message, parameter) && !pumpEnded_) SleepMilliseconds(kPostRetryMs);
}

void ServiceObject::RunWorker() {
  const std::uint32_t failure = hooks.onExecute(*this);
  if (failure != 0) PostToPump(kServiceFailedMessage, failure);
}

void ServiceObject::ControlPump() {
  CreateThreadMessageQueue();
  for (;;) {
    SleepMilliseconds(kPumpPollMs);
    std::uint32_t message = 0;
    std::uintptr_t parameter = 0;
    if (!TakeThreadMessage(message, parameter)) continue;
    bool goOn = true;
    if (message == kServiceControlMessage) {
      const auto code = static_cast<std::uint32_t>(parameter);
      goOn = Perform(ControlSteps(status_.currentState, code), code, parameter);
    } else if (message == kServiceFailedMessage) {
      goOn = Perform(ExecuteFailedSteps(), 0, parameter);
    }
    if (!goOn) return;
  }
}

bool ServiceObject::Perform(const std::vector<PumpStep>& steps, std::uint32_t code, std::uintptr_t parameter) {
  const auto call = [this](const ServiceHooks::Hook& hook) {
    if (hook) hook(*this);
  };
  for (const PumpStep step : steps) {
    switch (step) {
      case PumpStep::ReportFailed:
        ReportStatus(kServiceStopped, kServiceSpecificError, 0, static_cast<std::uint32_t>(parameter));
        break;
      case PumpStep::ReportAgain:
        System().ReportStatus(statusHandle_, status_);
        break;
      case PumpStep::StopHook:
        call(hooks.onStop);
        break;
      case PumpStep::PauseHook:
        call(hooks.onPause);
        break;
      case PumpStep::ContinueHook:
        call(hooks.onContinue);
        break;
      case PumpStep::InterrogateHook:
        call(hooks.onInterrogate);
        break;
      case PumpStep::ShutdownHook:
        call(hooks.onShutdown);
        break;
      case PumpStep::ControlHook:
        if (hooks.onControl) hooks.onControl(*this, code);
        break;
      case PumpStep::SuspendWorker:
        worker_.Suspend();
        break;
      case PumpStep::ResumeWorker:
        worker_.Resume();
        break;
      case PumpStep::EndThreads:
        worker_.Terminate();
        pumpEnded_ = true;
        return false;
      case PumpStep::AwaitWorkerThenEnd:
        worker_.WaitUntilEnded();
        pumpEnded_ = true;
        return false;
      default:
        ReportStatus(ReportedState(step), 0, 0);
        break;
    }
  }
  return true;
}

ServiceObject& NewService(const std::string& name, const std::string& displayName) {
  if (application == nullptr) application = new ServiceApplication;
  if (FindService(name) >= 0) FailAssertion("Attempt to install a service with duplicated name: " + name, __LINE__);
  auto service = std::make_unique<ServiceObject>(name, displayName);
  if (!service->ThreadsValid()) FailAssertion("Cannot create the threads of service: " + name, __LINE__);
  application->services.push_back(std::move(service));
  return *application->services.back();
}

int FindService(const std::string& name) {
  if (application == nullptr) FailAssertion("Services are not created yet - nothing to search for.", __LINE__);
  for (std::size_t i = 0; i < application->services.size(); ++i) {
    if (application->services[i]->Name() == name) return static_cast<int>(i);
  }
  return -1;
}

void ReleaseService(ServiceObject& service) {
  const int index = application != nullptr ? FindService(service.Name()) : -1;
  if (index < 0 || application->services[static_cast<std::size_t>(index)].get() != &service) {
    FailAssertion("Cannot find service " + service.Name() + "to remove from the list.", __LINE__);
  }
  application->services.erase(application->services.begin() + index);
}

bool RunServices(ServiceSystem& system) {
  if (application == nullptr) application = new ServiceApplication;
  application->system = &system;
  std::vector<std::string> names;
  for (const auto& service : application->services) names.push_back(service->Name());
  return system.RunDispatcher(names, ServiceEntry);
}

void ServiceEntry(const std::vector<std::string>& arguments) {
  if (arguments.empty() || application == nullptr) return;
  const int index = FindService(arguments.front());
  if (index < 0) return;
  ServiceObject& service = *application->services[static_cast<std::size_t>(index)];
  service.arguments_.insert(service.arguments_.end(), arguments.begin() + 1, arguments.end());

  service.statusHandle_ = System().RegisterControlReceiver(service.Name(), service);
  if (service.statusHandle_ == 0) {
    service.ReportStatus(kServiceStopped, System().LastErrorCode(), 0);
    return;
  }
  service.ReportStatus(kServiceStartPending, 0, 0);
  service.Execute();
}
