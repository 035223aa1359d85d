#include "panel/FirewallCommands.h"

#include <gtest/gtest.h>

namespace {

TEST(FirewallCommands, SixLinesInOrderWithQuotedValues) {
  const std::vector<std::string> expected = {
      "netsh.exe firewall delete allowedprogram \"C:\\Program Files\\Corvane\\corvane.exe\"",
      "netsh.exe firewall add allowedprogram \"C:\\Program Files\\Corvane\\corvane.exe\" \"Corvane\" ENABLE",
      "netsh.exe advfirewall firewall delete rule name=\"Corvane\"",
      "netsh.exe advfirewall firewall delete rule program=\"C:\\Program Files\\Corvane\\corvane.exe\"",
      "netsh.exe advfirewall firewall add rule name=\"Corvane\" dir=in program=\"C:\\Program Files\\Corvane\\corvane.exe\" "
      "action=allow profile=public,private protocol=tcp",
      "netsh.exe advfirewall firewall add rule name=\"Corvane\" dir=in program=\"C:\\Program Files\\Corvane\\corvane.exe\" "
      "action=allow profile=public,private protocol=udp",
  };
  EXPECT_EQ(FirewallCommandLines("C:\\Program Files\\Corvane\\corvane.exe", "Corvane"), expected);
}

using Outcome = platform::ProgramRun::Outcome;

platform::ProgramRun Exited(unsigned long code) {
  platform::ProgramRun run;
  run.outcome = Outcome::Finished;
  run.exitCode = code;
  return run;
}

const std::vector<std::string> kLines = {"delete old", "add old", "delete name", "delete program", "add tcp", "add udp"};

TEST(FirewallCommands, ReportOnlyWhatLeavesTheExceptionMissing) {
  // Deletes that find nothing fail as a matter of course; one interface's adds are enough.
  EXPECT_EQ(FirewallReport(kLines, {Exited(1), Exited(0), Exited(1), Exited(1), Exited(0), Exited(0)},
                           PanelLanguage::English),
            "");
  EXPECT_EQ(FirewallReport(kLines, {Exited(1), Exited(1), Exited(1), Exited(1), Exited(0), Exited(0)},
                           PanelLanguage::English),
            "");
  EXPECT_EQ(FirewallReport(kLines, {Exited(1), Exited(0), Exited(1), Exited(1), Exited(1), Exited(1)},
                           PanelLanguage::English),
            "");
  // Neither interface took the exception: every failed add, with its exit code.
  EXPECT_EQ(FirewallReport(kLines, {Exited(1), Exited(2), Exited(1), Exited(1), Exited(0), Exited(5)},
                           PanelLanguage::English),
            "The firewall exception could not be added:\radd old: exit code 2\radd udp: exit code 5");
  EXPECT_EQ(FirewallReport(kLines, {Exited(0), Exited(3), Exited(0), Exited(0), Exited(3), Exited(3)},
                           PanelLanguage::Russian),
            "Не удалось добавить исключение брандмауэра:\radd old: код завершения 3\radd tcp: код завершения 3\r"
            "add udp: код завершения 3");
}

TEST(FirewallCommands, ReportCommandsThatDidNotRunOrDidNotEnd) {
  platform::ProgramRun missing;
  missing.error = "The system cannot find the file specified";
  platform::ProgramRun hung;
  hung.outcome = Outcome::TimedOut;
  EXPECT_EQ(FirewallReport(kLines, {missing, Exited(0), Exited(0), hung, Exited(0), Exited(0)}, PanelLanguage::English),
            "The firewall exception could not be added:\r"
            "delete old: could not be started (The system cannot find the file specified)\r"
            "delete program: did not finish within 30 s and was ended");
}

}  // namespace
