#include "platform/MessageWindow.h"

#include <chrono>
#include <cstring>
#include <deque>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/NamedMutex.h"
#include "platform/PosixSupport.h"

// A window's stand-in is a stream socket in the user's private runtime folder, named by the window class. Each
// exchange is one connection carrying one request (a command byte, a length, the bytes) and one reply of the same
// shape. The owner handles a set-text before it replies, so the sender's wait ends after the handler, as a
// SendMessage does; a posted message or close is replied to at once and handled afterwards.

namespace platform {
namespace {

enum Command : char { kSetText = 'S', kGetText = 'G', kGetTitle = 'T', kPostMessage = 'M', kPostClose = 'C' };

// A handler may take its time (a transcoder request waits for libvlc); a peer that stalls longer has gone astray.
constexpr unsigned kSenderTimeoutMilliseconds = 60000;
constexpr unsigned kOwnerTimeoutMilliseconds = 5000;
constexpr std::uint32_t kMaxPayload = 1 << 20;

std::string EndpointPath(const std::string& className) { return PrivateRuntimePath(className + ".window"); }

bool SetTimeouts(int fd, unsigned milliseconds) {
  const timeval limit{static_cast<time_t>(milliseconds / 1000), static_cast<suseconds_t>(milliseconds % 1000 * 1000)};
  return setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) == 0 &&
         setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit) == 0;
}

// Only processes of this very user may talk to a window, whichever side asks.
bool PeerIsThisUser(int fd) {
  ucred peer{};
  socklen_t size = sizeof peer;
  return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == geteuid();
}

bool SendExact(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t sent = RetryOnEintr([&] { return send(fd, data, size, MSG_NOSIGNAL); });
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

bool ReceiveExact(int fd, char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t got = RetryOnEintr([&] { return recv(fd, data, size, 0); });
    if (got <= 0) return false;
    data += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

bool SendFrame(int fd, char code, const std::string& payload) {
  char head[5];
  head[0] = code;
  const std::uint32_t size = static_cast<std::uint32_t>(payload.size());
  std::memcpy(head + 1, &size, sizeof size);
  return SendExact(fd, head, sizeof head) && SendExact(fd, payload.data(), payload.size());
}

bool ReceiveFrame(int fd, char& code, std::string& payload) {
  char head[5];
  if (!ReceiveExact(fd, head, sizeof head)) return false;
  code = head[0];
  std::uint32_t size = 0;
  std::memcpy(&size, head + 1, sizeof size);
  if (size > kMaxPayload) return false;
  payload.assign(size, '\0');
  return ReceiveExact(fd, &payload[0], size);
}

bool MakeAddress(const std::string& path, sockaddr_un& address) {
  address = sockaddr_un{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

UniqueFd Connect(const std::string& path, unsigned waitMilliseconds) {
  sockaddr_un address;
  if (!MakeAddress(path, address)) return UniqueFd();
  UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd.Valid() || !SetTimeouts(fd.Get(), waitMilliseconds)) return UniqueFd();
  if (RetryOnEintr([&] { return connect(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address); }) != 0 ||
      !PeerIsThisUser(fd.Get())) {
    return UniqueFd();
  }
  return fd;
}

// One request and its reply; false when the window is gone or refused the request.
bool Exchange(const std::string& path, char command, const std::string& payload, std::string* reply,
              unsigned waitMilliseconds = kSenderTimeoutMilliseconds) {
  const UniqueFd fd = Connect(path, waitMilliseconds);
  char code = 0;
  std::string answer;
  if (!fd.Valid() || !SendFrame(fd.Get(), command, payload) || !ReceiveFrame(fd.Get(), code, answer) || code != 'K') {
    return false;
  }
  if (reply != nullptr) *reply = answer;
  return true;
}

class PosixMessageWindow final : public MessageWindow {
 public:
  PosixMessageWindow(NamedMutex ownership, UniqueFd listener, std::string path, std::string title,
                     MessageWindowHandlers handlers, unsigned timerMilliseconds)
      : ownership_(std::move(ownership)),
        listener_(std::move(listener)),
        path_(std::move(path)),
        title_(std::move(title)),
        handlers_(std::move(handlers)),
        period_(timerMilliseconds) {}

  ~PosixMessageWindow() override {
    // Still ours: the ownership lock is held until after the removal.
    unlink(path_.c_str());
  }

  std::string Text() const override { return text_; }

  void SetText(const std::string& text) override {
    text_ = text;
    if (handlers_.onTextChanged) handlers_.onTextChanged(text_);
  }

  void Run() override {
    using Clock = std::chrono::steady_clock;
    Clock::time_point nextTick = Clock::now() + std::chrono::milliseconds(period_);
    quit_ = false;
    while (!quit_) {
      if (!posted_.empty()) {
        const Posted event = posted_.front();
        posted_.pop_front();
        Deliver(event);
        continue;
      }
      int wait = -1;
      if (period_ != 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - Clock::now()).count();
        wait = left > 0 ? static_cast<int>(left) : 0;
      }
      pollfd entry{listener_.Get(), POLLIN, 0};
      const int ready = RetryOnEintr([&] { return poll(&entry, 1, wait); });
      if (period_ != 0 && Clock::now() >= nextTick) {
        // A fixed period, as a window timer keeps: ticks missed during a long handler are not made up.
        while (nextTick <= Clock::now()) nextTick += std::chrono::milliseconds(period_);
        if (handlers_.onTimer) handlers_.onTimer();
      }
      if (ready > 0 && (entry.revents & POLLIN) != 0) ServeOne();
    }
  }

  void Quit() override { quit_ = true; }

 private:
  struct Posted {
    bool close;
    std::uint32_t message;
  };

  void Deliver(const Posted& event) {
    if (event.close) {
      if (handlers_.onClose) handlers_.onClose();
    } else if (handlers_.onUserMessage) {
      handlers_.onUserMessage(event.message);
    }
  }

  void ServeOne() {
    const UniqueFd fd(RetryOnEintr([&] { return accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC); }));
    if (!fd.Valid() || !PeerIsThisUser(fd.Get()) || !SetTimeouts(fd.Get(), kOwnerTimeoutMilliseconds)) return;
    char command = 0;
    std::string payload;
    if (!ReceiveFrame(fd.Get(), command, payload)) return;
    switch (command) {
      case kSetText:
        SetText(payload);
        SendFrame(fd.Get(), 'K', std::string());
        return;
      case kGetText:
        SendFrame(fd.Get(), 'K', text_);
        return;
      case kGetTitle:
        SendFrame(fd.Get(), 'K', title_);
        return;
      case kPostMessage: {
        std::uint32_t message = 0;
        if (payload.size() != sizeof message) break;
        std::memcpy(&message, payload.data(), sizeof message);
        posted_.push_back(Posted{false, message});
        SendFrame(fd.Get(), 'K', std::string());
        return;
      }
      case kPostClose:
        posted_.push_back(Posted{true, 0});
        SendFrame(fd.Get(), 'K', std::string());
        return;
    }
    SendFrame(fd.Get(), 'E', std::string());
  }

  NamedMutex ownership_;
  UniqueFd listener_;
  std::string path_;
  std::string title_;
  MessageWindowHandlers handlers_;
  unsigned period_;
  std::string text_;
  std::deque<Posted> posted_;
  bool quit_ = false;
};

}  // namespace

