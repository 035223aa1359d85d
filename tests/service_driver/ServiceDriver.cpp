// Test driver for the Windows service tests: reads one command per line on standard input, runs it
// against the service control manager through the program's own control operations and prints one
// result line. It stays alive between commands, because wine ends service processes when the session's
// last ordinary process exits.
//
//   query                 status <state> <checkpoint> <accepted> <win32 exit> <specific exit>
//   wait <state> <s>      the same once the state is reached, "timeout ..." after s seconds
//   control <code>        control ok|refused <error>, then the status line
//   stop                  StopService, then "done"
//   config                the registered configuration and the type of the ImagePath value
//   imagepath <name>      GetServiceImagePath
//   quit
// Messages of the control operations appear as "message <text>" lines.
#include <windows.h>

#include <chrono>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "service/ServiceControl.h"

namespace {

void PrintMessage(const std::string& text) { std::cout << "message " << text << std::endl; }

void PrintStatus(const platform::ServiceStatusRecord& status) {
  std::cout << "status " << status.currentState << ' ' << status.checkPoint << ' ' << status.controlsAccepted << ' '
            << status.win32ExitCode << ' ' << status.serviceSpecificExitCode << std::endl;
}

bool OpenService(ServiceControl& control) {
  control.Open("corvane", platform::kServiceAllAccess);
  return !CheckHandles(control, PrintMessage);
}

void Query() {
  ServiceControl control;
  if (OpenService(control)) PrintStatus(control.Query());
}

void Wait(std::uint32_t state, int seconds) {
  ServiceControl control;
  if (!OpenService(control)) return;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  platform::ServiceStatusRecord status = control.Query();
  while (status.currentState != state && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    status = control.Query();
  }
  if (status.currentState != state) std::cout << "timeout ";
  PrintStatus(status);
}

void Control(std::uint32_t code) {
  ServiceControl control;
  if (!OpenService(control)) return;
  if (control.SendControl(code)) {
    std::cout << "control ok" << std::endl;
  } else {
    std::cout << "control refused " << GetLastError() << std::endl;
  }
  PrintStatus(control.Query());
}

std::string Text(const char* text) { return text != nullptr ? text : "(null)"; }

void Config() {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE service = manager != nullptr ? OpenServiceA(manager, "corvane", SERVICE_QUERY_CONFIG) : nullptr;
  DWORD needed = 0;
  std::string buffer(8192, '\0');
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(&buffer[0]);
  if (service == nullptr || !QueryServiceConfigA(service, config, static_cast<DWORD>(buffer.size()), &needed)) {
    std::cout << "config failed " << GetLastError() << std::endl;
  } else {
    DWORD type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\corvane", 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
      RegQueryValueExA(key, "ImagePath", nullptr, &type, nullptr, nullptr);
      RegCloseKey(key);
    }
    std::cout << "config type=" << config->dwServiceType << " start=" << config->dwStartType
              << " error=" << config->dwErrorControl << " imagepathtype=" << type << " group="
              << Text(config->lpLoadOrderGroup) << " account=" << Text(config->lpServiceStartName)
              << " display=" << Text(config->lpDisplayName) << " path=" << Text(config->lpBinaryPathName)
              << std::endl;
  }
  if (service != nullptr) CloseServiceHandle(service);
  if (manager != nullptr) CloseServiceHandle(manager);
}

}  // namespace

int main() {
  std::cout << "ready" << std::endl;
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "query") {
      Query();
    } else if (command == "wait") {
      std::uint32_t state = 0;
      int seconds = 0;
      words >> state >> seconds;
      Wait(state, seconds);
    } else if (command == "control") {
      std::uint32_t code = 0;
      words >> code;
      Control(code);
    } else if (command == "stop") {
      StopService(PrintMessage);
      std::cout << "done" << std::endl;
    } else if (command == "config") {
      Config();
    } else if (command == "imagepath") {
      std::string name;
      words >> name;
      std::cout << "imagepath " << GetServiceImagePath(name) << std::endl;
    } else if (command == "quit") {
      break;
    } else {
      std::cout << "unknown command " << command << std::endl;
    }
  }
  return 0;
}
