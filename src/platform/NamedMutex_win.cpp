#include "platform/NamedMutex.h"

#include "platform/WindowsHeaders.h"

namespace platform {

bool NamedMutexExists(const std::string& name) {
  ScopedHandle mutex(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name.c_str()));
  return mutex.Valid();
}

NamedMutex NamedMutex::Create(const std::string& name) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) return NamedMutex();
  return NamedMutex(reinterpret_cast<std::intptr_t>(mutex));
}

NamedMutex::~NamedMutex() {
  if (handle_ != kNone) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace platform
