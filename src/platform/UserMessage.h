#pragma once
#include <string>

namespace platform {

// Shows a message to the person who started the program: on its standard error when it has one (a
// terminal, a pipe, a file), else in a message box (Windows). Linux writes to standard error in any case.
void ShowUserMessage(const std::string& caption, const std::string& text);

}  // namespace platform
