#include "platform/UserMessage.h"

#include "platform/WindowsHeaders.h"

namespace platform {

void ShowUserMessage(std::uintptr_t owner, const std::string& text, const std::string& caption, MessageIcon icon) {
  UINT style = MB_OK;
  if (icon == MessageIcon::kExclamation) style |= MB_ICONEXCLAMATION;
  if (icon == MessageIcon::kInformation) style |= MB_ICONINFORMATION;
  MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption.empty() ? nullptr : caption.c_str(), style);
}

void ReportToUser(const std::string& caption, const std::string& text) {
  if (!WriteStandardErrorLine(text)) ShowUserMessage(0, text, caption, MessageIcon::kInformation);
}

bool WriteStandardErrorLine(const std::string& text) {
  const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
  if (errors == nullptr || errors == INVALID_HANDLE_VALUE || GetFileType(errors) == FILE_TYPE_UNKNOWN) return false;
  const std::string line = text + "\r\n";
  DWORD written = 0;
  return WriteFile(errors, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) != FALSE;
}

bool HasInteractiveDesktop() {
  DWORD session = 0;
  if (ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0) return false;
  USEROBJECTFLAGS flags{};
  const HWINSTA station = GetProcessWindowStation();
  return station == nullptr ||
         !GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, nullptr) ||
         (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace platform
