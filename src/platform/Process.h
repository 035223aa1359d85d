#pragma once
#include <string>
#include <vector>

namespace platform {

// The command-line arguments after the program name, split the platform's way.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Prepares process-wide state before anything else runs (locale for dates, ignoring SIGPIPE, ...).
void InitialiseProcess();

// The text of the last system error of this thread ("error N" when the system has none).
std::string LastErrorText();

enum class ProgramWindow {
  Normal,      // shown as the program shows itself
  OwnConsole,  // with a console of its own, shown
};

// Starts a command line (the program as its first, possibly quoted, word, found by the system's search;
// Windows looks in the folder of this program first) and does not wait for it. false when it could not
// be started; LastErrorText says why.
bool StartProgram(const std::string& commandLine, ProgramWindow window);

struct ProgramRun {
  enum class Outcome { NotStarted, Finished, TimedOut };
  Outcome outcome = Outcome::NotStarted;
  unsigned long exitCode = 0;  // when finished
  std::string error;           // why it did not start
};

// Runs a command line hidden (no window, no console shown, output discarded) and waits for it at most
// timeoutMilliseconds; a program still running then is ended.
ProgramRun RunHiddenProgram(const std::string& commandLine, unsigned timeoutMilliseconds);

}  // namespace platform
