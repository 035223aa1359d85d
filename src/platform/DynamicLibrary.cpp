#include "platform/DynamicLibrary.h"

namespace platform {

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

DynamicLibrary::~DynamicLibrary() { Close(); }

bool DynamicLibrary::IsOpen() const { return handle_ != nullptr; }

void DynamicLibrary::Close() {
  if (handle_ != nullptr) Unload(handle_);
  handle_ = nullptr;
}

}  // namespace platform
