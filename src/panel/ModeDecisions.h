#pragma once
// The decisions behind the mode actions of the control panel: which command lines start the other
// modes, when the installed service belongs to another copy of the program, when a save restarts the
// service, and how a restart waits for the stop.
#include <string>

#include "panel/PanelLanguage.h"
#include "panel/StatusView.h"

// "<path>" /user, with " /cons" unless the console is to be hidden.
std::string UserModeCommandLine(const std::string& programPath, bool hideConsole);
// "<path>" /transcoder
std::string TranscoderCommandLine(const std::string& programPath);

// The registered service runs another program file: its path is known and differs from ours, ASCII
// letters compared without case.
bool IsForeignService(const std::string& registeredPath, const std::string& programPath);

// A save restarts the service when this copy's service runs (its Stop button is offered and no cover
// hides it), except for the save that starts the regular application.
bool RestartsServiceAfterSave(const StatusView& shown, bool coverShown, bool savedForAppStart);

// A restart after a save: the stop has been sent, and every refresh asks whether to start now. The wait
// ends when a refresh sees the service stopped; it gives up when the service has not stopped within
// kRestartRefreshLimit refreshes (30 seconds at two a second) or has been removed meanwhile. A window
// that closes while a restart waits finishes it hidden, with the bounded stop wait of the Stop action.
inline constexpr int kRestartRefreshLimit = 60;

enum class RestartStep { Idle, Wait, Start, GiveUp, Drop };

class ServiceRestart {
 public:
  void Begin() {
    pending_ = true;
    refreshes_ = 0;
  }
  bool Pending() const { return pending_; }
  // Called after each refresh with the view it produced.
  RestartStep AfterRefresh(const StatusView& view);

 private:
  bool pending_ = false;
  int refreshes_ = 0;
};

// Shown when a restart gives up.
std::string RestartGaveUpMessage(PanelLanguage language);
