#pragma once
// A thread that starts suspended and can be suspended, resumed and ended from outside: the service
// host's worker and control pump. Suspensions count, as the system's do: each Suspend needs its Resume.
#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

class SuspendableThread {
 public:
  // Creates the thread suspended; body runs once it is resumed. Valid() is false when no thread could be made.
  explicit SuspendableThread(std::function<void()> body);
  SuspendableThread(const SuspendableThread&) = delete;
  SuspendableThread& operator=(const SuspendableThread&) = delete;
  // A thread that never ran is ended; one that still runs keeps its body and goes on alone.
  ~SuspendableThread();

  bool Valid() const;
  // Names the thread for PostThreadMessageTo.
  std::uint64_t Id() const;

  // Each returns false when the system refused or the body has ended.
  bool Resume();
  // Returns once the thread has stopped (on Linux; Windows stops it asynchronously).
  bool Suspend();
  // Waits until the body has returned; returns at once when it never began.
  void WaitUntilEnded();
  // Ends the thread where it stands without unwinding it. On Linux a thread cannot be ended alone:
  // it is held for good and goes with the process.
  void Terminate();

  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace platform
