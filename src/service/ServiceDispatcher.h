#pragma once
// The service side of the system's service manager: the dispatcher that runs this process's services,
// the registration of a service's control receiver, and status reports.
//
// Windows: the service control manager. Linux: systemd. There the dispatcher runs the first named service
// when NOTIFY_SOCKET is set (a unit of Type=notify), reports states with the notify protocol (READY=1 on
// running, STOPPING=1 on stop pending, STATUS=<state name> always) and turns signals into control codes:
// SIGTERM and SIGINT stop, SIGUSR1 pause, SIGUSR2 continue, SIGHUP interrogate, SIGRTMIN+n the code n
// (1 to 16). A signal waits, as a control would, until the service accepts controls.
#include <cstdint>
#include <string>
#include <vector>

#include "service/ServiceStatus.h"

namespace platform {

// Receives the control codes of one service, on the dispatcher's thread.
class ServiceControlReceiver {
 public:
  virtual void OnServiceControl(std::uint32_t code) = 0;

 protected:
  ~ServiceControlReceiver() = default;
};

// Runs one service on a thread of the system's; arguments[0] is the service name, the rest its start arguments.
using ServiceEntryFunction = void (*)(const std::vector<std::string>& arguments);

// Connects to the service manager and serves the named services until all have reported stopped.
// False at once when the process was not started by the manager (a start from a prompt).
bool RunServiceDispatcher(const std::vector<std::string>& names, ServiceEntryFunction entry);

// Registers receiver for the service's controls: every control of this service reaches this receiver.
// Returns the status handle, 0 on failure (LastSystemErrorCode tells why).
std::uintptr_t RegisterServiceControlReceiver(const std::string& name, ServiceControlReceiver& receiver);

// Hands the whole record to the manager.
bool ReportServiceStatusRecord(std::uintptr_t statusHandle, const ServiceStatusRecord& status);

// The calling thread's last system error code (GetLastError / errno).
std::uint32_t LastSystemErrorCode();

}  // namespace platform
