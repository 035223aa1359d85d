#include "platform/ThreadWake.h"

#include <utility>

#include "platform/WinHandles.h"

namespace platform {

struct ConnectionWake::Objects {
  ScopedHandle wake{CreateEventA(nullptr, FALSE, FALSE, nullptr)};       // auto-reset: one Raise, one Woken
  ScopedHandle connection{CreateEventA(nullptr, TRUE, FALSE, nullptr)};  // set by the socket
};

ConnectionWake::ConnectionWake() : objects_(std::make_unique<Objects>()) {}

ConnectionWake::~ConnectionWake() = default;

bool ConnectionWake::Valid() const { return objects_->wake.Valid() && objects_->connection.Valid(); }

void ConnectionWake::Raise() { SetEvent(objects_->wake.Get()); }

ConnectionWake::Result ConnectionWake::Wait(SocketHandle listener) {
  const SOCKET socket = static_cast<SOCKET>(listener);
  ResetEvent(objects_->connection.Get());
  // A connection that waits already sets the event at once.
  if (WSAEventSelect(socket, objects_->connection.Get(), FD_ACCEPT) != 0) return Result::Failed;
  const HANDLE events[2] = {objects_->wake.Get(), objects_->connection.Get()};
  const DWORD which = WaitForMultipleObjects(2, events, FALSE, INFINITE);
  // Back to a plain blocking socket, as the accept that follows and the sockets it makes expect.
  WSAEventSelect(socket, nullptr, 0);
  u_long blocking = 0;
  ioctlsocket(socket, FIONBIO, &blocking);
  if (which == WAIT_OBJECT_0) return Result::Woken;
  return which == WAIT_OBJECT_0 + 1 ? Result::Connection : Result::Failed;
}

std::thread StartHoldableThread(std::function<void()> body) { return std::thread(std::move(body)); }

std::uint64_t CurrentSystemThreadId() { return GetCurrentThreadId(); }

}  // namespace platform
