#pragma once
#include <cstdint>
#include <string>

namespace platform {

// Asks the desktop shell to open a file or address with its default verb (ShellExecuteA / xdg-open); not waited for.
void ShellOpen(std::uintptr_t window, const std::string& target, const std::string& parameters);

// Starts a program with one argument, shown normally, without waiting for it (WinExec of the quoted path and the
// argument / a spawned child that is reaped when it ends). A failure to start is not reported.
void StartProgram(const std::string& programPath, const std::string& argument);

}  // namespace platform
