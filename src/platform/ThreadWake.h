#pragma once
// What SuspendableThread needs of the system, one implementation per platform: its thread, the thread's
// system id, and a wait for a connection that another thread can cut short.
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "platform/Socket.h"

namespace platform {

// Starts body on a thread that leaves the process's own signals (stop, pause...) to the thread that waits
// for them.
std::thread StartHoldableThread(std::function<void()> body);

// The calling thread's id as PostThreadMessageTo knows it.
std::uint64_t CurrentSystemThreadId();

class ConnectionWake {
 public:
  enum class Result { Connection, Woken, Failed };

  ConnectionWake();
  ConnectionWake(const ConnectionWake&) = delete;
  ConnectionWake& operator=(const ConnectionWake&) = delete;
  ~ConnectionWake();

  bool Valid() const;
  // Cuts the current or the next Wait short; callable from any thread.
  void Raise();
  // Waits until the listening socket has a connection to accept, or a Raise came since the last Woken.
  Result Wait(SocketHandle listener);

  struct Objects;

 private:
  std::unique_ptr<Objects> objects_;
};

}  // namespace platform
