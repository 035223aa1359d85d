#include "panel/FirewallCommands.h"

#include <algorithm>

#include "base/TextUtil.h"

std::vector<std::string> FirewallCommandLines(const std::string& programPath, const std::string& title) {
  const std::string program = Quoted(programPath);
  const std::string name = Quoted(title);
  const std::string inboundRule =
      "advfirewall firewall add rule name=" + name + " dir=in program=" + program +
      " action=allow profile=public,private protocol=";
  const std::vector<std::string> arguments = {
      "firewall delete allowedprogram " + program,
      "firewall add allowedprogram " + program + " " + name + " ENABLE",
      "advfirewall firewall delete rule name=" + name,
      "advfirewall firewall delete rule program=" + program,
      inboundRule + "tcp",
      inboundRule + "udp",
  };
  std::vector<std::string> commandLines;
  for (const std::string& argument : arguments) commandLines.push_back("netsh.exe " + argument);
  return commandLines;
}

namespace {

constexpr LocalizedText kNotAdded{"Не удалось добавить исключение брандмауэра:",
                                  "The firewall exception could not be added:"};
constexpr LocalizedText kExitCode{"{command}: код завершения {code}", "{command}: exit code {code}"};
constexpr LocalizedText kNotStarted{"{command}: не запускается ({error})", "{command}: could not be started ({error})"};
constexpr LocalizedText kTimedOut{"{command}: не завершилась за {seconds} с и была остановлена",
                                  "{command}: did not finish within {seconds} s and was ended"};

// Indexes of the adds in the command list.
constexpr std::size_t kOlderAdd = 1;
constexpr std::size_t kAdvancedAdds[] = {4, 5};

bool Succeeded(const platform::ProgramRun& run) {
  return run.outcome == platform::ProgramRun::Outcome::Finished && run.exitCode == 0;
}

}  // namespace

std::string FirewallReport(const std::vector<std::string>& commandLines, const std::vector<platform::ProgramRun>& runs,
                           PanelLanguage language) {
  using Outcome = platform::ProgramRun::Outcome;
  const std::size_t count = std::min(commandLines.size(), runs.size());
  const auto succeeded = [&](std::size_t index) { return index < count && Succeeded(runs[index]); };
  const bool inPlace = succeeded(kOlderAdd) || (succeeded(kAdvancedAdds[0]) && succeeded(kAdvancedAdds[1]));
  const auto isAdd = [](std::size_t index) {
    return index == kOlderAdd || index == kAdvancedAdds[0] || index == kAdvancedAdds[1];
  };

  std::string report;
  for (std::size_t i = 0; i < count; ++i) {
    const platform::ProgramRun& run = runs[i];
    const std::string& command = commandLines[i];
    std::string line;
    if (run.outcome == Outcome::NotStarted) {
      line = TextWith(kNotStarted, language, {{"{command}", command}, {"{error}", run.error}});
    } else if (run.outcome == Outcome::TimedOut) {
      line = TextWith(kTimedOut, language,
                      {{"{command}", command}, {"{seconds}", std::to_string(kFirewallCommandLimitMilliseconds / 1000)}});
    } else if (!inPlace && isAdd(i) && run.exitCode != 0) {
      line = TextWith(kExitCode, language, {{"{command}", command}, {"{code}", std::to_string(run.exitCode)}});
    }
    if (!line.empty()) report += "\r" + line;
  }
  return report.empty() ? report : TextIn(kNotAdded, language) + report;
}
