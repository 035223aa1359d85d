#pragma once
// A message for the person at the machine, for failures that have nowhere else to go.
#include <cstdint>
#include <string>

namespace platform {

enum class MessageIcon { kNone, kExclamation };

// A message box with an OK button, owned by the window owner (0 for none), waited for (Windows); a line on
// standard error elsewhere. An empty caption leaves the system's default one.
void ShowUserMessage(std::uintptr_t owner, const std::string& text, const std::string& caption, MessageIcon icon);

}  // namespace platform
