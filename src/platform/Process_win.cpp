#include "platform/Process.h"

#include "platform/WindowsHeaders.h"

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

}  // namespace platform
