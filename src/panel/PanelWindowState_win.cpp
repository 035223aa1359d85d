#include "panel/PanelWindowState_win.h"

#include "platform/WinText.h"

namespace platform {

namespace {

// Room below a combo box for its drop-down list.
constexpr int kDropDownListHeight = 200;
constexpr int kTextSlack = 4;

struct ClassAndStyle {
  const wchar_t* className;
  DWORD style;
  DWORD extendedStyle;
};

ClassAndStyle ClassOf(const WindowControl& control) {
  const DWORD line = control.centred ? SS_CENTER : SS_LEFTNOWORDWRAP;
  switch (control.kind) {
    case ControlKind::Group:
      return {L"BUTTON", BS_GROUPBOX, 0};
    // One line each: a label sized to its text must not wrap when a pixel is short.
    case ControlKind::Label:
      return {L"STATIC", line | SS_NOPREFIX, 0};
    case ControlKind::LinkLabel:
      return {L"STATIC", line | SS_NOPREFIX | SS_NOTIFY, 0};
    case ControlKind::EditableList:
      return {L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::ChoiceList:
      return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::TextField:
      return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::ReadOnlyField:
      return {L"EDIT", ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::PushButton:
      return {L"BUTTON", BS_PUSHBUTTON, 0};
    case ControlKind::CheckBox:
      return {L"BUTTON", BS_AUTOCHECKBOX, 0};
    case ControlKind::Panel:
      return {kContainerClass, 0, 0};
  }
  return {L"STATIC", 0, 0};
}

bool IsList(ControlKind kind) {
  return kind == ControlKind::EditableList || kind == ControlKind::ChoiceList;
}

}  // namespace

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

PanelWindow::State::Control* PanelWindow::State::Find(int id) {
  for (Control& control : controls) {
    if (control.spec.id == id) return &control;
  }
  return nullptr;
}

PanelWindow::State::Control* PanelWindow::State::Owning(HWND handle) {
  for (HWND current = handle; current != nullptr && current != window.Get(); current = GetParent(current)) {
    for (Control& control : controls) {
      if (control.handle == current) return &control;
    }
  }
  return nullptr;
}

HWND PanelWindow::State::HandleOf(int id) const {
  const Control* control = Find(id);
  return control != nullptr ? control->handle : nullptr;
}


SIZE PanelWindow::State::TextSize(const std::wstring& text, HFONT textFont) const {
  RECT area{0, 0, 0, 0};
  HDC context = GetDC(window.Get());
  if (context == nullptr) return SIZE{0, 0};
  const HGDIOBJ previous = SelectObject(context, textFont);
  DrawTextW(context, text.c_str(), static_cast<int>(text.size()), &area, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(context, previous);
  ReleaseDC(window.Get(), context);
  return SIZE{area.right - area.left, area.bottom - area.top};
}

void PanelWindow::State::FitToText(const Control& control) {
  if (control.spec.width != 0) return;
  const SIZE size = TextSize(WideFromUtf8(control.spec.text), FontOf(control.spec));
  // Pixels to spare: glyphs may overhang the measured extent, and a centred label would break the word.
  SetWindowPos(control.handle, nullptr, 0, 0, size.cx + kTextSlack, size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int PanelWindow::State::ParentWidth(int parent) const {
  if (parent == 0) return 0;
  RECT area{};
  GetClientRect(HandleOf(parent), &area);
  return area.right - area.left;
}

bool PanelWindow::State::MakeControl(const WindowControl& spec) {
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
  SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(spec)), FALSE);
  if (IsList(spec.kind) && spec.dropDownWidth > 0) SendMessageW(handle, CB_SETDROPPEDWIDTH, spec.dropDownWidth, 0);
  FitToText(controls.back());
  return true;
}

void PanelWindow::State::ReturnFocusHome(HWND from) {
  const HWND home = HandleOf(focusHome);
  if (home != nullptr && GetFocus() == from) SetFocus(home);
}

void PanelWindow::State::OnCommand(WORD code, HWND from) {
  Control* control = Owning(from);
  if (control == nullptr || writing > 0) return;
  bool used = false;
  switch (control->spec.kind) {
    case ControlKind::TextField:
      used = code == EN_CHANGE;
      break;
    case ControlKind::EditableList:
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
    case ControlKind::ChoiceList:
      used = code == CBN_SELCHANGE;
      break;
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
      used = code == BN_CLICKED;
      if (used) ReturnFocusHome(control->handle);
      break;
    case ControlKind::LinkLabel:
      used = code == STN_CLICKED;
      break;
    default:
      break;
  }
  if (used && handlers.controlUsed) handlers.controlUsed(control->spec.id);
}

HBRUSH PanelWindow::State::Colour(HDC context, HWND from) {
  const Control* control = Owning(from);
  if (control == nullptr) return nullptr;
  int background = -1;
  switch (control->spec.background) {
    case ControlBackground::Window:
      background = COLOR_WINDOW;
      break;
    case ControlBackground::ButtonFace:
      background = COLOR_BTNFACE;
      break;
    case ControlBackground::Parent:
      break;
  }
  if (control->spec.kind == ControlKind::LinkLabel) {
    SetTextColor(context, GetSysColor(COLOR_HOTLIGHT));
    if (background < 0) background = COLOR_BTNFACE;
  }
  if (background < 0) return nullptr;
  SetBkColor(context, GetSysColor(background));
  return GetSysColorBrush(background);
}

bool PanelWindow::State::TakesKeys(HWND target) {
  if (target == window.Get()) return true;
  const Control* control = Owning(target);
  return control != nullptr && control->spec.takesFocus;
}

bool PanelWindow::State::HandleKey(const MSG& message) {
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

LRESULT CALLBACK PanelWindow::State::WindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
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
      if (control != nullptr && control->spec.kind == ControlKind::LinkLabel) {
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
      if (wParam == kPanelTimerId && state->handlers.timer) state->handlers.timer();
      return 0;
    case WM_DESTROY:
      KillTimer(handle, kPanelTimerId);
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

}  // namespace platform
