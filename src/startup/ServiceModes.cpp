#include "startup/ServiceModes.h"

#include <string>

#include "base/ProcessValues.h"
#include "platform/ServiceManager.h"
#include "platform/Thread.h"
#include "service/Service.h"
#include "service/ServiceControl.h"

namespace {

// Between the creation of the service and its first start.
constexpr unsigned kStartAfterInstallMs = 300;

// Says what to run instead when this process may not change services.
bool MayChangeServices(const std::string& commandSwitch) {
  const std::string advice = platform::ServiceRightsAdvice(commandSwitch);
  if (!advice.empty()) ServiceMessage(advice);
  return advice.empty();
}

}  // namespace

std::uint32_t ServiceExitCode(ProxyRunResult result) {
  switch (result) {
    case ProxyRunResult::AlreadyRunning:
      return kServiceExitAlreadyRunning;
    case ProxyRunResult::ListenerFailed:
      break;
  }
  return kServiceExitListenerFailed;
}

int RunServiceMode() {
  ServiceObject& service = NewService(kServiceName, "");
  // The proxy returns only when it cannot serve: the service then stops with the reason as its exit code,
  // so that the manager shows the failure and its recovery actions can start it again.
  service.hooks.onExecute = [](ServiceObject&) { return ServiceExitCode(ProxyRunner()); };
  service.acceptedControls = platform::kAcceptStop | platform::kAcceptPauseContinue | platform::kAcceptShutdown;
  if (!RunServices()) return 0;
  return service.Status().win32ExitCode == 0 ? 0 : 1;
}

int InstallServiceMode() {
  if (!MayChangeServices("/install") || !InstallService()) return 1;
  platform::SleepMilliseconds(kStartAfterInstallMs);
  return StartService() ? 0 : 1;
}

int RemoveServiceMode() { return MayChangeServices("/remove") && RemoveService() ? 0 : 1; }
