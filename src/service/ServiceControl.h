#pragma once
// The control side of this program's service: install, remove, start and stop it, and read which program
// an installed service runs. Every operation opens its own handles and releases them before it returns.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "service/ServiceManager.h"

// Where an operation shows its messages (texts in the system's code page); the caller decides.
using ServiceMessageSink = std::function<void(const std::string& text)>;

// A connection to the service manager and one service of it, both closed by Release.
class ServiceControl {
 public:
  ServiceControl() = default;
  ServiceControl(const ServiceControl&) = delete;
  ServiceControl& operator=(const ServiceControl&) = delete;
  ~ServiceControl() { Release(); }

  // Opens the manager with all access and, when that worked, creates the service.
  void Create(const platform::ServiceDefinition& definition);
  // Opens the manager (with all access unless told otherwise) and, when that worked, the existing service.
  void Open(const std::string& name, std::uint32_t access,
            std::uint32_t managerAccess = platform::kServiceManagerAllAccess);
  // Deletes the service and closes its handle; true when both worked.
  bool Delete();
  // The service's status now; all zeros when it cannot be asked.
  platform::ServiceStatusRecord Query();
  bool Start(const std::vector<std::string>& arguments);
  // Sends the stop control.
  bool Stop();
  void Release();

  platform::ServiceManagerHandle ManagerHandle() const { return manager_; }
  platform::ServiceManagerHandle ServiceHandle() const { return service_; }

 private:
  platform::ServiceManagerHandle manager_ = 0;
  platform::ServiceManagerHandle service_ = 0;
  platform::ServiceStatusRecord status_;
};

// True when control lacks a handle: the message ("Can not obtain SCHandle, " or "Can not obtain service
// handle, " and the system's text for the last error) has been shown and control released.
bool CheckHandles(ServiceControl& control, const ServiceMessageSink& show);

// How this program's service is registered: "corvane", shown as "Corvane", started automatically as
// "<program path>" /service under the local system account.
platform::ServiceDefinition ProxyServiceDefinition(const std::string& programPath);

// Each returns whether it did its work; what went wrong has been shown through show.
bool InstallService(const ServiceMessageSink& show);
// Stops the service, waits while it is stop pending (at most 30 times 100 ms) and deletes it.
bool RemoveService(const ServiceMessageSink& show);
// Starts it with the arguments "param1", "param2", "param3".
bool StartService(const ServiceMessageSink& show);
// Stops it and waits as RemoveService does; a refused stop shows nothing.
void StopService(const ServiceMessageSink& show);
// The current state of this program's service, for a display that is refreshed often: asks only for the
// rights a status query needs, so that it is true also without the rights to change services. False, with
// nothing shown, when the manager or the service cannot be opened.
bool QueryServiceState(std::uint32_t& state);

// The program path of the installed service's command line; empty when it is not installed.
std::string GetServiceImagePath(const std::string& name);
// A command line that begins with a double quote gives the text up to the first double quote followed by
// a blank (empty without one); any other is returned whole.
std::string ImagePathOfCommandLine(const std::string& commandLine);
