#include "platform/ThreadWake.h"

#include <csignal>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

#include "platform/PosixSupport.h"

namespace platform {

struct ConnectionWake::Objects {
  UniqueFd event{eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)};
};

ConnectionWake::ConnectionWake() : objects_(std::make_unique<Objects>()) {}

ConnectionWake::~ConnectionWake() = default;

bool ConnectionWake::Valid() const { return objects_->event.Valid(); }

void ConnectionWake::Raise() {
  const std::uint64_t one = 1;
  // A full counter is still a raised one.
  (void)RetryOnEintr([&] { return write(objects_->event.Get(), &one, sizeof one); });
}

ConnectionWake::Result ConnectionWake::Wait(SocketHandle listener) {
  pollfd waits[2] = {{static_cast<int>(objects_->event.Get()), POLLIN, 0}, {static_cast<int>(listener), POLLIN, 0}};
  if (RetryOnEintr([&] { return poll(waits, 2, -1); }) < 0) return Result::Failed;
  if ((waits[0].revents & POLLIN) != 0) {
    std::uint64_t count = 0;
    (void)RetryOnEintr([&] { return read(objects_->event.Get(), &count, sizeof count); });
    return Result::Woken;
  }
  return (waits[1].revents & POLLIN) != 0 ? Result::Connection : Result::Failed;
}

std::thread StartHoldableThread(std::function<void()> body) {
  // Signals meant for the process belong to the thread that waits for them (the service dispatcher); this
  // thread and those it starts take only the faults of their own. The mask is inherited at creation.
  sigset_t blocked;
  sigset_t previous;
  sigfillset(&blocked);
  for (const int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT}) sigdelset(&blocked, signal);
  pthread_sigmask(SIG_BLOCK, &blocked, &previous);
  struct RestoreMask {
    const sigset_t& previous;
    ~RestoreMask() { pthread_sigmask(SIG_SETMASK, &previous, nullptr); }
  } restore{previous};
  return std::thread(std::move(body));
}

std::uint64_t CurrentSystemThreadId() { return static_cast<std::uint64_t>(syscall(SYS_gettid)); }

}  // namespace platform
