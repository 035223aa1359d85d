#include "platform/NamedMutex.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
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

}  // namespace

bool NamedMutexExists(const std::string& name) {
  const std::string path = PrivateRuntimePath(name);
  if (path.empty()) return false;
  // Closing the probe's descriptor also drops the probe's own lock.
  const UniqueFd fd(RetryOnEintr([&] { return open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW); }));
  if (!fd.Valid()) return false;
  // A shared probe conflicts only with a holder, never with another probe.
  const int result = RetryOnEintr([&] { return flock(fd.Get(), LOCK_SH | LOCK_NB); });
  return result != 0 && errno == EWOULDBLOCK;
}

NamedMutex NamedMutex::Create(const std::string& name) {
  const std::string path = PrivateRuntimePath(name);
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
