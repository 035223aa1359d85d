#pragma once
// Command-line switches and the choice of run mode.
#include <string>
#include <vector>

enum class RunMode { Transcoder, Service, User, ControlPanel };

// True when an argument equals the switch as a whole, ASCII letters compared without case.
bool HasSwitch(const std::vector<std::string>& arguments, const std::string& switchText);
// The same over the process's own arguments (set by the program entry).
bool HasSwitch(const std::string& switchText);
void SetProcessArguments(std::vector<std::string> arguments);
const std::vector<std::string>& ProcessArguments();

// "/transcoder" before "/service" before "/user"; the control panel otherwise.
RunMode SelectRunMode(const std::vector<std::string>& arguments);

// Console echo only with "/cons" and without "/service".
bool WantsConsole(const std::vector<std::string>& arguments);
// The same over the process's own arguments.
bool WantsConsole();
