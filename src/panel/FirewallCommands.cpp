#include "panel/FirewallCommands.h"

std::vector<std::string> FirewallCommandLines(const std::string& programPath, const std::string& title) {
  const std::string program = "\"" + programPath + "\"";
  const std::string name = "\"" + title + "\"";
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
