#include "platform/NamedMutex.h"

#include "platform/WinHandles.h"

namespace platform {

bool NamedMutexExists(const std::string& name) {
  ScopedHandle mutex(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name.c_str()));
  return mutex.Valid();
}

NamedMutex NamedMutex::Create(const std::string& name) {
  ScopedHandle mutex(CreateMutexA(nullptr, FALSE, name.c_str()));
  // CreateMutexA also succeeds when the mutex already existed: then another start got there first.
  if (!mutex.Valid() || GetLastError() == ERROR_ALREADY_EXISTS) return NamedMutex();
  return NamedMutex(reinterpret_cast<std::intptr_t>(mutex.Release()));
}

NamedMutex::~NamedMutex() {
  ScopedHandle owned(handle_ != kNone ? reinterpret_cast<HANDLE>(handle_) : nullptr);
}

}  // namespace platform
