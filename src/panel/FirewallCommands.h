#pragma once
// The firewall exception for the program file: inbound TCP for players, UDP for the multicast streams.
#include <string>
#include <vector>

#include "panel/PanelLanguage.h"
#include "platform/Process.h"

// Each command gets this long before it is ended; netsh normally answers within seconds.
inline constexpr unsigned kFirewallCommandLimitMilliseconds = 30000;

// The six "netsh.exe ..." command lines, in the order they must run: the older firewall interface's
// exception, then the advanced firewall's rules, each add preceded by deletes so that repeated presses
// leave the same rules. programPath and title are put in double quotes.
std::vector<std::string> FirewallCommandLines(const std::string& programPath, const std::string& title);

// What to tell the user after the six commands ran (one run per command line, in order), empty when the
// exception is in place. A delete that finds nothing to delete fails as a matter of course, and a system
// knows only one of the two firewall interfaces, so exit codes count only for the adds: the exception is
// in place when the older interface's add or both advanced adds succeeded. A command that could not start
// or did not finish in time is always reported.
std::string FirewallReport(const std::vector<std::string>& commandLines, const std::vector<platform::ProgramRun>& runs,
                           PanelLanguage language);
