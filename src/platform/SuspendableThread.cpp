#include "platform/SuspendableThread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/ThreadWake.h"

// The thread is never stopped from outside where it happens to be: one held inside a lock (the log's, the
// allocator's, the console's) would stop every thread that needs that lock, and the process could not even
// exit. It stops itself at the safe points its body names, and only there.

namespace platform {

struct SuspendableThread::State {
  std::function<void()> body;
  bool created = false;  // set by the constructor
  ConnectionWake wake;
  std::mutex lock;
  std::condition_variable changed;
  // Guarded by lock.
  std::uint64_t id = 0;
  int suspendCount = 1;     // the body begins when it drops to 0
  bool started = false;     // the body has begun
  bool finished = false;    // the body has returned
  bool cancelled = false;   // ended before it began
  bool terminated = false;  // held for good
  bool holding = false;     // the body stands at a safe point, held

  bool MayGoOn() const { return suspendCount == 0 && !terminated; }

  // Waits until the body stands at a safe point or has ended, or until the wait's limit.
  void WaitUntilHeld(std::unique_lock<std::mutex>& guard) {
    changed.wait_for(guard, std::chrono::milliseconds(kHoldWaitMilliseconds),
                     [this] { return holding || finished; });
  }
};

namespace {

// The state of the SuspendableThread the calling thread runs, if any; its thread keeps it alive.
thread_local SuspendableThread::State* currentThread = nullptr;

void Run(const std::shared_ptr<SuspendableThread::State>& state) {
  currentThread = state.get();
  {
    std::unique_lock<std::mutex> guard(state->lock);
    state->id = CurrentSystemThreadId();
    state->changed.notify_all();
    state->changed.wait(guard, [&state] { return state->suspendCount == 0 || state->cancelled; });
    if (state->cancelled) return;
    state->started = true;
  }
  state->body();
  const std::lock_guard<std::mutex> guard(state->lock);
  state->finished = true;
  state->changed.notify_all();
}

}  // namespace

SuspendableThread::SuspendableThread(std::function<void()> body) : state_(std::make_shared<State>()) {
  State& state = *state_;
  state.body = std::move(body);
  if (!state.wake.Valid()) return;
  try {
    // Nobody waits for it to end: it keeps the state through its own reference, and a thread held for good
    // simply goes with the process.
    StartHoldableThread([state = state_] { Run(state); }).detach();
  } catch (const std::system_error&) {
    return;  // no thread: Valid() says so
  }
  state.created = true;
  std::unique_lock<std::mutex> guard(state.lock);
  state.changed.wait(guard, [&state] { return state.id != 0; });
}

SuspendableThread::~SuspendableThread() {
  if (!Valid()) return;
  State& state = *state_;
  const std::lock_guard<std::mutex> guard(state.lock);
  if (state.started) return;
  state.cancelled = true;
  state.changed.notify_all();
}

bool SuspendableThread::Valid() const { return state_->created; }

std::uint64_t SuspendableThread::Id() const {
  if (!Valid()) return 0;
  const std::lock_guard<std::mutex> guard(state_->lock);
  return state_->id;
}

bool SuspendableThread::Resume() {
  if (!Valid()) return false;
  State& state = *state_;
  const std::lock_guard<std::mutex> guard(state.lock);
  if (state.cancelled || state.finished || state.suspendCount == 0) return false;
  if (--state.suspendCount == 0) state.changed.notify_all();
  return true;
}

bool SuspendableThread::Suspend() {
  if (!Valid()) return false;
  State& state = *state_;
  std::unique_lock<std::mutex> guard(state.lock);
  if (state.cancelled || state.finished) return false;
  if (++state.suspendCount != 1 || !state.started) return true;
  state.wake.Raise();
  state.WaitUntilHeld(guard);
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
  std::unique_lock<std::mutex> guard(state.lock);
  if (state.cancelled || state.finished) return;
  if (!state.started) {
    state.cancelled = true;
    state.changed.notify_all();
    return;
  }
  state.terminated = true;
  state.wake.Raise();
  state.WaitUntilHeld(guard);
}

void HoldPoint() {
  SuspendableThread::State* state = currentThread;
  if (state == nullptr) return;
  std::unique_lock<std::mutex> guard(state->lock);
  if (state->MayGoOn()) return;
  state->holding = true;
  state->changed.notify_all();
  state->changed.wait(guard, [state] { return state->MayGoOn(); });
  state->holding = false;
}

bool WaitForConnection(SocketHandle listener) {
  SuspendableThread::State* state = currentThread;
  if (state == nullptr) return true;
  for (;;) {
    HoldPoint();
    switch (state->wake.Wait(listener)) {
      case ConnectionWake::Result::Connection:
        return true;
      case ConnectionWake::Result::Woken:
        break;
      case ConnectionWake::Result::Failed:
        return false;
    }
  }
}

}  // namespace platform
