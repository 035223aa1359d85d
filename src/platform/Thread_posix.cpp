#include "platform/Thread.h"

#include <cerrno>
#include <cstdlib>
#include <cxxabi.h>
#include <ctime>
#include <dirent.h>
#include <memory>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {
namespace {

using ThreadBody = std::function<void(std::uint64_t)>;

void* RunThread(void* argument) {
  const std::unique_ptr<ThreadBody> body(static_cast<ThreadBody*>(argument));
  try {
    (*body)(static_cast<std::uint64_t>(syscall(SYS_gettid)));
  } catch (const abi::__forced_unwind&) {
    throw;  // the thread is being cancelled: that unwinding must go on
  } catch (...) {
    // Nothing may unwind out of a thread procedure; ending this one thread is enough.
  }
  return nullptr;
}

}  // namespace

bool StartDetachedThread(std::function<void(std::uint64_t threadNumber)> body) {
  auto owned = std::make_unique<ThreadBody>(std::move(body));
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  pthread_t thread;
  const bool started = pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED) == 0 &&
                       pthread_attr_setstacksize(&attributes, kDetachedThreadStackBytes) == 0 &&
                       pthread_create(&thread, &attributes, RunThread, owned.get()) == 0;
  pthread_attr_destroy(&attributes);
  if (started) owned.release();  // the new thread owns it now
  return started;
}

void SleepMilliseconds(unsigned milliseconds) {
  timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

void SetHighProcessPriority() {
  // Linux keeps a nice value per thread and new threads inherit their creator's, so every thread that exists
  // now is raised. Raising needs privilege; without it the process simply keeps its priority.
  constexpr int kHighNice = -10;
  setpriority(PRIO_PROCESS, 0, kHighNice);
  DIR* tasks = opendir("/proc/self/task");
  if (tasks == nullptr) return;
  while (const dirent* entry = readdir(tasks)) {
    const int id = std::atoi(entry->d_name);
    if (id > 0) setpriority(PRIO_PROCESS, static_cast<id_t>(id), kHighNice);
  }
  closedir(tasks);
}

}  // namespace platform
