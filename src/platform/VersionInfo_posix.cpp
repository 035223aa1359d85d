#include "platform/VersionInfo.h"

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool ReadProductVersion(const std::string& file, std::uint16_t (&parts)[4]) {
  // ELF files carry no version resource. The running program knows its own version from the build, so
  // that file (under any name or link that leads to it) answers with it and every other file has none.
  struct stat asked {}, running {};
  if (stat(file.c_str(), &asked) != 0 || stat("/proc/self/exe", &running) != 0) return false;
  if (asked.st_dev != running.st_dev || asked.st_ino != running.st_ino) {
    // Under an emulator (qemu-user) the link leads to the emulator, while its text names this program.
    char path[4096];
    const ssize_t size = readlink("/proc/self/exe", path, sizeof path - 1);
    if (size <= 0) return false;
    path[size] = '\0';
    if (stat(path, &running) != 0 || asked.st_dev != running.st_dev || asked.st_ino != running.st_ino) return false;
  }
  parts[0] = CORVANE_VERSION_MAJOR;
  parts[1] = CORVANE_VERSION_MINOR;
  parts[2] = CORVANE_VERSION_PATCH;
  parts[3] = CORVANE_VERSION_TWEAK;
  return true;
}

}  // namespace platform
