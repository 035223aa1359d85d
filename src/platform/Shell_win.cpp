#include "platform/Shell.h"

#include "platform/WindowsHeaders.h"

namespace platform {

void ShellOpen(std::uintptr_t window, const std::string& target, const std::string& parameters) {
  // No verb: the shell uses the target's default action, which for most targets is "open".
  ShellExecuteA(reinterpret_cast<HWND>(window), nullptr, target.c_str(),
                parameters.empty() ? nullptr : parameters.c_str(), nullptr, SW_SHOW);
}

void StartProgram(const std::string& programPath, const std::string& argument) {
  const std::string commandLine = "\"" + programPath + "\" " + argument;
  WinExec(commandLine.c_str(), SW_SHOWNORMAL);
}

}  // namespace platform
