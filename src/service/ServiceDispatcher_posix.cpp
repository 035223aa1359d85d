#include "service/ServiceDispatcher.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>

#include "platform/PosixSupport.h"
#include "platform/Thread.h"
#include "service/ServiceSystemd_posix.h"

namespace platform {
namespace {

// One dispatcher per process. Lives until the process ends: the service's threads may still report
// while the process exits.
struct Dispatcher {
  sockaddr_un notifyAddress{};
  socklen_t notifyAddressLength = 0;
  std::atomic<ServiceControlReceiver*> receiver{nullptr};
  std::atomic<bool> acceptsControls{false};
  std::atomic<bool> stopped{false};
};

Dispatcher& TheDispatcher() {
  static auto* dispatcher = new Dispatcher;
  return *dispatcher;
}

// NOTIFY_SOCKET names a datagram socket by path, or an abstract one when it begins with "@".
bool ParseNotifyAddress(const char* text, Dispatcher& dispatcher) {
  const std::size_t size = std::strlen(text);
  sockaddr_un& address = dispatcher.notifyAddress;
  if ((text[0] != '/' && text[0] != '@') || size < 2 || size >= sizeof address.sun_path) return false;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, text, size);
  if (text[0] == '@') address.sun_path[0] = '\0';
  dispatcher.notifyAddressLength = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + size);
  return true;
}

bool Notify(const Dispatcher& dispatcher, const std::string& text) {
  const UniqueFd socket(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!socket.Valid()) return false;
  const auto* address = reinterpret_cast<const sockaddr*>(&dispatcher.notifyAddress);
  return RetryOnEintr([&] {
           return sendto(socket.Get(), text.data(), text.size(), MSG_NOSIGNAL, address, dispatcher.notifyAddressLength);
         }) == static_cast<ssize_t>(text.size());
}

}  // namespace

bool RunServiceDispatcher(const std::vector<std::string>& names, ServiceEntryFunction entry) {
  Dispatcher& dispatcher = TheDispatcher();
  const char* notifySocket = std::getenv("NOTIFY_SOCKET");
  if (names.empty() || notifySocket == nullptr || !ParseNotifyAddress(notifySocket, dispatcher)) {
    errno = ENOTCONN;
    return false;
  }
  // Programs the service starts are not the service and must not speak for it.
  unsetenv("NOTIFY_SOCKET");

  // Blocked before the first thread starts, so that every thread inherits the mask and the signals wait
  // for this thread alone.
  const sigset_t controls = ControlSignals();
  pthread_sigmask(SIG_BLOCK, &controls, nullptr);
  std::thread service([&names, entry] { entry({names.front()}); });

  while (!dispatcher.stopped) {
    // Like the service control manager, hold controls back while the service accepts none.
    if (!dispatcher.acceptsControls || dispatcher.receiver == nullptr) {
      SleepMilliseconds(10);
      continue;
    }
    const timespec wait{0, 100 * 1000 * 1000};
    const int signal = sigtimedwait(&controls, nullptr, &wait);
    const std::uint32_t code = signal > 0 ? ControlCodeOfSignal(signal) : 0;
    if (code != 0 && !dispatcher.stopped) dispatcher.receiver.load()->OnServiceControl(code);
  }
  service.join();
  return true;
}

std::uintptr_t RegisterServiceControlReceiver(const std::string&, ServiceControlReceiver& receiver) {
  TheDispatcher().receiver = &receiver;
  return 1;
}

bool ReportServiceStatusRecord(std::uintptr_t, const ServiceStatusRecord& status) {
  Dispatcher& dispatcher = TheDispatcher();
  const bool sent = Notify(dispatcher, NotifyText(status.currentState));
  dispatcher.acceptsControls = status.controlsAccepted != 0 && status.currentState != kServiceStopped;
  if (status.currentState == kServiceStopped) dispatcher.stopped = true;
  return sent;
}

std::uint32_t LastSystemErrorCode() { return static_cast<std::uint32_t>(errno); }

}  // namespace platform
