#pragma once
#include <string>
#include <vector>

namespace platform {

// The command-line arguments after the program name, split the platform's way.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Prepares process-wide state before anything else runs (locale for dates, ignoring SIGPIPE, ...).
void InitialiseProcess();

// The text of the last system error of this thread ("error N" when the system has none).
std::string LastErrorText();

}  // namespace platform
