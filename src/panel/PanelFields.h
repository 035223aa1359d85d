#pragma once
// What the settings controls of the control panel hold, and how it changes: the change reaction, the
// mapping to and from the five lines of the settings file.
#include <string>
#include <vector>

#include "settings/Settings.h"

struct PanelFields {
  std::vector<std::string> interfaceEntries;  // both interface lists: "0.0.0.0", "127.0.0.1", the host's
  std::string multicastInterface;             // multicast box text (free text)
  int httpInterfaceIndex = 0;                 // chosen entry of the HTTP interface box; -1: none chosen
  std::string httpPort;                       // as typed
  std::string transcoderPort;                 // derived, never stored
  bool transcoderEnabled = false;
  std::string transcoderProfile;
  std::string addressLink;  // what the address link shows and opens ("http://" + it)
  bool saveEnabled = true;
};

// The six transcoding presets offered by the profile box, none preselected.
const std::vector<std::string>& TranscoderPresets();

// "0.0.0.0", "127.0.0.1", then the host's non-loopback addresses as listed.
std::vector<std::string> InterfaceEntries(const std::vector<std::string>& hostAddresses);
// The window's initial contents: "0.0.0.0" in both boxes, port 7781 (7782 beside it), the link
// "127.0.0.1:7781" until the first change, Save enabled.
PanelFields DefaultPanelFields(const std::vector<std::string>& hostAddresses);

// The address to show for the HTTP interface: the chosen entry, except that "all interfaces" (entry 0)
// and no choice show the last entry of the list (a host address, or "127.0.0.1" without any).
std::string DisplayedAddress(const PanelFields& fields);
// The leading number of the port text (optional sign, digits up to the first other character; 0 without).
int LeadingPort(const std::string& portText);

// After any edit of the settings controls: Save enabled, the second port field shows the transcoder's port
// (TranscoderPortAfter; empty when there is none, an empty port text included), the link shows the
// displayed address and the port.
void OnSettingsChanged(PanelFields& fields);

// Lines 1 to 5 of the settings file into the fields, in line order, so that the change reaction after
// the port sees the stored interface. An HTTP interface not in the list (letter case ignored) leaves
// none chosen. Save is disabled afterwards: the window shows what is stored.
void LoadSettingsLines(PanelFields& fields, const std::vector<std::string>& lines);
// The five values as the controls hold them; line 2 is empty when no interface is chosen.
ProxySettings SettingsFromFields(const PanelFields& fields);
