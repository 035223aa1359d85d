#pragma once
// What the twice-a-second refresh shows: the state labels of the application, the service and the
// transcoder, and the buttons that follow from those states. The refresh gathers the inputs, computes
// the next view from them and writes only what differs from the view on screen.
#include <string>
#include <vector>

#include "panel/PanelLanguage.h"
#include "panel/PanelLayout.h"

struct StatusInputs {
  bool instanceMutexExists = false;  // a proxy of this program file runs (regular mode or service)
  bool serviceOpened = false;        // the manager and the service "corvane" could be opened
  unsigned serviceState = 0;         // its current state when opened (service/ServiceStatus.h)
  bool transcoderWindowExists = false;
  std::string transcoderRequest;  // the text of its request field
  std::string transcoderRefusal;  // libvlc's refusal of the profile for that request, "" when it took it
  int transcoderViewers = -1;     // established connections on the transcoder's port, -1 unknown
  bool transcoderEnabled = false;  // the check box
};

struct StatusView {
  std::string appLabel;
  bool appStartEnabled = true;
  std::string serviceLabel;
  bool installVisible = false;
  bool removeVisible = false;
  bool serviceStartVisible = false;
  bool serviceStopVisible = false;
  std::string transcoderLabel;
  bool transcoderStartVisible = true;
  bool transcoderStopVisible = false;
  bool transcoderControlsEnabled = true;  // the profile box and the transcoder's start button
};

// The view as the window is built, before the first refresh.
StatusView InitialStatusView();

// The service's label when there is none; "/remove" says the same when it finds none.
std::string ServiceNotInstalledText(PanelLanguage language);

// "Кодируется поток udp://@" + group + ":" + port of the request ("group;port;..."), or "Транскодер
// запущен" for an empty request, each followed by " [n]" with n viewers above 0; "Транскодер не запущен"
// without a transcoder window.
std::string TranscoderStateText(bool windowExists, const std::string& request, int viewers);

// The transcoder's line says so when libvlc refused the profile of the stream it shows.
std::string WithProfileRefusal(const std::string& transcoderText, const std::string& refusal, PanelLanguage language);

// The view for the inputs. shown is the view on screen: an unknown service state leaves its label as it was.
StatusView NextStatusView(const StatusView& shown, const StatusInputs& inputs, PanelLanguage language);

struct ControlUpdate {
  enum class Aspect { Text, Visible, Enabled };
  ControlId control;
  Aspect aspect;
  std::string text;  // Text
  bool on = false;   // Visible, Enabled
};

// What must be written to go from the view on screen to the next: only what differs, so that the
// labels do not flicker.
std::vector<ControlUpdate> StatusUpdates(const StatusView& shown, const StatusView& next);
