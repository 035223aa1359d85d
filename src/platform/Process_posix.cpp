#include "platform/Process.h"

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/PosixSupport.h"
#include "platform/Thread.h"

extern char** environ;

namespace platform {
namespace {

// strerror_r is the GNU one (returning the text) or the POSIX one (filling the buffer), depending on the
// C library and its feature macros; these two overloads take whichever the build sees.
[[maybe_unused]] const char* ErrorTextOf(const char* gnuResult, const char*) { return gnuResult; }
[[maybe_unused]] const char* ErrorTextOf(int posixResult, const char* buffer) { return posixResult == 0 ? buffer : nullptr; }

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc && argv != nullptr && argv[i] != nullptr; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}

void InitialiseProcess() {
  // Only the date and time formats follow the user's locale; number parsing and character classes stay "C".
  std::setlocale(LC_TIME, "");
  tzset();
  // A client that disconnects must fail a send, not end the process.
  std::signal(SIGPIPE, SIG_IGN);
}

std::string LastErrorText() {
  const int error = errno;
  char buffer[256] = {};
  const char* text = ErrorTextOf(strerror_r(error, buffer, sizeof buffer), buffer);
  if (text == nullptr || text[0] == '\0') return "error " + std::to_string(error);
  return text;
}

namespace {

constexpr const char* kShell = "/bin/sh";

// Command lines are written for a shell: the program may be quoted, as on Windows.
bool SpawnShell(const std::string& commandLine, bool discardOutput, pid_t& child) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (discardOutput) {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  }
  const char* arguments[] = {kShell, "-c", commandLine.c_str(), nullptr};
  const int result = posix_spawn(&child, kShell, &actions, nullptr, const_cast<char* const*>(arguments), environ);
  posix_spawn_file_actions_destroy(&actions);
  errno = result;
  return result == 0;
}

unsigned long ExitCodeOf(int status) {
  if (WIFEXITED(status)) return static_cast<unsigned long>(WEXITSTATUS(status));
  return 128UL + static_cast<unsigned long>(WTERMSIG(status));
}

}  // namespace

bool StartProgram(const std::string& commandLine, ProgramWindow) {
  // Started from a child that ends at once, so the program is nobody's child to wait for.
  const pid_t middle = fork();
  if (middle < 0) return false;
  if (middle == 0) {
    setsid();
    pid_t program = 0;
    _exit(SpawnShell(commandLine, false, program) ? 0 : 1);
  }
  int status = 0;
  if (RetryOnEintr([&] { return waitpid(middle, &status, 0); }) < 0) return false;
  errno = ENOEXEC;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

ProgramRun RunHiddenProgram(const std::string& commandLine, unsigned timeoutMilliseconds) {
  ProgramRun run;
  pid_t child = 0;
  if (!SpawnShell(commandLine, true, child)) {
    run.error = LastErrorText();
    return run;
  }
  constexpr unsigned kPollMilliseconds = 10;
  int status = 0;
  for (unsigned waited = 0;; waited += kPollMilliseconds) {
    const pid_t ended = RetryOnEintr([&] { return waitpid(child, &status, WNOHANG); });
    if (ended == child) break;
    if (ended < 0 || waited >= timeoutMilliseconds) {
      kill(child, SIGKILL);
      RetryOnEintr([&] { return waitpid(child, &status, 0); });
      run.outcome = ProgramRun::Outcome::TimedOut;
      return run;
    }
    SleepMilliseconds(kPollMilliseconds);
  }
  run.outcome = ProgramRun::Outcome::Finished;
  run.exitCode = ExitCodeOf(status);
  return run;
}

}  // namespace platform
