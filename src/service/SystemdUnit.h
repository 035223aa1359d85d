#pragma once
// The systemd unit that runs this program as a service, and the command line read back from one.
// Linux only.
#include <string>

namespace platform {

// The unit's whole text: a notify service that runs the quoted programPath with switches, restarted on
// failure, without root but allowed to bind ports below 1024, sandboxed with the program's folder readable.
// Empty when the path holds characters a unit cannot carry (control characters, a double quote).
std::string SystemdUnitText(const std::string& description, const std::string& programPath,
                            const std::string& switches);

// The ExecStart value of a unit's text with systemd's escapes undone ("%%", "$$", "\\" and "\""); empty
// when it has none.
std::string UnitExecStart(const std::string& unitText);

}  // namespace platform
