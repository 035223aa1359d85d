#include "platform/MessageWindow.h"

#include <algorithm>
#include <vector>

#include "platform/WinHandles.h"

namespace platform {
namespace {

constexpr const char* kFieldClass = "obj_EDIT";
// Sent by the field to its window after every WM_SETTEXT.
constexpr UINT kFieldChanged = WM_APP + 1;
constexpr UINT_PTR kTimerId = 1;

// The system's edit procedure, under which the field's class runs.
WNDPROC editProcedure = nullptr;

// The field is an edit control under a class name of its own. Telling the window from here, once the edit has
// taken the text, runs the change handler inside the sender's WM_SETTEXT without relying on EN_CHANGE.
LRESULT CALLBACK FieldProcedure(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CallWindowProcA(editProcedure, field, message, wParam, lParam);
  if (message == WM_SETTEXT) SendMessageA(GetParent(field), kFieldChanged, 0, 0);
  return result;
}

bool RegisterFieldClass(HINSTANCE instance) {
  WNDCLASSEXA field{};
  field.cbSize = sizeof field;
  if (!GetClassInfoExA(nullptr, "EDIT", &field)) return false;
  editProcedure = field.lpfnWndProc;
  field.lpfnWndProc = FieldProcedure;
  field.hInstance = instance;
  field.lpszClassName = kFieldClass;
  return RegisterClassExA(&field) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND FieldOf(const WindowRef& window) {
  return window.Found() ? FindWindowExA(reinterpret_cast<HWND>(window.handle), nullptr, kFieldClass, nullptr)
                        : nullptr;
}

class WinMessageWindow final : public MessageWindow {
 public:
  WinMessageWindow(std::string className, MessageWindowHandlers handlers)
      : className_(std::move(className)), handlers_(std::move(handlers)) {}

  ~WinMessageWindow() override {
    window_.Close();
    UnregisterClassA(className_.c_str(), GetModuleHandleA(nullptr));
  }

  bool Open(const std::string& title, unsigned timerMilliseconds) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className_.c_str();
    if (!RegisterFieldClass(instance) || RegisterClassExA(&windowClass) == 0) return false;
    // Top-level and never shown: a message-only window could not be found by its class.
    window_ = ScopedWindow(CreateWindowExA(WS_EX_TOOLWINDOW, className_.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW,
                                           0, 0, 0, 0, nullptr, nullptr, instance, this));
    if (!window_.Valid()) return false;
    field_ = CreateWindowExA(0, kFieldClass, "", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 0, 0, window_.Get(), nullptr,
                             instance, nullptr);
    if (field_ == nullptr) return false;
    return timerMilliseconds == 0 || SetTimer(window_.Get(), kTimerId, timerMilliseconds, nullptr) != 0;
  }

  std::string Text() const override {
    const int length = GetWindowTextLengthA(field_);
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(field_, buffer.data(), length + 1);
    return std::string(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
  }

  void SetText(const std::string& text) override {
    SendMessageA(field_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }

  void Run() override {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }

  void Quit() override { PostQuitMessage(0); }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* self = reinterpret_cast<WinMessageWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr && self->Handle(message)) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
  }

  // True when the message was handled here.
  bool Handle(UINT message) {
    if (message == kFieldChanged) {
      if (handlers_.onTextChanged) handlers_.onTextChanged(Text());
      return true;
    }
    if (message == WM_CLOSE) {
      // The owner decides what a close means; the window is not destroyed behind its back.
      if (handlers_.onClose) handlers_.onClose();
      return true;
    }
    if (message == WM_TIMER) {
      if (handlers_.onTimer) handlers_.onTimer();
      return true;
    }
    if (message >= WM_USER && message < WM_APP) {
      if (handlers_.onUserMessage) handlers_.onUserMessage(message);
      return true;
    }
    return false;
  }

  std::string className_;
  MessageWindowHandlers handlers_;
  ScopedWindow window_;
  HWND field_ = nullptr;  // a child, destroyed with the window
};

}  // namespace

WindowRef FindMessageWindow(const std::string& className, const std::string& title) {
  WindowRef window;
  window.handle =
      reinterpret_cast<std::uintptr_t>(FindWindowA(className.c_str(), title.empty() ? nullptr : title.c_str()));
  return window;
}

bool SendWindowText(const WindowRef& window, const std::string& text) {
  const HWND field = FieldOf(window);
  if (field == nullptr) return false;
  SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  return true;
}

bool ReadWindowText(const WindowRef& window, std::string& text, unsigned waitMilliseconds) {
  const HWND field = FieldOf(window);
  if (field == nullptr) return false;
  // An owner busy in a handler (libvlc starting) answers late or never: the reader does not wait past its limit.
  constexpr UINT kFlags = SMTO_ABORTIFHUNG | SMTO_BLOCK;
  DWORD_PTR length = 0;
  if (SendMessageTimeoutA(field, WM_GETTEXTLENGTH, 0, 0, kFlags, waitMilliseconds, &length) == 0) return false;
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  DWORD_PTR copied = 0;
  const LPARAM into = reinterpret_cast<LPARAM>(buffer.data());
  if (SendMessageTimeoutA(field, WM_GETTEXT, static_cast<WPARAM>(buffer.size()), into, kFlags, waitMilliseconds,
                          &copied) == 0) {
    return false;
  }
  text.assign(buffer.data(), std::min<std::size_t>(copied, buffer.size() - 1));
  return true;
}

bool PostWindowMessage(const WindowRef& window, std::uint32_t message) {
  return window.Found() && PostMessageA(reinterpret_cast<HWND>(window.handle), message, 0, 0) != FALSE;
}

bool PostWindowClose(const WindowRef& window) { return PostWindowMessage(window, WM_CLOSE); }

std::unique_ptr<MessageWindow> MessageWindow::Create(const std::string& className, const std::string& title,
                                                     MessageWindowHandlers handlers, unsigned timerMilliseconds) {
  auto window = std::make_unique<WinMessageWindow>(className, std::move(handlers));
  if (!window->Open(title, timerMilliseconds)) return nullptr;
  return window;
}

}  // namespace platform
