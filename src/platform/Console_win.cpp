#include "platform/Console.h"

#include "platform/WindowsHeaders.h"

namespace platform {

namespace {

// Guards the output handle and keeps concurrent lines whole. Process-wide and never destroyed,
// so threads still logging while the process ends find it intact.
SRWLOCK outputLock = SRWLOCK_INIT;
HANDLE consoleOutput = nullptr;  // set by OpenConsole, kept until the process ends
bool outputChosen = false;

bool Usable(HANDLE handle) {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

class ExclusiveLock {
 public:
  explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;
  ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }

 private:
  SRWLOCK& lock_;
};

}  // namespace

bool OpenConsole(const std::string& title) {
  ExclusiveLock guard(outputLock);
  // A harness that redirected our output (a pipe, a file) keeps it; a console is still made for the title.
  HANDLE original = GetStdHandle(STD_OUTPUT_HANDLE);
  const bool keepOriginal = Usable(original);

  const bool allocated = AllocConsole() != FALSE;
  SetConsoleTitleA(title.c_str());

  if (keepOriginal) {
    // AllocConsole may have pointed the standard handles at the new console.
    SetStdHandle(STD_OUTPUT_HANDLE, original);
    consoleOutput = original;
  } else {
    HANDLE console = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) console = GetStdHandle(STD_OUTPUT_HANDLE);
    if (Usable(console)) {
      SetStdHandle(STD_OUTPUT_HANDLE, console);
      consoleOutput = console;
    }
  }
  outputChosen = true;
  return allocated || Usable(consoleOutput);
}

void WriteStandardOutputLine(const std::string& line) {
  const std::string text = line + "\r\n";
  ExclusiveLock guard(outputLock);
  HANDLE output = outputChosen ? consoleOutput : GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return;

  const char* next = text.data();
  DWORD left = static_cast<DWORD>(text.size());
  DWORD mode = 0;
  const bool console = GetConsoleMode(output, &mode) != FALSE;
  // One call writes the whole line; the loop only matters if the system accepts part of it.
  while (left > 0) {
    DWORD written = 0;
    const BOOL ok = console ? WriteConsoleA(output, next, left, &written, nullptr)
                            : WriteFile(output, next, left, &written, nullptr);
    if (!ok || written == 0) return;
    next += written;
    left -= written;
  }
}

bool StandardOutputIsSystemLog() { return false; }

}  // namespace platform
