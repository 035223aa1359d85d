#pragma once
// Owners for every kind of Windows handle the platform files hold. One template, one traits type
// per kind: how it is closed and which values mean "no handle". Closing leaves GetLastError as it
// was, so a failure can still be reported after the handle has gone.
#include "platform/WindowsHeaders.h"

namespace platform {

template <typename Traits>
class ScopedObject {
 public:
  using Handle = typename Traits::Handle;

  ScopedObject() = default;
  explicit ScopedObject(Handle handle) : handle_(handle) {}
  ScopedObject(ScopedObject&& other) noexcept : handle_(other.handle_) { other.handle_ = Traits::Null(); }
  ScopedObject& operator=(ScopedObject&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.handle_;
      other.handle_ = Traits::Null();
    }
    return *this;
  }
  ScopedObject(const ScopedObject&) = delete;
  ScopedObject& operator=(const ScopedObject&) = delete;
  ~ScopedObject() { Close(); }

  bool Valid() const { return Traits::IsValid(handle_); }
  Handle Get() const { return handle_; }
  [[nodiscard]] Handle Release() {
    const Handle handle = handle_;
    handle_ = Traits::Null();
    return handle;
  }
  // Returns what the close call returned (true when there was nothing to close).
  bool Close() {
    bool closed = true;
    if (Valid()) {
      const DWORD error = GetLastError();
      closed = Traits::Close(handle_);
      SetLastError(error);
    }
    handle_ = Traits::Null();
    return closed;
  }

 private:
  Handle handle_ = Traits::Null();
};

// Kernel objects. Creation calls disagree on how they fail: most return NULL, CreateFileA
// INVALID_HANDLE_VALUE; both mean "none".
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static bool Close(Handle handle) { return CloseHandle(handle) != FALSE; }
};

struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle handle) { return handle != nullptr; }
  static bool Close(Handle handle) { return RegCloseKey(handle) == ERROR_SUCCESS; }
};

// Service control manager and service handles.
struct ServiceHandleTraits {
  using Handle = SC_HANDLE;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle handle) { return handle != nullptr; }
  static bool Close(Handle handle) { return CloseServiceHandle(handle) != FALSE; }
};

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle handle) { return handle != nullptr; }
  static bool Close(Handle handle) { return FreeLibrary(handle) != FALSE; }
};

// A window belongs to the thread that made it: close it there.
struct WindowTraits {
  using Handle = HWND;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle handle) { return handle != nullptr; }
  static bool Close(Handle handle) { return DestroyWindow(handle) != FALSE; }
};

// Fonts, brushes and the other drawing objects.
struct GdiObjectTraits {
  using Handle = HGDIOBJ;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle handle) { return handle != nullptr; }
  static bool Close(Handle handle) { return DeleteObject(handle) != FALSE; }
};

// CryptoAPI: a provider context and a hash object made from it.
struct CryptProviderTraits {
  using Handle = HCRYPTPROV;
  static Handle Null() { return 0; }
  static bool IsValid(Handle handle) { return handle != 0; }
  static bool Close(Handle handle) { return CryptReleaseContext(handle, 0) != FALSE; }
};

struct CryptHashTraits {
  using Handle = HCRYPTHASH;
  static Handle Null() { return 0; }
  static bool IsValid(Handle handle) { return handle != 0; }
  static bool Close(Handle handle) { return CryptDestroyHash(handle) != FALSE; }
};

using ScopedHandle = ScopedObject<KernelHandleTraits>;
using ScopedRegistryKey = ScopedObject<RegistryKeyTraits>;
using ScopedServiceHandle = ScopedObject<ServiceHandleTraits>;
using ScopedModule = ScopedObject<ModuleTraits>;
using ScopedWindow = ScopedObject<WindowTraits>;
using ScopedGdiObject = ScopedObject<GdiObjectTraits>;
using ScopedCryptProvider = ScopedObject<CryptProviderTraits>;
using ScopedCryptHash = ScopedObject<CryptHashTraits>;

}  // namespace platform
