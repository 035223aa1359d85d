#pragma once
// The firewall exception for the program file: inbound TCP for players, UDP for the multicast streams.
#include <string>
#include <vector>

// The six "netsh.exe ..." command lines, in the order they must run: the older firewall interface's
// exception, then the advanced firewall's rules, each add preceded by deletes so that repeated presses
// leave the same rules. programPath and title are put in double quotes.
std::vector<std::string> FirewallCommandLines(const std::string& programPath, const std::string& title);
