#pragma once
// Shared by the POSIX implementations of the platform seam: an owned descriptor and the retry of
// calls that a signal interrupted.
#include <cerrno>
#include <cstdint>
#include <string>
#include <unistd.h>

namespace platform {

// Calls call() again while it fails with EINTR; returns its last result.
template <typename Call>
auto RetryOnEintr(Call call) -> decltype(call()) {
  decltype(call()) result;
  do {
    result = call();
  } while (result == -1 && errno == EINTR);
  return result;
}

// Writes every byte, going on after short writes; false when a write fails, errno saying why.
inline bool WriteAll(int fd, const std::string& bytes) {
  const char* next = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = RetryOnEintr([&] { return write(fd, next, left); });
    if (written < 0) return false;
    next += written;
    left -= static_cast<std::size_t>(written);
  }
  return true;
}

// Closes fd and leaves errno as it was, so the caller can still report the call that failed.
// close is not retried: on Linux the descriptor is gone even when close reports EINTR.
inline int CloseKeepingErrno(int fd) {
  const int saved = errno;
  const int result = close(fd);
  errno = saved;
  return result;
}

// Owns one descriptor; closes it on destruction without disturbing errno.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = other.fd_;
      other.fd_ = -1;
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(); }

  bool Valid() const { return fd_ >= 0; }
  int Get() const { return fd_; }
  [[nodiscard]] int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset() {
    if (fd_ >= 0) CloseKeepingErrno(fd_);
    fd_ = -1;
  }
  // For a file just written: some file systems report a failed write only at close.
  bool CloseChecked() {
    const int fd = Release();
    return fd < 0 || close(fd) == 0;
  }

 private:
  int fd_ = -1;
};

// Binds a datagram socket to a multicast group's own address (network order; port in host order), which
// BindIPv4 refuses as the address of no interface: Linux then delivers that group alone to the socket.
bool BindGroupAddress(int fd, std::uint32_t group, std::uint16_t port);

// A file of this user's private runtime folder ($XDG_RUNTIME_DIR/corvane, else /tmp/corvane-UID), made when
// missing and used only when nobody else can write to it; the name is made safe as a file name. Empty when
// there is no such folder.
std::string PrivateRuntimePath(const std::string& name);

}  // namespace platform
