#pragma once
// A process-wide named object whose existence marks a running instance. It disappears
// when its process ends, however it ends.
#include <cstdint>
#include <string>

namespace platform {

// True when some live process of this user holds the named mutex.
bool NamedMutexExists(const std::string& name);

// Creates and holds the named mutex for the lifetime of the object.
class NamedMutex {
 public:
  NamedMutex() = default;
  NamedMutex(NamedMutex&& other) noexcept : handle_(other.handle_) { other.handle_ = kNone; }
  NamedMutex& operator=(NamedMutex&&) = delete;
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;
  ~NamedMutex();

  // An invalid object when it cannot be created.
  static NamedMutex Create(const std::string& name);
  bool Valid() const { return handle_ != kNone; }

 private:
  static constexpr std::intptr_t kNone = -1;
  explicit NamedMutex(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_ = kNone;
};

}  // namespace platform
