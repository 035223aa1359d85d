#pragma once
// The console of the regular mode.
#include <string>

namespace platform {

// Gives the process a console (or uses the terminal it runs in) and sets its title.
// Output already redirected by the caller (a pipe or a file) stays where it goes.
bool OpenConsole(const std::string& title);

// Writes one line followed by CR LF to standard output, whole, and flushes it. Into the system's log the
// line goes with LF alone.
void WriteStandardOutputLine(const std::string& line);

// True when standard output is the system's log: systemd's journal (JOURNAL_STREAM names it). Never on Windows.
bool StandardOutputIsSystemLog();

}  // namespace platform
