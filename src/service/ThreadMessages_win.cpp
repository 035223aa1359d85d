#include "service/ThreadMessages.h"

#include "platform/WindowsHeaders.h"

namespace platform {

void CreateThreadMessageQueue() {
  // The system makes a thread's queue on its first call to a message function.
  MSG message;
  PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
}

bool PostThreadMessageTo(std::uint64_t threadId, std::uint32_t message, std::uintptr_t parameter) {
  return PostThreadMessageA(static_cast<DWORD>(threadId), message, static_cast<WPARAM>(parameter), 0) != FALSE;
}

bool TakeThreadMessage(std::uint32_t& message, std::uintptr_t& parameter) {
  MSG taken;
  if (!PeekMessageA(&taken, nullptr, 0, 0, PM_REMOVE)) return false;
  if (taken.hwnd != nullptr) {
    TranslateMessage(&taken);
    DispatchMessageA(&taken);
    return false;
  }
  message = taken.message;
  parameter = static_cast<std::uintptr_t>(taken.wParam);
  return true;
}

}  // namespace platform
