#pragma once
// Messages for the person at the machine, for failures that have nowhere else to go.
#include <cstdint>
#include <string>

namespace platform {

enum class MessageIcon { kNone, kInformation, kExclamation };

// A message box with an OK button, owned by the window owner (0 for none), waited for (Windows); a line on
// standard error elsewhere. An empty caption leaves the system's default one.
void ShowUserMessage(std::uintptr_t owner, const std::string& text, const std::string& caption, MessageIcon icon);

// For a program that may have been started from a prompt or by a script: the message goes to standard error
// when the process has one (a terminal, a pipe, a file), else into an information box.
void ReportToUser(const std::string& caption, const std::string& text);

// A line on standard error when the process has one; false (and nothing shown) when it has none.
bool WriteStandardErrorLine(const std::string& text);
// False where no one could see or close a message box: a process of the service (Windows session 0, or a window
// station that is not shown). True elsewhere, where a message never waits for anyone.
bool HasInteractiveDesktop();

}  // namespace platform
