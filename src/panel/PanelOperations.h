#pragma once
// What the control panel asks of the service module and of the transcoder, as replaceable operations:
// the program entry puts the real ones in place. An operation left empty is not part of this build; the
// panel then says so plainly instead of acting or guessing a state.
#include <functional>
#include <string>

#include "panel/PanelLanguage.h"
#include "panel/StatusView.h"

struct ServiceQuery {
  bool opened = false;  // the manager and the service "corvane" could be opened for a status query
  unsigned state = 0;   // its current state when opened
};

// Each operation shows its own failures through PanelMessage.
struct PanelServiceOperations {
  std::function<ServiceQuery()> query;
  std::function<bool()> install;  // creates "corvane" for "<program path>" /service; false when that failed
  std::function<bool()> remove;   // stops it, waits while stop pending (at most 3 s), deletes it
  std::function<bool()> start;    // starts it with "param1", "param2", "param3"
  std::function<void()> stop;     // stops it, waits while stop pending (at most 3 s)
  std::function<std::string()> imagePath;  // program path of the installed service, empty when none

  bool Wired() const { return query && install && remove && start && stop && imagePath; }
};

struct PanelTranscoderOperations {
  // Whether the transcoder's window exists; request receives the text of its request field (UTF-8).
  std::function<bool(std::string& request)> find;
  // Asks the transcoder's window to close; does not wait.
  std::function<void()> close;

  bool Wired() const { return find && close; }
};

struct PanelOperations {
  PanelServiceOperations service;
  PanelTranscoderOperations transcoder;
};

// "Service control is not available", said where the service would be.
std::string ServiceNotAvailableText(PanelLanguage language);
std::string TranscoderNotAvailableText(PanelLanguage language);

// The view with the sections whose operations are missing: their label says so and their buttons are hidden.
StatusView WithMissingSections(StatusView view, const PanelOperations& operations, PanelLanguage language);
