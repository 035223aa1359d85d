#pragma once
// The /transcoder mode: a hidden window whose text field takes one request at a time and turns it into one
// libvlc stream served over HTTP, a timer that stops a stream nobody watches, and a close that ends the process.
#include <memory>
#include <string>

#include "platform/MessageWindow.h"
#include "transcoder/TranscoderRequest.h"
#include "transcoder/VlcPlugin.h"

// The caption of the window that senders look for (kTranscoderWindowClass).
std::string TranscoderWindowCaption();

inline constexpr unsigned kIdleCheckMilliseconds = 25000;

// What a request started: the port the idle check watches, the source and the output chain.
struct TranscoderStream {
  int activePort = 0;
  std::string mrl;
  std::string chain;
};

// Stops whatever plays: the idle address, with no output chain left for it, so that nothing answers on the port.
void StopTranscoderStream(TVLCPlugin& player);

// One request on the player: releases whatever plays, sets the source's options and the output chain from profile,
// and starts the source, pausing after the setting and after the start so that libvlc opens both before the sender
// redirects its client. level is libvlc's interface generation.
TranscoderStream PlayTranscoderRequest(TVLCPlugin& player, const TranscoderRequest& request,
                                       const std::string& profile, int level);

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
  std::string runningStream_;  // TranscoderStreamIdentity of what plays, "" when nothing does
};

struct TranscoderSwitches {
  bool console = false;  // "/cons": the log's lines on standard output as well
  bool close = false;    // "/close": ends the running transcoder instead of becoming one
};

// Entry of the /transcoder mode; returns the process exit code.
int RunTranscoder(const TranscoderSwitches& switches);
