#include "startup/Switches.h"

#include <utility>

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

std::vector<std::string>& ProcessArguments() {
  static std::vector<std::string> arguments;
  return arguments;
}

}  // namespace

bool HasSwitch(const std::vector<std::string>& arguments, const std::string& switchText) {
  for (const std::string& argument : arguments) {
    if (EqualsIgnoringAsciiCase(argument, switchText)) return true;
  }
  return false;
}

bool HasSwitch(const std::string& switchText) { return HasSwitch(ProcessArguments(), switchText); }

void SetProcessArguments(std::vector<std::string> arguments) { ProcessArguments() = std::move(arguments); }

RunMode SelectRunMode(const std::vector<std::string>& arguments) {
  if (HasSwitch(arguments, "/transcoder")) return RunMode::Transcoder;
  if (HasSwitch(arguments, "/service")) return RunMode::Service;
  if (HasSwitch(arguments, "/user")) return RunMode::User;
  return RunMode::ControlPanel;
}

bool WantsConsole(const std::vector<std::string>& arguments) {
  return HasSwitch(arguments, "/cons") && !HasSwitch(arguments, "/service");
}