WindowRef FindMessageWindow(const std::string& className, const std::string& title) {
  WindowRef window;
  const std::string path = EndpointPath(className);
  // A live owner's socket takes the connection even while a handler keeps it busy; a dead one's refuses it.
  if (title.empty()) {
    if (Connect(path, kSenderTimeoutMilliseconds).Valid()) window.endpoint = path;
    return window;
  }
  std::string ownTitle;
  if (!Exchange(path, kGetTitle, std::string(), &ownTitle)) return window;
  if (title.empty() || title == ownTitle) window.endpoint = path;
  return window;
}

bool SendWindowText(const WindowRef& window, const std::string& text) {
  return window.Found() && Exchange(window.endpoint, kSetText, text, nullptr);
}

bool ReadWindowText(const WindowRef& window, std::string& text, unsigned waitMilliseconds) {
  return window.Found() && Exchange(window.endpoint, kGetText, std::string(), &text, waitMilliseconds);
}

bool PostWindowMessage(const WindowRef& window, std::uint32_t message) {
  std::string payload(sizeof message, '\0');
  std::memcpy(&payload[0], &message, sizeof message);
  return window.Found() && Exchange(window.endpoint, kPostMessage, payload, nullptr);
}

bool PostWindowClose(const WindowRef& window) {
  return window.Found() && Exchange(window.endpoint, kPostClose, std::string(), nullptr);
}

std::unique_ptr<MessageWindow> MessageWindow::Create(const std::string& className, const std::string& title,
                                                     MessageWindowHandlers handlers, unsigned timerMilliseconds) {
  const std::string path = EndpointPath(className);
  sockaddr_un address;
  if (!MakeAddress(path, address)) return nullptr;
  // One owner per class: the lock decides, and a socket file left by an owner that died is then ours to replace.
  NamedMutex ownership = NamedMutex::Create(className + ".window-owner");
  if (!ownership.Valid()) return nullptr;
  unlink(path.c_str());
  UniqueFd listener(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!listener.Valid() || bind(listener.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener.Get(), 16) != 0) {
    return nullptr;
  }
  return std::make_unique<PosixMessageWindow>(std::move(ownership), std::move(listener), path, title,
                                              std::move(handlers), timerMilliseconds);
}

}  // namespace platform
