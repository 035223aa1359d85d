#include "panel/PanelFields.h"

#include "base/TextUtil.h"
#include "base/TranscoderPort.h"

namespace {

constexpr const char* kDefaultPort = "7781";

}  // namespace

const std::vector<std::string>& TranscoderPresets() {
  static const std::vector<std::string> presets = {
      "mux=ts",
      "mux=ffmpeg{mux=flv},vcodec=flv1,vb=1000,scale=0.5,acodec=mp4a,ab=128,channels=2,samplerate=48000",
      "mux=asf,vcodec=wmv2,vb=256,scale=0.5,acodec=mp3,ab=64,channels=2",
      "mux=ts,vcodec=mp2v,vb=2048,scale=0.5,acodec=mpga,ab=192,channels=2",
      "mux=ts,vcodec=mp4v,vb=440,scale=0.3,acodec=mp4a,ab=96,channels=2,samplerate=48000",
      "mux=ts,vcodec=h264,vb=256,scale=0.51,width=320,height=240,acodec=mp3,samplerate=8000,ab=8",
  };
  return presets;
}

std::vector<std::string> InterfaceEntries(const std::vector<std::string>& hostAddresses) {
  std::vector<std::string> entries = {"0.0.0.0", "127.0.0.1"};
  entries.insert(entries.end(), hostAddresses.begin(), hostAddresses.end());
  return entries;
}

PanelFields DefaultPanelFields(const std::vector<std::string>& hostAddresses) {
  PanelFields fields;
  fields.interfaceEntries = InterfaceEntries(hostAddresses);
  fields.multicastInterface = fields.interfaceEntries[0];
  fields.httpInterfaceIndex = 0;
  fields.httpPort = kDefaultPort;
  fields.transcoderPort = "7782";
  // Written before any change reaction ran, so it names the loopback address whatever the host has.
  fields.addressLink = std::string("127.0.0.1:") + kDefaultPort;
  fields.saveEnabled = true;
  return fields;
}

std::string DisplayedAddress(const PanelFields& fields) {
  const std::vector<std::string>& entries = fields.interfaceEntries;
  const int index = fields.httpInterfaceIndex;
  if (index > 0 && static_cast<std::size_t>(index) < entries.size()) return entries[index];
  return entries.empty() ? std::string() : entries.back();
}

int LeadingPort(const std::string& portText) { return ParseInteger(portText); }

void OnSettingsChanged(PanelFields& fields) {
  fields.saveEnabled = true;
  const int port = LeadingPort(fields.httpPort);
  // Without a port text, or beside a port with no transcoder port after it, the second field is empty.
  const int transcoderPort = fields.httpPort.empty() ? 0 : TranscoderPortAfter(fields.httpPort);
  fields.transcoderPort = transcoderPort == 0 ? std::string() : std::to_string(transcoderPort);
  fields.addressLink = DisplayedAddress(fields) + ":" + std::to_string(port);
}

void LoadSettingsLines(PanelFields& fields, const std::vector<std::string>& lines) {
  auto line = [&lines](std::size_t number) { return number <= lines.size() ? lines[number - 1] : std::string(); };
  fields.multicastInterface = line(1);
  fields.httpInterfaceIndex = -1;
  for (std::size_t i = 0; i < fields.interfaceEntries.size(); ++i) {
    if (EqualsIgnoringAsciiCase(fields.interfaceEntries[i], line(2))) {
      fields.httpInterfaceIndex = static_cast<int>(i);
      break;
    }
  }
  fields.httpPort = line(3);
  OnSettingsChanged(fields);
  fields.transcoderEnabled = line(4) == "1";
  fields.transcoderProfile = line(5);
  fields.saveEnabled = false;
}

ProxySettings SettingsFromFields(const PanelFields& fields) {
  ProxySettings settings;
  settings.multicastInterface = fields.multicastInterface;
  const int index = fields.httpInterfaceIndex;
  if (index >= 0 && static_cast<std::size_t>(index) < fields.interfaceEntries.size()) {
    settings.httpInterface = fields.interfaceEntries[index];
  }
  settings.httpPort = fields.httpPort;
  settings.transcoderEnabled = fields.transcoderEnabled ? "1" : "0";
  settings.transcoderProfile = fields.transcoderProfile;
  return settings;
}
