#include "service/SuspendableThread.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <ctime>
#include <mutex>
#include <pthread.h>
#include <semaphore.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

// Linux cannot suspend one thread of a process from outside. A signal does it: its handler acknowledges
// and then waits in sigsuspend until a second signal releases it. The release signal is blocked while the
// handler runs, so a release that comes early waits in the kernel instead of being lost. A blocking call
// that the signal interrupted is restarted afterwards (SA_RESTART).

namespace platform {

struct SuspendableThread::State {
  ~State() { sem_destroy(&held); }

  std::function<void()> body;
  pthread_t thread{};
  bool created = false;
  std::mutex lock;
  std::condition_variable changed;
  // Guarded by lock.
  std::uint64_t id = 0;
  int suspendCount = 1;
  bool started = false;   // the body has begun
  bool finished = false;  // the body has returned
  bool cancelled = false; // ended before it began
  // Read by the signal handler: it keeps the thread while either is set.
  std::atomic<bool> hold{false};
  std::atomic<bool> terminated{false};
  sem_t held;  // posted by the handler when it has the thread
};

namespace {

thread_local SuspendableThread::State* currentThread = nullptr;

int HoldSignal() { return SIGRTMAX - 1; }
int ReleaseSignal() { return SIGRTMAX; }

void OnHoldSignal(int) {
  const int savedErrno = errno;
  SuspendableThread::State* state = currentThread;
  if (state != nullptr) {
    sem_post(&state->held);
    sigset_t waitMask;
    sigfillset(&waitMask);
    sigdelset(&waitMask, ReleaseSignal());
    while (state->hold.load() || state->terminated.load()) sigsuspend(&waitMask);
  }
  errno = savedErrno;
}

void OnReleaseSignal(int) {}

void InstallSignalHandlers() {
  static std::once_flag installed;
  std::call_once(installed, [] {
    struct sigaction action {};
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, ReleaseSignal());
    action.sa_handler = OnHoldSignal;
    sigaction(HoldSignal(), &action, nullptr);
    sigemptyset(&action.sa_mask);
    action.sa_handler = OnReleaseSignal;
    sigaction(ReleaseSignal(), &action, nullptr);
  });
}

void* RunThread(void* parameter) {
  auto* state = static_cast<SuspendableThread::State*>(parameter);
  currentThread = state;
  {
    std::unique_lock<std::mutex> guard(state->lock);
    state->id = static_cast<std::uint64_t>(syscall(SYS_gettid));
    state->changed.notify_all();
    state->changed.wait(guard, [state] { return state->suspendCount == 0 || state->cancelled; });
    if (state->cancelled) return nullptr;
    state->started = true;
  }
  state->body();
  // Not to be held while it owns the lock that Resume needs.
  sigset_t hold;
  sigemptyset(&hold);
  sigaddset(&hold, HoldSignal());
  pthread_sigmask(SIG_BLOCK, &hold, nullptr);
  const std::lock_guard<std::mutex> guard(state->lock);
  state->finished = true;
  state->changed.notify_all();
  return nullptr;
}

// Waits for the handler's acknowledgement, or for the body to end first.
void WaitUntilHeld(SuspendableThread::State& state) {
  for (;;) {
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_nsec += 10 * 1000 * 1000;
    if (deadline.tv_nsec >= 1000 * 1000 * 1000) {
      deadline.tv_sec += 1;
      deadline.tv_nsec -= 1000 * 1000 * 1000;
    }
    if (sem_timedwait(&state.held, &deadline) == 0) return;
    const std::lock_guard<std::mutex> guard(state.lock);
    if (state.finished) return;
  }
}

}  // namespace

SuspendableThread::SuspendableThread(std::function<void()> body) : state_(std::make_unique<State>()) {
  InstallSignalHandlers();
  State& state = *state_;
  state.body = std::move(body);
  sem_init(&state.held, 0, 0);
  // Signals meant for the process belong to the thread that waits for them (the service dispatcher); this
  // thread and those it starts take only the two that hold and release it, and the faults of their own.
  sigset_t blocked;
  sigset_t previous;
  sigfillset(&blocked);
  for (const int signal : {HoldSignal(), ReleaseSignal(), SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT}) {
    sigdelset(&blocked, signal);
  }
  pthread_sigmask(SIG_BLOCK, &blocked, &previous);
  state.created = pthread_create(&state.thread, nullptr, RunThread, &state) == 0;
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (!state.created) return;
  std::unique_lock<std::mutex> guard(state.lock);
  state.changed.wait(guard, [&state] { return state.id != 0; });
}

SuspendableThread::~SuspendableThread() {
  if (!Valid()) return;
  State& state = *state_;
  bool join = false;
  {
    const std::lock_guard<std::mutex> guard(state.lock);
    if (!state.started) {
      state.cancelled = true;
      state.changed.notify_all();
    }
    join = !state.started || state.finished;
  }
  if (join) {
    pthread_join(state.thread, nullptr);
    return;
  }
  // Running or held: it keeps its state, which it may be using right now.
  pthread_detach(state.thread);
  (void)state_.release();
}

bool SuspendableThread::Valid() const { return state_ && state_->created; }

std::uint64_t SuspendableThread::Id() const { return Valid() ? state_->id : 0; }

bool SuspendableThread::Resume() {
  if (!Valid()) return false;
  State& state = *state_;
  {
    const std::lock_guard<std::mutex> guard(state.lock);
    if (state.cancelled || state.finished || state.suspendCount == 0) return false;
    if (--state.suspendCount != 0) return true;
    if (!state.started) {
      state.changed.notify_all();
      return true;
    }
    state.hold = false;
  }
  return pthread_kill(state.thread, ReleaseSignal()) == 0;
}

bool SuspendableThread::Suspend() {
  if (!Valid()) return false;
  State& state = *state_;
  {
    const std::lock_guard<std::mutex> guard(state.lock);
    if (state.cancelled || state.finished) return false;
    if (++state.suspendCount != 1 || !state.started) return true;
    state.hold = true;
  }
  if (pthread_kill(state.thread, HoldSignal()) != 0) return false;
  WaitUntilHeld(state);
  return true;
}

void SuspendableThread::WaitUntilEnded() {
  if (!Valid()) return;
  State& state = *state_;
  std::unique_lock<std::mutex> guard(state.lock);
  state.changed.wait(guard, [&state] { return !state.started || state.finished; });
}

void SuspendableThread::Terminate() {
  if (!Valid()) return;
  State& state = *state_;
  {
    const std::lock_guard<std::mutex> guard(state.lock);
    if (state.cancelled || state.finished) return;
    if (!state.started) {
      state.cancelled = true;
      state.changed.notify_all();
      return;
    }
    state.terminated = true;
    if (state.suspendCount != 0) return;  // held already, and now for good
  }
  if (pthread_kill(state.thread, HoldSignal()) == 0) WaitUntilHeld(state);
}

}  // namespace platform
