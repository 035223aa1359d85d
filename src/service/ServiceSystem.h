#pragma once
// What the service host needs of the system's service manager. The host talks to the real one through
// PlatformServiceSystem(); tests put a fake in its place.
#include <cstdint>
#include <string>
#include <vector>

#include "service/ServiceDispatcher.h"

class ServiceSystem {
 public:
  virtual ~ServiceSystem() = default;
  // Runs the named services (each through entry) until all have stopped; false when there is no manager.
  virtual bool RunDispatcher(const std::vector<std::string>& names, platform::ServiceEntryFunction entry) = 0;
  // The status handle, 0 on failure.
  virtual std::uintptr_t RegisterControlReceiver(const std::string& name,
                                                 platform::ServiceControlReceiver& receiver) = 0;
  virtual bool ReportStatus(std::uintptr_t statusHandle, const platform::ServiceStatusRecord& status) = 0;
  virtual std::uint32_t LastErrorCode() = 0;
};

ServiceSystem& PlatformServiceSystem();
