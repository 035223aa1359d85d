#include "service/ServiceManager.h"

#include "platform/Registry.h"
#include "platform/WinHandles.h"

namespace platform {

struct ServiceManagerHandle::Held {
  ScopedServiceHandle handle;
};

void ServiceManagerHandle::Free::operator()(Held* held) const { delete held; }

bool ServiceManagerHandle::Close() {
  const bool closed = held_ == nullptr || held_->handle.Close();
  held_.reset();
  return closed;
}

namespace {

SC_HANDLE Handle(const ServiceManagerHandle& handle) { return handle.Valid() ? handle.Get()->handle.Get() : nullptr; }

// Owns what the system handed out; none when it handed out nothing.
ServiceManagerHandle Owned(SC_HANDLE handle) {
  if (handle == nullptr) return {};
  return ServiceManagerHandle(new ServiceManagerHandle::Held{ScopedServiceHandle(handle)});
}

// The system takes a null pointer for an optional text left out.
const char* Optional(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

ServiceStatusRecord RecordOf(const SERVICE_STATUS& status) {
  return {status.dwServiceType,   status.dwCurrentState,            status.dwControlsAccepted,
          status.dwWin32ExitCode, status.dwServiceSpecificExitCode, status.dwCheckPoint,
          status.dwWaitHint};
}

}  // namespace

ServiceManagerHandle OpenServiceManager(std::uint32_t access) { return Owned(OpenSCManagerA(nullptr, nullptr, access)); }

ServiceManagerHandle CreateServiceEntry(const ServiceManagerHandle& manager, const ServiceDefinition& definition) {
  const std::string commandLine = "\"" + definition.programPath + "\" " + definition.switches;
  return Owned(CreateServiceA(Handle(manager), Optional(definition.name), Optional(definition.displayName),
                               definition.desiredAccess, definition.serviceType, definition.startType,
                               definition.errorControl, commandLine.c_str(), Optional(definition.loadOrderGroup),
                               nullptr, Optional(definition.dependencies), Optional(definition.accountName),
                               Optional(definition.password)));
}

ServiceManagerHandle OpenServiceEntry(const ServiceManagerHandle& manager, const std::string& name,
                                      std::uint32_t access) {
  return Owned(OpenServiceA(Handle(manager), Optional(name), access));
}

bool LastErrorIsNoSuchService() { return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST; }

bool DeleteServiceEntry(const ServiceManagerHandle& service) { return DeleteService(Handle(service)) != FALSE; }

bool QueryServiceStatusRecord(const ServiceManagerHandle& service, ServiceStatusRecord& status) {
  SERVICE_STATUS record{};
  const bool queried = QueryServiceStatus(Handle(service), &record) != FALSE;
  status = RecordOf(record);
  return queried;
}

bool StartServiceEntry(const ServiceManagerHandle& service, const std::vector<std::string>& arguments) {
  std::vector<const char*> texts;
  for (const std::string& argument : arguments) texts.push_back(argument.c_str());
  return StartServiceA(Handle(service), static_cast<DWORD>(texts.size()), texts.empty() ? nullptr : texts.data()) !=
         FALSE;
}

bool ControlServiceEntry(const ServiceManagerHandle& service, std::uint32_t code, ServiceStatusRecord& status) {
  SERVICE_STATUS record{};
  const bool sent = ControlService(Handle(service), code, &record) != FALSE;
  status = RecordOf(record);
  return sent;
}

std::string InstalledServiceCommandLine(const std::string& name) {
  return ReadRegistryExpandString(RegistryRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\" + name,
                                  "ImagePath", "");
}

// The program's manifest asks for administrator rights; the manager itself refuses anyone without them.
std::string ServiceRightsAdvice(const std::string&) { return std::string(); }

}  // namespace platform
