#include "platform/Thread.h"

#include <memory>
#include <utility>

#include "platform/WinHandles.h"

namespace platform {

namespace {

// Handed to the new thread, which owns it from the moment it runs.
struct ThreadStart {
  std::function<void(std::uint64_t)> body;
  HANDLE handle = nullptr;
};

std::uint64_t ThreadNumber(HANDLE handle) { return reinterpret_cast<std::uintptr_t>(handle); }

DWORD WINAPI ThreadProcedure(LPVOID parameter) {
  std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
  ScopedHandle own(start->handle);
  try {
    start->body(ThreadNumber(own.Get()));
  } catch (...) {
    // Nothing may unwind out of a thread procedure; ending this one connection is enough.
  }
  // The body and what it captured go before the handle, so the number is not reused while they live.
  start.reset();
  return 0;
}

}  // namespace

bool StartDetachedThread(std::function<void(std::uint64_t threadNumber)> body) {
  auto start = std::make_unique<ThreadStart>();
  start->body = std::move(body);
  // Suspended, so the handle is in place before the thread reads it.
  HANDLE thread = CreateThread(nullptr, kDetachedThreadStackBytes, ThreadProcedure, start.get(),
                               CREATE_SUSPENDED | STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) return false;
  start->handle = thread;
  if (ResumeThread(thread) == static_cast<DWORD>(-1)) {
    // It never ran, so the context is still ours to free.
    TerminateThread(thread, 0);
    ScopedHandle unused(thread);
    return false;
  }
  (void)start.release();  // the running thread owns it now
  return true;
}

void SleepMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

void SetHighProcessPriority() {
  ScopedHandle process(OpenProcess(PROCESS_SET_INFORMATION, FALSE, GetCurrentProcessId()));
  if (process.Valid()) SetPriorityClass(process.Get(), HIGH_PRIORITY_CLASS);
}

}  // namespace platform
