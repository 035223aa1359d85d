#pragma once
// The Windows side of PanelWindow: the window, its controls, and how it answers their messages.
#include <string>
#include <vector>

#include "panel/PanelWindow.h"
#include "platform/WinHandles.h"

namespace platform {

inline constexpr UINT_PTR kPanelTimerId = 1;
// The class of plain panels, which pass their controls' notifications on to the window.
inline constexpr const wchar_t* kContainerClass = L"CorvaneContainer";

struct PanelWindow::State {
  struct Control {
    WindowControl spec;
    HWND handle = nullptr;
  };

  ScopedWindow window;
  ScopedGdiObject font;
  ScopedGdiObject linkFont;
  std::vector<Control> controls;
  WindowHandlers handlers;
  std::wstring caption;
  int focusHome = 0;
  HWND lastFocus = nullptr;  // of our controls, when the window was last deactivated
  int writing = 0;  // writes of our own in progress: their notifications are not the user's

  Control* Find(int id);
  const Control* Find(int id) const { return const_cast<State*>(this)->Find(id); }
  // The control a window belongs to: itself, or the combo box around its text field.
  Control* Owning(HWND handle);
  HWND HandleOf(int id) const;

  // A write of ours; the control's notifications during it are ignored.
  template <typename Action>
  void Write(Action action) {
    ++writing;
    action();
    --writing;
  }

  // Links are underlined.
  HFONT FontOf(const WindowControl& control) const {
    return static_cast<HFONT>(control.kind == ControlKind::LinkLabel ? linkFont.Get() : font.Get());
  }
  // Measured the way a static control draws its text.
  SIZE TextSize(const std::wstring& text, HFONT textFont) const;
  // A label sized to its text gets the size of its current text.
  void FitToText(const Control& control);
  int ParentWidth(int parent) const;
  bool MakeControl(const WindowControl& spec);
  void ReturnFocusHome(HWND from);
  // A notification of a control: reported to the handlers when the user caused it.
  void OnCommand(WORD code, HWND from);
  // Colours of fields and labels; nullptr leaves the system's.
  HBRUSH Colour(HDC context, HWND from);
  bool TakesKeys(HWND target);
  // F1 and Esc from the window's fields; false when the message goes on as usual.
  bool HandleKey(const MSG& message);

  static LRESULT CALLBACK WindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
};

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace platform
