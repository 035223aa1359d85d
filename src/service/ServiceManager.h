#pragma once
// The control side of the system's service manager: create, open, delete, query, start and control a
// service. Windows: the service control manager. Linux: systemd through systemctl, with the units this
// program writes in /etc/systemd/system; systemd passes no start arguments.
#include <cstdint>
#include <string>
#include <vector>

#include "service/ServiceStatus.h"

namespace platform {

// A manager or service handle, 0 for none.
using ServiceManagerHandle = std::uintptr_t;

constexpr std::uint32_t kServiceManagerAllAccess = 0xF003F;
constexpr std::uint32_t kServiceManagerConnect = 0x0001;  // enough to open a service for a status query
constexpr std::uint32_t kServiceAllAccess = 0xF01FF;
constexpr std::uint32_t kServiceQueryStatus = 0x0004;
constexpr std::uint32_t kServiceAutoStart = 2;
constexpr std::uint32_t kServiceErrorNormal = 1;

struct ServiceDefinition {
  std::string name;
  std::string displayName;
  std::uint32_t desiredAccess = 0;
  std::uint32_t serviceType = 0;
  std::uint32_t startType = 0;
  std::uint32_t errorControl = 0;
  // The program the manager starts and the switches it gives it; each system quotes the path its own way
  // (Windows: the path in double quotes, a blank, the switches).
  std::string programPath;
  std::string switches;
  // Empty texts mean "none".
  std::string loadOrderGroup;
  std::string dependencies;
  std::string accountName;
  std::string password;
};

// On the local machine's default database; 0 on failure, the reason in the last system error. Linux: any
// access beyond kServiceManagerConnect needs root, and a service opened for kServiceQueryStatus alone is
// also found among the units of the system's other unit folders (a package's unit, say); opened for more,
// such a unit is refused (EPERM), since only the units in /etc/systemd/system are this program's.
ServiceManagerHandle OpenServiceManager(std::uint32_t access);
ServiceManagerHandle CreateServiceEntry(ServiceManagerHandle manager, const ServiceDefinition& definition);
ServiceManagerHandle OpenServiceEntry(ServiceManagerHandle manager, const std::string& name, std::uint32_t access);
bool DeleteServiceEntry(ServiceManagerHandle service);
bool QueryServiceStatusRecord(ServiceManagerHandle service, ServiceStatusRecord& status);
bool StartServiceEntry(ServiceManagerHandle service, const std::vector<std::string>& arguments);
// Sends a control code; status receives the service's status after it.
bool ControlServiceEntry(ServiceManagerHandle service, std::uint32_t code, ServiceStatusRecord& status);
bool CloseServiceManagerHandle(ServiceManagerHandle handle);

// The command line the manager starts the service with, as registered; empty when there is none
// (Windows: the ImagePath value, read only when it is REG_EXPAND_SZ; Linux: the unit's ExecStart).
std::string InstalledServiceCommandLine(const std::string& name);

// Empty when this process may change the system's services; else a line saying what to run instead.
std::string ServiceRightsAdvice(const std::string& commandSwitch);

}  // namespace platform
