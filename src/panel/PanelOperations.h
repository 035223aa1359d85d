#pragma once
// What the control panel asks of the service module and of the transcoder, as replaceable operations: the
// program entry puts the real ones in place, and the panel's tests put recording ones.
#include <functional>
#include <string>

#include "service/ServiceControl.h"

struct ServiceQuery {
  bool opened = false;  // the manager and the service "corvane" could be opened for a status query
  unsigned state = 0;   // its current state when opened
};

// Each operation shows its own failures through PanelMessage.
struct PanelServiceOperations {
  std::function<ServiceQuery()> query;
  // Whether this process may change services; when not, it has said what to run instead of the switch.
  std::function<bool(const std::string& commandSwitch)> mayChange;
  std::function<bool()> install;  // creates "corvane" for "<program path>" /service; false when that failed
  // Stops it, waits while stop pending (at most 3 s), deletes it; NotInstalled, with nothing shown, when
  // there is none.
  std::function<RemoveOutcome()> remove;
  std::function<bool()> start;    // starts it with "param1", "param2", "param3"
  std::function<void()> stop;     // stops it, waits while stop pending (at most 3 s)
  std::function<std::string()> imagePath;  // program path of the installed service, empty when none
};

struct PanelTranscoderOperations {
  // Whether the transcoder's window exists; request receives the text of its request field (UTF-8).
  std::function<bool(std::string& request)> find;
  // Asks the transcoder's window to close; does not wait.
  std::function<void()> close;
  // libvlc's refusal of the profile of the transcoder's latest request, "" when it took it (or none is known).
  std::function<std::string()> refusal;
};

// The command-line switches the panel acts on, as the program entry found them.
struct PanelSwitches {
  bool install = false;  // "/install"
  bool remove = false;   // "/remove"
  bool help = false;     // "/?"
};

struct PanelOperations {
  PanelServiceOperations service;
  PanelTranscoderOperations transcoder;
};
