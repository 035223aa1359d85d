#include "service/ServiceDispatcher.h"

#include "platform/WindowsHeaders.h"

namespace platform {
namespace {

// The dispatcher runs once per process; its entry function is kept here for the system's callback.
ServiceEntryFunction serviceEntry = nullptr;

VOID WINAPI ServiceMain(DWORD argc, LPSTR* argv) {
  std::vector<std::string> arguments;
  for (DWORD i = 0; i < argc; ++i) arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
  serviceEntry(arguments);
}

// The context given at registration leads each call to the receiver of its own service. The receiver only
// passes the code on, so the dispatcher's thread is free again at once.
DWORD WINAPI ControlHandler(DWORD control, DWORD, LPVOID, LPVOID context) {
  static_cast<ServiceControlReceiver*>(context)->OnServiceControl(control);
  return NO_ERROR;
}

}  // namespace

bool RunServiceDispatcher(const std::vector<std::string>& names, ServiceEntryFunction entry) {
  serviceEntry = entry;
  // Service names stay in their strings; the table ends with an entry of two nulls.
  std::vector<std::string> nameTexts(names);
  std::vector<SERVICE_TABLE_ENTRYA> table;
  for (std::string& name : nameTexts) table.push_back({&name[0], ServiceMain});
  table.push_back({nullptr, nullptr});
  return StartServiceCtrlDispatcherA(table.data()) != FALSE;
}

std::uintptr_t RegisterServiceControlReceiver(const std::string& name, ServiceControlReceiver& receiver) {
  return reinterpret_cast<std::uintptr_t>(RegisterServiceCtrlHandlerExA(name.c_str(), ControlHandler, &receiver));
}

bool ReportServiceStatusRecord(std::uintptr_t statusHandle, const ServiceStatusRecord& status) {
  SERVICE_STATUS record{status.serviceType,    status.currentState,           status.controlsAccepted,
                        status.win32ExitCode,  status.serviceSpecificExitCode, status.checkPoint,
                        status.waitHint};
  return SetServiceStatus(reinterpret_cast<SERVICE_STATUS_HANDLE>(statusHandle), &record) != FALSE;
}

std::uint32_t LastSystemErrorCode() { return GetLastError(); }

}  // namespace platform
