#include "platform/Thread.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <future>
#include <memory>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {
namespace {

struct ThreadStart {
  std::function<void(std::uint64_t)> body;
  std::promise<std::uint64_t> number;  // the kernel id, handed back to the creator
};

void* RunThread(void* argument) {
  std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(argument));
  const auto id = static_cast<std::uint64_t>(syscall(SYS_gettid));
  start->number.set_value(id);
  const std::function<void(std::uint64_t)> body = std::move(start->body);
  start.reset();
  body(id);
  return nullptr;
}

}  // namespace

std::uint64_t StartDetachedThread(std::function<void(std::uint64_t threadNumber)> body) {
  auto start = std::make_unique<ThreadStart>();
  start->body = std::move(body);
  std::future<std::uint64_t> number = start->number.get_future();

  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return 0;
  pthread_t thread;
  const bool started = pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED) == 0 &&
                       pthread_create(&thread, &attributes, RunThread, start.get()) == 0;
  pthread_attr_destroy(&attributes);
  if (!started) return 0;
  start.release();  // the new thread owns it now
  return number.get();
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
