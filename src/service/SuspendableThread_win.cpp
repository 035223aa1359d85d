#include "service/SuspendableThread.h"

#include <utility>

#include "platform/WinHandles.h"

namespace platform {

struct SuspendableThread::State {
  std::function<void()> body;
  ScopedHandle handle;
  DWORD id = 0;
  bool everResumed = false;
};

namespace {

DWORD WINAPI RunBody(LPVOID parameter) {
  static_cast<SuspendableThread::State*>(parameter)->body();
  return 0;
}

}  // namespace

SuspendableThread::SuspendableThread(std::function<void()> body) : state_(std::make_unique<State>()) {
  state_->body = std::move(body);
  state_->handle = ScopedHandle(CreateThread(nullptr, 0, RunBody, state_.get(), CREATE_SUSPENDED, &state_->id));
}

SuspendableThread::~SuspendableThread() {
  if (!Valid()) return;
  const HANDLE thread = state_->handle.Get();
  if (!state_->everResumed) {
    // It never ran a line of its body: nothing is left half done.
    TerminateThread(thread, 0);
    WaitForSingleObject(thread, INFINITE);
    return;
  }
  if (WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) return;
  // Still running: it keeps its body, which it may be using right now.
  state_->handle.Close();
  (void)state_.release();
}

bool SuspendableThread::Valid() const { return state_ && state_->handle.Valid(); }

std::uint64_t SuspendableThread::Id() const { return state_->id; }

bool SuspendableThread::Resume() {
  if (!Valid()) return false;
  state_->everResumed = true;
  return ResumeThread(state_->handle.Get()) != static_cast<DWORD>(-1);
}

bool SuspendableThread::Suspend() { return Valid() && SuspendThread(state_->handle.Get()) != static_cast<DWORD>(-1); }

void SuspendableThread::WaitUntilEnded() {
  if (Valid() && state_->everResumed) WaitForSingleObject(state_->handle.Get(), INFINITE);
}

void SuspendableThread::Terminate() {
  if (Valid()) TerminateThread(state_->handle.Get(), 0);
}

}  // namespace platform
