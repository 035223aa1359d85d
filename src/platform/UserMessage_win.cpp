#include "platform/UserMessage.h"

#include "platform/WindowsHeaders.h"

namespace platform {

void ShowUserMessage(std::uintptr_t owner, const std::string& text, const std::string& caption, MessageIcon icon) {
  const UINT style = MB_OK | (icon == MessageIcon::kExclamation ? MB_ICONEXCLAMATION : 0);
  MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption.empty() ? nullptr : caption.c_str(), style);
}

}  // namespace platform
