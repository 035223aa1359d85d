#pragma once
// A fixed-size top-level window made of standard controls described as data: frames, labels, links,
// lists, text fields, buttons, check boxes and plain panels, a periodic timer, and the keys F1 and Esc
// reported from any control that takes the focus. Texts are UTF-8 here; the system gets them wide, so
// any script shows whatever the system's code page. Where the platform has no windows, Available() is
// false, Create fails and Message writes its text to standard output.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "panel/PanelLayout.h"

namespace platform {

// One control as the window makes it, in the kinds and backgrounds of the panel's table. A group's controls
// belong to the window; a panel holds its own.
struct WindowControl {
  int id = 0;      // above 0, unique
  ControlKind kind = ControlKind::Label;
  int parent = 0;  // a Panel's id, or 0 for the window (controls of a group are placed in window coordinates)
  // Place in the parent. Width 0: a label sized to its text; width -1: the parent's width;
  // height 0: the system's height for the kind.
  int x = 0, y = 0, width = 0, height = 0;
  std::string text;  // caption, or a field's initial text
  bool visible = true;
  ControlBackground background = ControlBackground::Parent;
  bool takesFocus = false;  // F1 and Esc are reported while it (or the window itself) has the focus
  bool centred = false;
  int dropDownWidth = 0;  // of a list; 0: the list's width
};

struct WindowDescription {
  std::string className;  // the window class others find it by
  std::string caption;
  std::string iconName;  // a resource of the program; none when empty
  std::string fontName;
  int fontHeight = 0;  // negative: character height in pixels
  int clientWidth = 0;
  int clientHeight = 0;
  unsigned timerMilliseconds = 0;  // 0: no timer
  int focusHome = 0;  // the control that takes the focus back from buttons, and when the window is shown
  std::vector<WindowControl> controls;  // parents before their children
};

struct WindowHandlers {
  std::function<void(int id)> controlUsed;  // the user typed, chose an entry, ticked or clicked
  std::function<void()> timer;
  std::function<void()> helpKey;    // F1
  std::function<void()> escapeKey;  // Esc, unless it closes an open drop-down list
};

class PanelWindow {
 public:
  PanelWindow();
  PanelWindow(const PanelWindow&) = delete;
  PanelWindow& operator=(const PanelWindow&) = delete;
  ~PanelWindow();

  static bool Available();

  // Builds the window hidden, centred on the screen's work area, its timer running. Writes made through
  // this object are not reported to the handlers.
  bool Create(const WindowDescription& description, WindowHandlers handlers);
  // The native window, 0 before Create; for owner windows of system dialogs.
  std::uintptr_t Handle() const;

  void SetText(int id, const std::string& text);  // a label sized to its text is sized anew
  std::string Text(int id) const;
  void SetEntries(int id, const std::vector<std::string>& entries);
  void Select(int id, int index);  // -1: none
  int Selected(int id) const;      // -1: none
  void SetChecked(int id, bool checked);
  bool Checked(int id) const;
  void SetVisible(int id, bool visible);
  void SetEnabled(int id, bool enabled);
  // Moves a control and puts it above its siblings; controls of a panel that span it follow its width.
  void Place(int id, int x, int y, int width, int height);

  // Shows the window, brings it to the front, gives it the focus and makes it the foreground window.
  void Show();
  void Hide();
  // Asks the window to close once the current message has been handled.
  void PostClose();
  // Destroys the window now.
  void Close();
  // Handles messages until the window has been destroyed.
  void RunMessageLoop();

  // A modal message box owned by the window: information icon, the window's caption as its title.
  void Message(const std::string& text);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace platform
