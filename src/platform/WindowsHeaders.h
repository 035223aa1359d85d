#pragma once
// The only way the platform files reach the Windows API. winsock2.h must come before windows.h
// (which would otherwise drag in the old winsock.h with different option numbers), and the
// headers that windows.h leaves out under WIN32_LEAN_AND_MEAN are added here, once.
// WIN32_LEAN_AND_MEAN, NOMINMAX and _WIN32_WINNT come from the build; the fallbacks below only
// keep a stray compile of one file consistent with it.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#endif

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <wincrypt.h>
#include <shellapi.h>
// clang-format on

namespace platform {

// Owns one kernel object handle. Closing leaves GetLastError as it was, so a failure can
// still be reported after the handle has gone.
class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.handle_;
      other.handle_ = nullptr;
    }
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { Close(); }

  // Creation calls disagree on how they fail: some return NULL, CreateFileA INVALID_HANDLE_VALUE.
  bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  [[nodiscard]] HANDLE Release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  void Close() {
    if (Valid()) {
      const DWORD error = GetLastError();
      CloseHandle(handle_);
      SetLastError(error);
    }
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace platform
