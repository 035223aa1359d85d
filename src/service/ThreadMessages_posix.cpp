#include "service/ThreadMessages.h"

#include <deque>
#include <mutex>
#include <sys/syscall.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>

// Linux threads have no message queues: one process-wide table keeps a queue per thread that asked for one,
// keyed by the kernel thread id, as SuspendableThread::Id() reports it.

namespace platform {
namespace {

using Message = std::pair<std::uint32_t, std::uintptr_t>;

struct Queues {
  std::mutex lock;
  std::unordered_map<std::uint64_t, std::deque<Message>> byThread;
};

// Lives until the process ends: threads may post while it exits.
Queues& AllQueues() {
  static auto* queues = new Queues;
  return *queues;
}

std::uint64_t CurrentThreadId() { return static_cast<std::uint64_t>(syscall(SYS_gettid)); }

// The calling thread's queue goes with the thread, so a later thread with the same id starts without one.
struct QueueOwner {
  std::uint64_t id = 0;
  ~QueueOwner() {
    if (id == 0) return;
    Queues& queues = AllQueues();
    const std::lock_guard<std::mutex> guard(queues.lock);
    queues.byThread.erase(id);
  }
};
thread_local QueueOwner ownQueue;

}  // namespace

void CreateThreadMessageQueue() {
  if (ownQueue.id != 0) return;
  ownQueue.id = CurrentThreadId();
  Queues& queues = AllQueues();
  const std::lock_guard<std::mutex> guard(queues.lock);
  queues.byThread[ownQueue.id];
}

bool PostThreadMessageTo(std::uint64_t threadId, std::uint32_t message, std::uintptr_t parameter) {
  Queues& queues = AllQueues();
  const std::lock_guard<std::mutex> guard(queues.lock);
  const auto queue = queues.byThread.find(threadId);
  if (queue == queues.byThread.end()) return false;
  queue->second.emplace_back(message, parameter);
  return true;
}

bool TakeThreadMessage(std::uint32_t& message, std::uintptr_t& parameter) {
  if (ownQueue.id == 0) return false;
  Queues& queues = AllQueues();
  const std::lock_guard<std::mutex> guard(queues.lock);
  std::deque<Message>& queue = queues.byThread[ownQueue.id];
  if (queue.empty()) return false;
  message = queue.front().first;
  parameter = queue.front().second;
  queue.pop_front();
  return true;
}

}  // namespace platform
