#include "platform/UserMessage.h"

#include "platform/WindowsHeaders.h"

namespace platform {

void ShowUserMessage(const std::string& caption, const std::string& text) {
  const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
  if (errors != nullptr && errors != INVALID_HANDLE_VALUE && GetFileType(errors) != FILE_TYPE_UNKNOWN) {
    const std::string line = text + "\r\n";
    DWORD written = 0;
    if (WriteFile(errors, line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) return;
  }
  MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}

}  // namespace platform
