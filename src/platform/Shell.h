#pragma once
#include <cstdint>
#include <string>

namespace platform {

// Asks the desktop shell to open a file or address with its default verb (ShellExecuteA / xdg-open); not waited for.
void ShellOpen(std::uintptr_t window, const std::string& target, const std::string& parameters);

}  // namespace platform
