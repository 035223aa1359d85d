#include "platform/Process.h"

#include "platform/WinHandles.h"

namespace platform {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  // The C runtime has already split GetCommandLineA by the system's rules.
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
  return arguments;
}

void InitialiseProcess() {
  // A service or a console proxy has nobody to answer a system error box; fail the call
  // (or end the process) instead of waiting on one.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
}

std::string LastErrorText() {
  const DWORD code = GetLastError();
  char text[1024];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                sizeof text, nullptr);
  // System texts end with a full stop and a line end, which read badly inside a sentence.
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == '.' ||
                        text[length - 1] == ' ')) {
    --length;
  }
  if (length == 0) return "error " + std::to_string(code);
  return std::string(text, length);
}

namespace {

// CreateProcessA may write into the command line, so it gets a copy of its own.
bool CreateFromCommandLine(const std::string& commandLine, DWORD flags, WORD show, PROCESS_INFORMATION& process) {
  std::string writable = commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = show;
  return CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup,
                        &process) != FALSE;
}

}  // namespace

bool StartProgram(const std::string& commandLine, ProgramWindow window) {
  PROCESS_INFORMATION process{};
  const DWORD flags = window == ProgramWindow::OwnConsole ? CREATE_NEW_CONSOLE : 0;
  const WORD show = window == ProgramWindow::OwnConsole ? SW_SHOW : SW_SHOWNORMAL;
  if (!CreateFromCommandLine(commandLine, flags, show, process)) return false;
  ScopedHandle thread(process.hThread);
  ScopedHandle started(process.hProcess);
  return true;
}

ProgramRun RunHiddenProgram(const std::string& commandLine, unsigned timeoutMilliseconds) {
  ProgramRun run;
  PROCESS_INFORMATION process{};
  if (!CreateFromCommandLine(commandLine, CREATE_NEW_CONSOLE | CREATE_NO_WINDOW, SW_HIDE, process)) {
    run.error = LastErrorText();
    return run;
  }
  ScopedHandle thread(process.hThread);
  ScopedHandle started(process.hProcess);
  if (WaitForSingleObject(started.Get(), timeoutMilliseconds) != WAIT_OBJECT_0) {
    TerminateProcess(started.Get(), 1);
    WaitForSingleObject(started.Get(), 5000);
    run.outcome = ProgramRun::Outcome::TimedOut;
    return run;
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(started.Get(), &exitCode);
  run.outcome = ProgramRun::Outcome::Finished;
  run.exitCode = exitCode;
  return run;
}

}  // namespace platform
