#include "platform/PanelWindow.h"

#include <utility>

#include "platform/WinHandles.h"
#include "platform/WinText.h"

namespace platform {

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr const wchar_t* kContainerClass = L"CorvaneContainer";
// Room below a combo box for its drop-down list.
constexpr int kDropDownListHeight = 200;
constexpr int kTextSlack = 4;

struct FontTraits {
  using Handle = HFONT;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle handle) { return handle != nullptr; }
  static bool Close(Handle handle) { return DeleteObject(handle) != FALSE; }
};
using ScopedFont = ScopedObject<FontTraits>;

struct ClassAndStyle {
  const wchar_t* className;
  DWORD style;
  DWORD extendedStyle;
};

ClassAndStyle ClassOf(const WindowControl& control) {
  const DWORD line = control.centred ? SS_CENTER : SS_LEFTNOWORDWRAP;
  switch (control.kind) {
    case WindowControlKind::Frame:
      return {L"BUTTON", BS_GROUPBOX, 0};
    // One line each: a label sized to its text must not wrap when a pixel is short.
    case WindowControlKind::Label:
      return {L"STATIC", line | SS_NOPREFIX, 0};
    case WindowControlKind::Link:
      return {L"STATIC", line | SS_NOPREFIX | SS_NOTIFY, 0};
    case WindowControlKind::EditableList:
      return {L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0};
    case WindowControlKind::ChoiceList:
      return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
    case WindowControlKind::TextField:
      return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case WindowControlKind::ReadOnlyField:
      return {L"EDIT", ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case WindowControlKind::PushButton:
      return {L"BUTTON", BS_PUSHBUTTON, 0};
    case WindowControlKind::CheckBox:
      return {L"BUTTON", BS_AUTOCHECKBOX, 0};
    case WindowControlKind::Panel:
      return {kContainerClass, 0, 0};
  }
  return {L"STATIC", 0, 0};
}

bool IsList(WindowControlKind kind) {
  return kind == WindowControlKind::EditableList || kind == WindowControlKind::ChoiceList;
}

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    // The window reacts to its controls wherever they sit.
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      return SendMessageW(GetParent(window), message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

struct PanelWindow::State {
  struct Control {
    WindowControl spec;
    HWND handle = nullptr;
  };

  ScopedWindow window;
  ScopedFont font;
  ScopedFont linkFont;
  std::vector<Control> controls;
  WindowHandlers handlers;
  std::wstring caption;
  int focusHome = 0;
  HWND lastFocus = nullptr;  // of our controls, when the window was last deactivated
  int writing = 0;  // writes of our own in progress: their notifications are not the user's

  Control* Find(int id) {
    for (Control& control : controls) {
      if (control.spec.id == id) return &control;
    }
    return nullptr;
  }
  const Control* Find(int id) const { return const_cast<State*>(this)->Find(id); }
  // The control a window belongs to: itself, or the combo box around its text field.
  Control* Owning(HWND handle) {
    for (HWND current = handle; current != nullptr && current != window.Get(); current = GetParent(current)) {
      for (Control& control : controls) {
        if (control.handle == current) return &control;
      }
    }
    return nullptr;
  }
  HWND HandleOf(int id) const {
    const Control* control = Find(id);
    return control != nullptr ? control->handle : nullptr;
  }

  // A write of ours; the control's notifications during it are ignored.
  template <typename Action>
  void Write(Action action) {
    ++writing;
    action();
    --writing;
  }

  // Measured the way a static control draws its text.
  SIZE TextSize(const std::wstring& text, HFONT textFont) const {
    RECT area{0, 0, 0, 0};
    HDC context = GetDC(window.Get());
    if (context == nullptr) return SIZE{0, 0};
    const HGDIOBJ previous = SelectObject(context, textFont);
    DrawTextW(context, text.c_str(), static_cast<int>(text.size()), &area, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(context, previous);
    ReleaseDC(window.Get(), context);
    return SIZE{area.right - area.left, area.bottom - area.top};
  }

  void FitToText(const Control& control) {
    if (control.spec.width != 0) return;
    const HFONT textFont = control.spec.kind == WindowControlKind::Link ? linkFont.Get() : font.Get();
    const SIZE size = TextSize(WideFromUtf8(control.spec.text), textFont);
    // Pixels to spare: glyphs may overhang the measured extent, and a centred label would break the word.
    SetWindowPos(control.handle, nullptr, 0, 0, size.cx + kTextSlack, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  int ParentWidth(int parent) const {
    if (parent == 0) return 0;
    RECT area{};
    GetClientRect(HandleOf(parent), &area);
    return area.right - area.left;
  }

  bool MakeControl(const WindowControl& spec) {
    const ClassAndStyle kind = ClassOf(spec);
    const HWND parent = spec.parent != 0 ? HandleOf(spec.parent) : window.Get();
    if (parent == nullptr) return false;
    const int width = spec.width == -1 ? ParentWidth(spec.parent) : spec.width;
    const int height = IsList(spec.kind) ? spec.height + kDropDownListHeight : spec.height;
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | kind.style | (spec.visible ? WS_VISIBLE : 0);
    const HWND handle = CreateWindowExW(kind.extendedStyle, kind.className, WideFromUtf8(spec.text).c_str(), style,
                                        spec.x, spec.y, width, height, parent,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)),
                                        GetModuleHandleW(nullptr), nullptr);
    if (handle == nullptr) return false;
    controls.push_back({spec, handle});
    const HFONT controlFont = spec.kind == WindowControlKind::Link ? linkFont.Get() : font.Get();
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(controlFont), FALSE);
    if (IsList(spec.kind) && spec.dropDownWidth > 0) SendMessageW(handle, CB_SETDROPPEDWIDTH, spec.dropDownWidth, 0);
    FitToText(controls.back());
    return true;
  }

  void ReturnFocusHome(HWND from) {
    const HWND home = HandleOf(focusHome);
    if (home != nullptr && GetFocus() == from) SetFocus(home);
  }

  void OnCommand(WORD code, HWND from) {
    Control* control = Owning(from);
    if (control == nullptr || writing > 0) return;
    bool used = false;
    switch (control->spec.kind) {
      case WindowControlKind::TextField:
        used = code == EN_CHANGE;
        break;
      case WindowControlKind::EditableList:
        if (code == CBN_SELCHANGE) {
          // The text field of the box shows the chosen entry only after this notification: put it there now.
          const LRESULT index = SendMessageW(control->handle, CB_GETCURSEL, 0, 0);
          const LRESULT length = SendMessageW(control->handle, CB_GETLBTEXTLEN, index, 0);
          if (index >= 0 && length >= 0) {
            std::wstring entry(static_cast<std::size_t>(length) + 1, L'\0');
            SendMessageW(control->handle, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(entry.data()));
            entry.resize(static_cast<std::size_t>(length));
            Write([&] { SetWindowTextW(control->handle, entry.c_str()); });
          }
        }
        used = code == CBN_EDITCHANGE || code == CBN_SELCHANGE;
        break;
      case WindowControlKind::ChoiceList:
        used = code == CBN_SELCHANGE;
        break;
      case WindowControlKind::PushButton:
      case WindowControlKind::CheckBox:
        used = code == BN_CLICKED;
        if (used) ReturnFocusHome(control->handle);
        break;
      case WindowControlKind::Link:
        used = code == STN_CLICKED;
        break;
      default:
        break;
    }
    if (used && handlers.controlUsed) handlers.controlUsed(control->spec.id);
  }

  // Colours of fields and labels; nullptr leaves the system's.
  HBRUSH Colour(HDC context, HWND from) {
    const Control* control = Owning(from);
    if (control == nullptr) return nullptr;
    int background = -1;
    switch (control->spec.colour) {
      case WindowControlColour::Window:
        background = COLOR_WINDOW;
        break;
      case WindowControlColour::ButtonFace:
        background = COLOR_BTNFACE;
        break;
      case WindowControlColour::Parent:
        break;
    }
    if (control->spec.kind == WindowControlKind::Link) {
      SetTextColor(context, GetSysColor(COLOR_HOTLIGHT));
      if (background < 0) background = COLOR_BTNFACE;
    }
    if (background < 0) return nullptr;
    SetBkColor(context, GetSysColor(background));
    return GetSysColorBrush(background);
  }

  bool TakesKeys(HWND target) {
    if (target == window.Get()) return true;
    const Control* control = Owning(target);
    return control != nullptr && control->spec.takesFocus;
  }

  // F1 and Esc from the window's fields; false when the message goes on as usual.
  bool HandleKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || (message.wParam != VK_F1 && message.wParam != VK_ESCAPE)) return false;
    if (!TakesKeys(message.hwnd)) return false;
    if (message.wParam == VK_F1) {
      if (handlers.helpKey) handlers.helpKey();
      return true;
    }
    const Control* control = Owning(message.hwnd);
    if (control != nullptr && IsList(control->spec.kind) &&
        SendMessageW(control->handle, CB_GETDROPPEDSTATE, 0, 0) != FALSE) {
      return false;  // Esc closes the open list first
    }
    if (handlers.escapeKey) handlers.escapeKey();
    return true;
  }

  static LRESULT CALLBACK WindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
    if (state == nullptr) return DefWindowProcW(handle, message, wParam, lParam);
    switch (message) {
      case WM_COMMAND:
        if (lParam != 0) state->OnCommand(HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX: {
        const HBRUSH brush = state->Colour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        if (brush != nullptr) return reinterpret_cast<LRESULT>(brush);
        break;
      }
      case WM_SETCURSOR: {
        const Control* control = state->Owning(reinterpret_cast<HWND>(wParam));
        if (control != nullptr && control->spec.kind == WindowControlKind::Link) {
          SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND
          return TRUE;
        }
        break;
      }
      case WM_ACTIVATE:
        // A plain window would take the focus itself when it comes back (after a message box, say):
        // give it to the control that had it, or to the home control.
        if (LOWORD(wParam) == WA_INACTIVE) {
          const HWND focus = GetFocus();
          state->lastFocus = state->Owning(focus) != nullptr ? focus : nullptr;
        } else if (HIWORD(wParam) == 0) {
          const HWND home = state->HandleOf(state->focusHome);
          const HWND target = state->lastFocus != nullptr && IsWindow(state->lastFocus) ? state->lastFocus : home;
          if (target != nullptr) {
            SetFocus(target);
            return 0;
          }
        }
        break;
      case WM_TIMER:
        if (wParam == kTimerId && state->handlers.timer) state->handlers.timer();
        return 0;
      case WM_DESTROY:
        KillTimer(handle, kTimerId);
        PostQuitMessage(0);
        return 0;
      case WM_NCDESTROY:
        // The owner below lets go of a window that is already gone.
        SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
        (void)state->window.Release();
        break;
      default:
        break;
    }
    return DefWindowProcW(handle, message, wParam, lParam);
  }
};

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
  state.font = ScopedFont(makeFont(FALSE));
  state.linkFont = ScopedFont(makeFont(TRUE));
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
    if (control.spec.kind == WindowControlKind::Frame) {
      SetWindowPos(control.handle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  if (description.timerMilliseconds > 0) SetTimer(state.window.Get(), kTimerId, description.timerMilliseconds, nullptr);
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
