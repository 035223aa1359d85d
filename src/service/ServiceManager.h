#pragma once
// The control side of the system's service manager: create, open, delete, query, start and control a
// service. Windows: the service control manager. Linux: systemd through systemctl, with the units this
// program writes in /etc/systemd/system; systemd passes no start arguments.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "service/ServiceStatus.h"

namespace platform {

// An open connection to the service manager, or an open service of it; closed when it goes. What it holds
// is the system's own business (Windows: the SC_HANDLE; Linux: the service's name).
class ServiceManagerHandle {
 public:
  struct Held;  // defined by each system's half

  ServiceManagerHandle() = default;
  explicit ServiceManagerHandle(Held* held) : held_(held) {}  // takes it over

  bool Valid() const { return held_ != nullptr; }
  const Held* Get() const { return held_.get(); }
  // Closes it now, keeping the last system error; true when the system closed it or nothing was open.
  bool Close();

 private:
  struct Free {
    void operator()(Held* held) const;  // defined by each system's half
  };
  std::unique_ptr<Held, Free> held_;
};

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

// On the local machine's default database; an invalid handle on failure, the reason in the last system
// error (a failure of the manager's, never a service that does not exist). Linux: any
// access beyond kServiceManagerConnect needs root, and a service opened for kServiceQueryStatus alone is
// also found among the units of the system's other unit folders (a package's unit, say); opened for more,
// such a unit is refused (EPERM), since only the units in /etc/systemd/system are this program's.
ServiceManagerHandle OpenServiceManager(std::uint32_t access);
ServiceManagerHandle CreateServiceEntry(const ServiceManagerHandle& manager, const ServiceDefinition& definition);
ServiceManagerHandle OpenServiceEntry(const ServiceManagerHandle& manager, const std::string& name,
                                      std::uint32_t access);
// Right after a failed OpenServiceEntry: whether it failed because the manager has no service of that name
// (Windows: ERROR_SERVICE_DOES_NOT_EXIST; Linux: no unit of the name in any unit folder).
bool LastErrorIsNoSuchService();
bool DeleteServiceEntry(const ServiceManagerHandle& service);
bool QueryServiceStatusRecord(const ServiceManagerHandle& service, ServiceStatusRecord& status);
bool StartServiceEntry(const ServiceManagerHandle& service, const std::vector<std::string>& arguments);
// Sends a control code; status receives the service's status after it.
bool ControlServiceEntry(const ServiceManagerHandle& service, std::uint32_t code, ServiceStatusRecord& status);

// The command line the manager starts the service with, as registered; empty when there is none
// (Windows: the ImagePath value, read only when it is REG_EXPAND_SZ; Linux: the unit's ExecStart).
std::string InstalledServiceCommandLine(const std::string& name);

// Empty when this process may change the system's services; else a line saying what to run instead.
std::string ServiceRightsAdvice(const std::string& commandSwitch);

}  // namespace platform
