// The parts of InputFile that the C library does the same way everywhere.
#include <climits>

#include "platform/Files.h"

namespace platform {

InputFile::~InputFile() { Close(); }

void InputFile::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

long InputFile::Read(void* buffer, std::size_t size) {
  if (file_ == nullptr) return -1;
  if (size > static_cast<std::size_t>(LONG_MAX)) size = LONG_MAX;
  const std::size_t count = std::fread(buffer, 1, size, file_);
  if (count == 0 && std::ferror(file_)) return -1;
  return static_cast<long>(count);
}

}  // namespace platform
