#pragma once
// The /transcoder mode: a hidden window whose text field takes one request at a time and turns it into one
// libvlc stream served over HTTP, a timer that stops a stream nobody watches, and a close that ends the process.
#include <memory>
#include <string>

#include "platform/MessageWindow.h"
#include "transcoder/VlcPlugin.h"

// The window that senders look for, and its caption.
inline constexpr const char* kTranscoderWindowClass = "CorvaneVlcWndClass";
std::string TranscoderWindowCaption();

inline constexpr unsigned kIdleCheckMilliseconds = 25000;

class TranscoderHost {
 public:
  // Makes the window with its field and timer; false when it could not be made.
  bool OpenWindow();
  // Creates the player; false when libvlc could not be found, bound or started.
  bool StartPlayer();
  // Handles requests until the close.
  void Run();

  // The field's change: replaces whatever plays with the stream the text asks for.
  void OnRequest(const std::string& text);
  // Every 25 s: a stream without an established connection on its port is stopped and the field emptied.
  void OnIdleCheck();
  // The window's close: stops the stream and releases libvlc, which restores its configuration file.
  void OnTranscoderClose();

 private:
  std::unique_ptr<platform::MessageWindow> TranscoderWindow;  // holds RequestField and IdleTimer
  std::unique_ptr<TVLCPlugin> Player;
  int ActivePort = 0;
};

// Entry of the /transcoder mode; returns the process exit code.
int RunTranscoder();
