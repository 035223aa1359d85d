#include "startup/Switches.h"

#include <utility>

#include "base/TextUtil.h"

namespace {

std::vector<std::string>& Arguments() {
  static std::vector<std::string> arguments;
  return arguments;
}

}  // namespace

const std::vector<std::string>& ProcessArguments() { return Arguments(); }

bool HasSwitch(const std::vector<std::string>& arguments, const std::string& switchText) {
  for (const std::string& argument : arguments) {
    if (EqualsIgnoringAsciiCase(argument, switchText)) return true;
  }
  return false;
}

bool HasSwitch(const std::string& switchText) { return HasSwitch(ProcessArguments(), switchText); }

void SetProcessArguments(std::vector<std::string> arguments) { Arguments() = std::move(arguments); }

RunMode SelectRunMode(const std::vector<std::string>& arguments) {
  if (HasSwitch(arguments, "/transcoder")) return RunMode::Transcoder;
  if (HasSwitch(arguments, "/service")) return RunMode::Service;
  if (HasSwitch(arguments, "/user")) return RunMode::User;
  return RunMode::ControlPanel;
}

bool WantsConsole(const std::vector<std::string>& arguments) {
  return HasSwitch(arguments, "/cons") && !HasSwitch(arguments, "/service");
}

bool WantsConsole() { return WantsConsole(ProcessArguments()); }
