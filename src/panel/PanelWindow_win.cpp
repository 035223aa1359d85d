#include "panel/PanelWindow.h"

#include <utility>

#include "panel/PanelWindowState_win.h"
#include "platform/WinText.h"

namespace platform {

PanelWindow::PanelWindow() : state_(std::make_unique<State>()) {}

PanelWindow::~PanelWindow() {
  // Before the fonts and the handlers go: the window still sends messages while it is destroyed.
  state_->window.Close();
}

bool PanelWindow::Available() { return true; }

bool PanelWindow::Create(const WindowDescription& description, WindowHandlers handlers) {
  State& state = *state_;
  // The manifest asks for version 6 of the controls; their library must be loaded before the first one.
  INITCOMMONCONTROLSEX controlsWanted{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controlsWanted);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const std::wstring className = WideFromUtf8(description.className);
  const std::wstring iconName = WideFromUtf8(description.iconName);
  const HICON icon = iconName.empty() ? nullptr : LoadIconW(instance, iconName.c_str());

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &State::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = icon;
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = className.c_str();
  // A second window of the same class finds the class registered already.
  if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  WNDCLASSEXW containerClass = windowClass;
  containerClass.lpfnWndProc = &ContainerProc;
  containerClass.hIcon = nullptr;
  containerClass.lpszClassName = kContainerClass;
  if (RegisterClassExW(&containerClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  const std::wstring fontName = WideFromUtf8(description.fontName);
  const auto makeFont = [&](BOOL underline) {
    return CreateFontW(description.fontHeight, 0, 0, 0, FW_NORMAL, FALSE, underline, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       fontName.c_str());
  };
  state.font = ScopedGdiObject(makeFont(FALSE));
  state.linkFont = ScopedGdiObject(makeFont(TRUE));
  state.handlers = std::move(handlers);
  state.caption = WideFromUtf8(description.caption);
  state.focusHome = description.focusHome;

  // Fixed border, minimize but no maximize; the outer size follows from the client area.
  // No WS_CLIPCHILDREN: the window paints the inside of its frames, which paint only their edges.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, description.clientWidth, description.clientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT workArea{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  const int x = workArea.left + (workArea.right - workArea.left - width) / 2;
  const int y = workArea.top + (workArea.bottom - workArea.top - height) / 2;

  state.window = ScopedWindow(CreateWindowExW(0, className.c_str(), state.caption.c_str(), style, x, y, width, height,
                                              nullptr, nullptr, instance, &state));
  if (!state.window.Valid()) return false;
  SendMessageW(state.window.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(state.font.Get()), FALSE);
  if (icon != nullptr) {
    SendMessageW(state.window.Get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    const HANDLE small = LoadImageW(instance, iconName.c_str(), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                    GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR);
    if (small != nullptr) SendMessageW(state.window.Get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  }
  for (const WindowControl& control : description.controls) {
    if (!state.MakeControl(control)) {
      state.window.Close();
      return false;
    }
  }
  // Frames go beneath the controls they frame, which would otherwise be clipped away under them.
  for (const State::Control& control : state.controls) {
    if (control.spec.kind == ControlKind::Group) {
      SetWindowPos(control.handle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  if (description.timerMilliseconds > 0) SetTimer(state.window.Get(), kPanelTimerId, description.timerMilliseconds, nullptr);
  return true;
}

std::uintptr_t PanelWindow::Handle() const { return reinterpret_cast<std::uintptr_t>(state_->window.Get()); }

void PanelWindow::SetText(int id, const std::string& text) {
  State::Control* control = state_->Find(id);
  if (control == nullptr) return;
  control->spec.text = text;
  state_->Write([&] { SetWindowTextW(control->handle, WideFromUtf8(text).c_str()); });
  state_->FitToText(*control);
}

std::string PanelWindow::Text(int id) const {
  const HWND handle = state_->HandleOf(id);
  if (handle == nullptr) return std::string();
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(handle)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(handle, text.data(), static_cast<int>(text.size()))));
  return Utf8FromWide(text);
}

void PanelWindow::SetEntries(int id, const std::vector<std::string>& entries) {
  const HWND handle = state_->HandleOf(id);
  if (handle == nullptr) return;
  state_->Write([&] {
    SendMessageW(handle, CB_RESETCONTENT, 0, 0);
    for (const std::string& entry : entries) {
      SendMessageW(handle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(entry).c_str()));
    }
  });
}

void PanelWindow::Select(int id, int index) {
  const HWND handle = state_->HandleOf(id);
  if (handle != nullptr) state_->Write([&] { SendMessageW(handle, CB_SETCURSEL, static_cast<WPARAM>(index), 0); });
}

int PanelWindow::Selected(int id) const {
  const HWND handle = state_->HandleOf(id);
  return handle == nullptr ? -1 : static_cast<int>(SendMessageW(handle, CB_GETCURSEL, 0, 0));
}

void PanelWindow::SetChecked(int id, bool checked) {
  const HWND handle = state_->HandleOf(id);
  if (handle != nullptr) {
    state_->Write([&] { SendMessageW(handle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0); });
  }
}

bool PanelWindow::Checked(int id) const {
  const HWND handle = state_->HandleOf(id);
  return handle != nullptr && SendMessageW(handle, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void PanelWindow::SetVisible(int id, bool visible) {
  const HWND handle = state_->HandleOf(id);
  if (handle != nullptr) ShowWindow(handle, visible ? SW_SHOW : SW_HIDE);
}

void PanelWindow::SetEnabled(int id, bool enabled) {
  const HWND handle = state_->HandleOf(id);
  if (handle != nullptr) EnableWindow(handle, enabled ? TRUE : FALSE);
}

void PanelWindow::Place(int id, int x, int y, int width, int height) {
  const HWND handle = state_->HandleOf(id);
  if (handle == nullptr) return;
  SetWindowPos(handle, HWND_TOP, x, y, width, height, SWP_NOACTIVATE);
  for (const State::Control& child : state_->controls) {
    if (child.spec.parent != id || child.spec.width != -1) continue;
    RECT place{};
    GetWindowRect(child.handle, &place);
    SetWindowPos(child.handle, nullptr, 0, 0, width, place.bottom - place.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void PanelWindow::Show() {
  const HWND window = state_->window.Get();
  if (window == nullptr) return;
  ShowWindow(window, SW_SHOW);
  BringWindowToTop(window);
  SetForegroundWindow(window);
  const HWND home = state_->HandleOf(state_->focusHome);
  SetFocus(home != nullptr ? home : window);
}

void PanelWindow::Hide() {
  if (state_->window.Valid()) ShowWindow(state_->window.Get(), SW_HIDE);
}

void PanelWindow::PostClose() {
  if (state_->window.Valid()) PostMessageW(state_->window.Get(), WM_CLOSE, 0, 0);
}

void PanelWindow::Close() { state_->window.Close(); }

void PanelWindow::RunMessageLoop() {
  MSG message;
  while (state_->window.Valid() && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (state_->HandleKey(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void PanelWindow::Message(const std::string& text) {
  const HWND window = state_->window.Get();
  std::wstring caption = state_->caption;
  if (window != nullptr) {
    caption.assign(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    caption.resize(static_cast<std::size_t>(GetWindowTextW(window, caption.data(), static_cast<int>(caption.size()))));
  }
  MessageBoxW(window, WideFromUtf8(text).c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}

}  // namespace platform
