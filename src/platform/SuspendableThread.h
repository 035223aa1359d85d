#pragma once
// A thread that starts held and can be held and let go from outside: the service host's worker and
// control pump. It is held only where its body allows it, at a safe point (HoldPoint, or a wait in
// WaitForConnection), never inside a lock or a half-done step. Holds count: each Suspend needs its Resume.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Socket.h"

namespace platform {

class SuspendableThread {
 public:
  // Creates the thread held; body begins on the first Resume. Valid() is false when no thread could be made.
  explicit SuspendableThread(std::function<void()> body);
  SuspendableThread(const SuspendableThread&) = delete;
  SuspendableThread& operator=(const SuspendableThread&) = delete;
  // A thread whose body never began is ended; one that runs or is held goes on alone.
  ~SuspendableThread();

  bool Valid() const;
  // Names the thread for PostThreadMessageTo.
  std::uint64_t Id() const;

  // Each returns false when the body has ended (or never may begin).
  // Undoes one Suspend; the last lets the body go on, or begin.
  bool Resume();
  // Asks the body to stay at its next safe point; returns once it stands there or has ended, or after
  // kHoldWaitMilliseconds when it is busy elsewhere (it then stays at the safe point it comes to next).
  bool Suspend();
  // Waits until the body has returned; returns at once when it never began.
  void WaitUntilEnded();
  // Keeps the body at its next safe point for good, as Suspend does; a body that never began never begins.
  void Terminate();

  static constexpr unsigned kHoldWaitMilliseconds = 1000;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

// A safe point of the calling thread: while a SuspendableThread running this is asked to stay, it waits
// here. Returns at once on any other thread.
void HoldPoint();

// Waits until a connection waits on the listening socket, standing at the calling thread's safe point
// meanwhile; false when the wait failed. On a thread that is not a SuspendableThread it returns true at
// once and the accept that follows does the waiting.
bool WaitForConnection(SocketHandle listener);

}  // namespace platform
