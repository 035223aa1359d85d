#pragma once
// A hidden window that other processes of the same user find by its class name and talk to: they set and read the
// text of its one text field, post it user messages and post it a close. Windows: a hidden top-level window with a
// child edit control of class "obj_EDIT". Elsewhere the same contract over a local socket in the user's private
// runtime folder, named by the class; connections from other users are refused.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// A window found by FindMessageWindow; Found() is false when there was none.
struct WindowRef {
  std::uintptr_t handle = 0;  // the window itself (Windows)
  std::string endpoint;       // the owner's socket (elsewhere)
  bool Found() const { return handle != 0 || !endpoint.empty(); }
};

// The top-level window of the class; an empty title matches any title. Never waits for an owner that is busy in a
// handler, except to compare a title.
WindowRef FindMessageWindow(const std::string& className, const std::string& title);

// Puts text into the window's text field and returns once the owner's change handler has run (WM_SETTEXT to the
// first "obj_EDIT" child). False when the window or its field has gone.
bool SendWindowText(const WindowRef& window, const std::string& text);
// The text of the window's text field; false when it could not be read, or when the owner, busy in a handler, did
// not answer within waitMilliseconds.
bool ReadWindowText(const WindowRef& window, std::string& text, unsigned waitMilliseconds);
// Posts the message with both parameters 0, not waiting for it to be handled.
bool PostWindowMessage(const WindowRef& window, std::uint32_t message);
// Posts a close (WM_CLOSE).
bool PostWindowClose(const WindowRef& window);

// What the owner does on each event, on the thread that runs the window.
struct MessageWindowHandlers {
  std::function<void(const std::string& text)> onTextChanged;  // the field's text was set
  std::function<void()> onClose;                                 // a close was posted
  std::function<void(std::uint32_t message)> onUserMessage;      // a message from WM_USER up was posted
  std::function<void()> onTimer;                                 // the timer's period passed
};

// The owner's side: the window, its text field and its timer, on the creating thread.
class MessageWindow {
 public:
  virtual ~MessageWindow() = default;

  // The window with its text field and, when timerMilliseconds is not 0, a timer; null when it could not be made
  // (on Windows also when the class is registered already by this process).
  static std::unique_ptr<MessageWindow> Create(const std::string& className, const std::string& title,
                                               MessageWindowHandlers handlers, unsigned timerMilliseconds);

  virtual std::string Text() const = 0;
  // Sets the field's text; the change handler runs before this returns, as for a sender's text.
  virtual void SetText(const std::string& text) = 0;
  // Handles events until Quit is called from a handler.
  virtual void Run() = 0;
  virtual void Quit() = 0;
};

}  // namespace platform
