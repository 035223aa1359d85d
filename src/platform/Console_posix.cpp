#include "platform/Console.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/PosixSupport.h"

namespace platform {

bool OpenConsole(const std::string& title) {
  // The terminal the program was started from is its console; only a terminal understands the title sequence.
  if (isatty(STDOUT_FILENO)) WriteAll(STDOUT_FILENO, "\033]0;" + title + "\007");
  return true;
}

void WriteStandardOutputLine(const std::string& line) {
  // One write per line under one lock, so lines of many threads never interleave.
  static std::mutex lock;
  // The journal keeps a line with a CR in it as binary data.
  const std::string bytes = line + (StandardOutputIsSystemLog() ? "\n" : "\r\n");
  std::lock_guard<std::mutex> guard(lock);
  WriteAll(STDOUT_FILENO, bytes);  // nowhere to report a console that went away
}

bool StandardOutputIsSystemLog() {
  static const bool journal = [] {
    const char* stream = std::getenv("JOURNAL_STREAM");
    unsigned long long device = 0;
    unsigned long long inode = 0;
    struct stat output {};
    return stream != nullptr && std::sscanf(stream, "%llu:%llu", &device, &inode) == 2 &&
           fstat(STDOUT_FILENO, &output) == 0 && output.st_dev == device && output.st_ino == inode;
  }();
  return journal;
}

}  // namespace platform
