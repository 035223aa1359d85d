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
  if (manager_ != 0) service_ = CreateServiceEntry(manager_, definition);
}

void ServiceControl::Open(const std::string& name, std::uint32_t access, std::uint32_t managerAccess) {
  manager_ = OpenServiceManager(managerAccess);
  if (manager_ != 0) service_ = OpenServiceEntry(manager_, name, access);
}

bool ServiceControl::Delete() {
  if (service_ == 0 || !DeleteServiceEntry(service_)) return false;
  const bool closed = CloseServiceManagerHandle(service_);
  service_ = 0;
  return closed;
}

ServiceStatusRecord ServiceControl::Query() {
  status_ = ServiceStatusRecord{};
  QueryServiceStatusRecord(service_, status_);
  return status_;
}

bool ServiceControl::Start(const std::vector<std::string>& arguments) { return StartServiceEntry(service_, arguments); }

bool ServiceControl::Stop() { return ControlServiceEntry(service_, kControlStop, status_); }

void ServiceControl::Release() {
  if (service_ != 0) CloseServiceManagerHandle(service_);
  if (manager_ != 0) CloseServiceManagerHandle(manager_);
  service_ = 0;
  manager_ = 0;
}

bool CheckHandles(ServiceControl& control, const ServiceMessageSink& show) {
  std::string message;
  if (control.ManagerHandle() == 0) {
    message = "Can not obtain SCHandle, " + LastErrorText();
  } else if (control.ServiceHandle() == 0) {
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

bool RemoveService(const ServiceMessageSink& show) {
  ServiceControl control;
  if (!OpenProxyService(control, show)) return false;
  control.Stop();
  WaitWhileStopPending(control);
  return ReleaseAndShowFailure(control, control.Delete(), show);
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
  if (control.ServiceHandle() == 0) return false;
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
