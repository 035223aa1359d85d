#include "service/ServiceManager.h"

#include "platform/Registry.h"
#include "platform/WindowsHeaders.h"

namespace platform {
namespace {

SC_HANDLE Handle(ServiceManagerHandle handle) { return reinterpret_cast<SC_HANDLE>(handle); }
ServiceManagerHandle Handle(SC_HANDLE handle) { return reinterpret_cast<ServiceManagerHandle>(handle); }

// The system takes a null pointer for an optional text left out.
const char* Optional(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

ServiceStatusRecord RecordOf(const SERVICE_STATUS& status) {
  return {status.dwServiceType,   status.dwCurrentState,            status.dwControlsAccepted,
          status.dwWin32ExitCode, status.dwServiceSpecificExitCode, status.dwCheckPoint,
          status.dwWaitHint};
}

}  // namespace

ServiceManagerHandle OpenServiceManager(std::uint32_t access) { return Handle(OpenSCManagerA(nullptr, nullptr, access)); }

ServiceManagerHandle CreateServiceEntry(ServiceManagerHandle manager, const ServiceDefinition& definition) {
  const std::string commandLine = "\"" + definition.programPath + "\" " + definition.switches;
  return Handle(CreateServiceA(Handle(manager), Optional(definition.name), Optional(definition.displayName),
                               definition.desiredAccess, definition.serviceType, definition.startType,
                               definition.errorControl, commandLine.c_str(), Optional(definition.loadOrderGroup),
                               nullptr, Optional(definition.dependencies), Optional(definition.accountName),
                               Optional(definition.password)));
}

ServiceManagerHandle OpenServiceEntry(ServiceManagerHandle manager, const std::string& name, std::uint32_t access) {
  return Handle(OpenServiceA(Handle(manager), Optional(name), access));
}

bool DeleteServiceEntry(ServiceManagerHandle service) { return DeleteService(Handle(service)) != FALSE; }

bool QueryServiceStatusRecord(ServiceManagerHandle service, ServiceStatusRecord& status) {
  SERVICE_STATUS record{};
  const bool queried = QueryServiceStatus(Handle(service), &record) != FALSE;
  status = RecordOf(record);
  return queried;
}

bool StartServiceEntry(ServiceManagerHandle service, const std::vector<std::string>& arguments) {
  std::vector<const char*> texts;
  for (const std::string& argument : arguments) texts.push_back(argument.c_str());
  return StartServiceA(Handle(service), static_cast<DWORD>(texts.size()), texts.empty() ? nullptr : texts.data()) !=
         FALSE;
}

bool ControlServiceEntry(ServiceManagerHandle service, std::uint32_t code, ServiceStatusRecord& status) {
  SERVICE_STATUS record{};
  const bool sent = ControlService(Handle(service), code, &record) != FALSE;
  status = RecordOf(record);
  return sent;
}

bool CloseServiceManagerHandle(ServiceManagerHandle handle) { return CloseServiceHandle(Handle(handle)) != FALSE; }

std::string InstalledServiceCommandLine(const std::string& name) {
  return ReadRegistryExpandString(RegistryRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\" + name,
                                  "ImagePath", "");
}

// The program's manifest asks for administrator rights; the manager itself refuses anyone without them.
std::string ServiceRightsAdvice(const std::string&) { return std::string(); }

}  // namespace platform
