#pragma once
// The service host: the process's services under the system's service manager. Each ServiceObject has
// its status record, its hooks, a worker thread for the execute hook and a control pump thread that
// performs every state change after the start.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "service/ControlTable.h"
#include "service/ServiceDispatcher.h"
#include "service/ServiceStatus.h"
#include "service/ServiceSystem.h"
#include "platform/SuspendableThread.h"

// Thread message that brings a control code to the control pump (WM_USER + 1000).
inline constexpr std::uint32_t kServiceControlMessage = 2024;
// Thread message by which the worker tells the pump that the execute hook failed; it carries the failure code.
inline constexpr std::uint32_t kServiceFailedMessage = 2025;

class ServiceObject;

// Optional; each receives the service. Only start and execute run outside the control pump.
struct ServiceHooks {
  using Hook = std::function<void(ServiceObject&)>;
  Hook onStart;
  // Runs on the worker thread. Returns 0 when it ended normally (the service stays as reported), else a
  // service-specific exit code: the service is then reported stopped with it.
  std::function<std::uint32_t(ServiceObject&)> onExecute;
  // Every control code but stop, after its own steps.
  std::function<void(ServiceObject&, std::uint32_t code)> onControl;
  Hook onPause;
  Hook onContinue;
  Hook onStop;
  Hook onInterrogate;
  Hook onShutdown;
};

class ServiceObject : public platform::ServiceControlReceiver {
 public:
  // Use NewService, which adds the object to the process's table.
  ServiceObject(const std::string& name, const std::string& displayName);
  ServiceObject(const ServiceObject&) = delete;
  ServiceObject& operator=(const ServiceObject&) = delete;
  // Release a service only before it starts or after it has stopped.
  virtual ~ServiceObject();

  const std::string& Name() const { return name_; }
  const std::string& DisplayName() const { return displayName_; }
  // The start arguments after the service name.
  const std::vector<std::string>& Arguments() const { return arguments_; }
  const platform::ServiceStatusRecord& Status() const { return status_; }
  bool ThreadsValid() const { return worker_.Valid() && pump_.Valid(); }

  ServiceHooks hooks;
  // Reported as accepted in every state but start pending.
  std::uint32_t acceptedControls = 0;

  // Updates the record (NextStatus) and hands it to the manager.
  void ReportStatus(std::uint32_t state, std::uint32_t win32ExitCode, std::uint32_t waitHint,
                    std::uint32_t serviceSpecificExitCode = 0);
  // Starts the control pump, calls the start hook, reports running and starts the worker.
  virtual void Execute();
  // The manager's control request: posted to the control pump, again every 500 ms until the pump has a queue
  // (or has ended).
  void OnServiceControl(std::uint32_t code) override;

 private:
  friend void ServiceEntry(const std::vector<std::string>& arguments);

  void PostToPump(std::uint32_t message, std::uintptr_t parameter);
  void RunWorker();
  void ControlPump();
  // False once the steps have ended the threads.
  bool Perform(const std::vector<PumpStep>& steps, std::uint32_t code, std::uintptr_t parameter);

  const std::string name_;
  const std::string displayName_;
  std::vector<std::string> arguments_;
  std::uintptr_t statusHandle_ = 0;
  platform::ServiceStatusRecord status_;
  // Set by the pump before it ends, so that nobody waits for it to take a message any more.
  std::atomic<bool> pumpEnded_{false};
  platform::SuspendableThread worker_;
  platform::SuspendableThread pump_;
};

// Adds a service to the process's table, its threads created suspended. A name hosted already is a
// programming error and ends the process.
ServiceObject& NewService(const std::string& name, const std::string& displayName);
// The service's index in the table (names compare exactly), -1 when there is none. Asking before any
// service exists ends the process.
int FindService(const std::string& name);
// Removes the service from the table and frees it; one not in the table ends the process.
void ReleaseService(ServiceObject& service);

// Runs every hosted service under the service manager and returns when all have stopped; false at once
// when the process was not started by the manager.
bool RunServices(ServiceSystem& system = PlatformServiceSystem());

// The service entry function, the same for every service: arguments[0] names the service.
void ServiceEntry(const std::vector<std::string>& arguments);
