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

}  // namespace
