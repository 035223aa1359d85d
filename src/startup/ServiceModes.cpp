#include "startup/ServiceModes.h"

#include <string>

#include "base/ProcessValues.h"
#include "service/Service.h"
#include "service/ServiceManager.h"

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
