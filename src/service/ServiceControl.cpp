#include "service/ServiceControl.h"

#include "base/ProcessValues.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Thread.h"

using namespace platform;

namespace {

constexpr int kStopPendingWaits = 30;
constexpr unsigned kStopPendingWaitMs = 100;

void WaitWhileStopPending(ServiceControl& control) {
  for (int waits = 0; waits < kStopPendingWaits && control.Query().currentState == kServiceStopPending; ++waits) {
    SleepMilliseconds(kStopPendingWaitMs);
  }
}

// Releases control; a step that failed shows the system's text for the last error.
bool ReleaseAndShowFailure(ServiceControl& control, bool succeeded, const ServiceMessageSink& show) {
  const std::string error = succeeded ? std::string() : LastErrorText();
  control.Release();
  if (!succeeded) show(error);
  return succeeded;
}

// Opens this program's service, or shows why it could not.
bool OpenProxyService(ServiceControl& control, const ServiceMessageSink& show) {
  control.Open(kServiceName, kServiceAllAccess);
  return !CheckHandles(control, show);
}

}  // namespace

void ServiceControl::Create(const ServiceDefinition& definition) {
  manager_ = OpenServiceManager(kServiceManagerAllAccess);
  if (manager_.Valid()) service_ = CreateServiceEntry(manager_, definition);
}

void ServiceControl::Open(const std::string& name, std::uint32_t access, std::uint32_t managerAccess) {
  manager_ = OpenServiceManager(managerAccess);
  if (manager_.Valid()) service_ = OpenServiceEntry(manager_, name, access);
  notInstalled_ = manager_.Valid() && !service_.Valid() && LastErrorIsNoSuchService();
}

bool ServiceControl::Delete() { return service_.Valid() && DeleteServiceEntry(service_) && service_.Close(); }

ServiceStatusRecord ServiceControl::Query() {
  status_ = ServiceStatusRecord{};
  QueryServiceStatusRecord(service_, status_);
  return status_;
}

bool ServiceControl::Start(const std::vector<std::string>& arguments) { return StartServiceEntry(service_, arguments); }

bool ServiceControl::SendControl(std::uint32_t code) { return ControlServiceEntry(service_, code, status_); }

void ServiceControl::Release() {
  service_.Close();
  manager_.Close();
}

bool CheckHandles(ServiceControl& control, const ServiceMessageSink& show) {
  std::string message;
  if (!control.HasManager()) {
    message = "Can not obtain SCHandle, " + LastErrorText();
  } else if (!control.HasService()) {
    message = "Can not obtain service handle, " + LastErrorText();
  } else {
    return false;
  }
  show(message);
  control.Release();
  return true;
}

ServiceDefinition ProxyServiceDefinition(const std::string& programPath) {
  ServiceDefinition definition;
  definition.name = kServiceName;
  definition.displayName = kProductTitle;
  definition.desiredAccess = kServiceAllAccess;
  definition.serviceType = kServiceOwnProcessInteractive;
  definition.startType = kServiceAutoStart;
  definition.errorControl = kServiceErrorNormal;
  definition.programPath = programPath;
  definition.switches = "/service";
  return definition;
}

bool InstallService(const ServiceMessageSink& show) {
  ServiceControl control;
  control.Create(ProxyServiceDefinition(ProgramPath()));
  return !CheckHandles(control, show);
}

RemoveOutcome RemoveService(const ServiceMessageSink& show) {
  ServiceControl control;
  control.Open(kServiceName, kServiceAllAccess);
  if (control.NotInstalled()) return RemoveOutcome::NotInstalled;
  if (CheckHandles(control, show)) return RemoveOutcome::Failed;
  control.Stop();
  WaitWhileStopPending(control);
  return ReleaseAndShowFailure(control, control.Delete(), show) ? RemoveOutcome::Removed : RemoveOutcome::Failed;
}

bool StartService(const ServiceMessageSink& show) {
  ServiceControl control;
  if (!OpenProxyService(control, show)) return false;
  return ReleaseAndShowFailure(control, control.Start({"param1", "param2", "param3"}), show);
}

void StopService(const ServiceMessageSink& show) {
  ServiceControl control;
  if (!OpenProxyService(control, show)) return;
  control.Stop();
  WaitWhileStopPending(control);
}

bool QueryServiceState(std::uint32_t& state) {
  ServiceControl control;
  control.Open(kServiceName, kServiceQueryStatus, kServiceManagerConnect);
  if (!control.HasService()) return false;
  state = control.Query().currentState;
  return true;
}

std::string GetServiceImagePath(const std::string& name) {
  return ImagePathOfCommandLine(InstalledServiceCommandLine(name));
}

std::string ImagePathOfCommandLine(const std::string& commandLine) {
  if (commandLine.empty() || commandLine[0] != '"') return commandLine;
  const std::size_t end = commandLine.find("\" ", 1);
  return end == std::string::npos ? std::string() : commandLine.substr(1, end - 1);
}
