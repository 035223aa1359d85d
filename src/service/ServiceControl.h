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
  // Afterwards NotInstalled says whether the service could not be opened because there is none.
  void Open(const std::string& name, std::uint32_t access,
            std::uint32_t managerAccess = platform::kServiceManagerAllAccess);
  bool NotInstalled() const { return notInstalled_; }
  // Deletes the service and closes its handle; true when both worked.
  bool Delete();
  // The service's status now; all zeros when it cannot be asked.
  platform::ServiceStatusRecord Query();
  bool Start(const std::vector<std::string>& arguments);
  // Sends the control code (Stop: the stop control).
  bool SendControl(std::uint32_t code);
  bool Stop() { return SendControl(platform::kControlStop); }
  void Release();

  bool HasManager() const { return manager_.Valid(); }
  bool HasService() const { return service_.Valid(); }

 private:
  platform::ServiceManagerHandle manager_;
  platform::ServiceManagerHandle service_;
  platform::ServiceStatusRecord status_;
  bool notInstalled_ = false;
};

// True when control lacks a handle: the message ("Can not obtain SCHandle, " or "Can not obtain service
// handle, " and the system's text for the last error) has been shown and control released.
bool CheckHandles(ServiceControl& control, const ServiceMessageSink& show);

// How this program's service is registered: "corvane", shown as "Corvane", started automatically as
// "<program path>" /service under the local system account.
platform::ServiceDefinition ProxyServiceDefinition(const std::string& programPath);

// Each returns whether it did its work; what went wrong has been shown through show.
bool InstallService(const ServiceMessageSink& show);
enum class RemoveOutcome { Removed, NotInstalled, Failed };
// Stops the service, waits while it is stop pending (at most 30 times 100 ms) and deletes it. NotInstalled,
// with nothing shown, when the manager has no such service; Failed when a step failed (shown).
RemoveOutcome RemoveService(const ServiceMessageSink& show);
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
