#include "platform/NamedMutex.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/PosixSupport.h"

// A Windows named mutex vanishes with the last process that holds it. The nearest thing here is an flock(2)
// lock on a per-user file: the kernel drops it however the holder ends (kill -9 included), and unlike an
// abstract socket name it is shared across network namespaces. The files themselves stay behind on purpose:
// removing a lock file races with a process that has just opened it.

namespace platform {
namespace {

// A creator that finds the lock taken retries for about 100 ms, since a NamedMutexExists probe in another
// process holds it for an instant; a real holder keeps it for its whole life.
constexpr int kCreateAttempts = 20;
constexpr long kCreateRetryNanoseconds = 5 * 1000 * 1000;

// The folder when it is ours alone (a directory, not a link, owned by us, writable by nobody else); else empty.
std::string PrivateFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return std::string();
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid() ||
      (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return std::string();
  }
  return path;
}

std::string LockFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') {
    std::string folder = PrivateFolder(std::string(runtime) + "/corvane");
    if (!folder.empty()) return folder;
  }
  return PrivateFolder("/tmp/corvane-" + std::to_string(geteuid()));
}

// The lock file of a name; empty when there is no usable folder.
std::string LockPath(const std::string& name) {
  const std::string folder = LockFolder();
  if (folder.empty()) return std::string();
  std::string file = name;
  for (char& c : file) {
    if (c == '/' || c == '\0') c = '_';
  }
  // Neither "", "." nor ".." may name the folder itself or its parent.
  if (file.empty() || file[0] == '.') file.insert(0, 1, '_');
  return folder + "/" + file;
}

}  // namespace

bool NamedMutexExists(const std::string& name) {
  const std::string path = LockPath(name);
  if (path.empty()) return false;
  // Closing the probe's descriptor also drops the probe's own lock.
  const UniqueFd fd(RetryOnEintr([&] { return open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW); }));
  if (!fd.Valid()) return false;
  // A shared probe conflicts only with a holder, never with another probe.
  const int result = RetryOnEintr([&] { return flock(fd.Get(), LOCK_SH | LOCK_NB); });
  return result != 0 && errno == EWOULDBLOCK;
}

NamedMutex NamedMutex::Create(const std::string& name) {
  const std::string path = LockPath(name);
  if (path.empty()) return NamedMutex();
  UniqueFd fd(RetryOnEintr([&] { return open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600); }));
  if (!fd.Valid()) return NamedMutex();
  for (int attempt = 1;; ++attempt) {
    if (RetryOnEintr([&] { return flock(fd.Get(), LOCK_EX | LOCK_NB); }) == 0) return NamedMutex(fd.Release());
    if (errno != EWOULDBLOCK || attempt == kCreateAttempts) return NamedMutex();
    const timespec pause{0, kCreateRetryNanoseconds};
    nanosleep(&pause, nullptr);
  }
}

NamedMutex::~NamedMutex() {
  const UniqueFd owned(static_cast<int>(handle_));
}

}  // namespace platform
