#include "panel/PanelFields.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::string> kHost = {"192.168.1.5", "10.0.0.7"};

// What the settings controls show, as one line: multicast | chosen entry | port | second port | link |
// check box | profile | Save.
std::string Shown(const PanelFields& f) {
  return f.multicastInterface + " | " + std::to_string(f.httpInterfaceIndex) + " | " + f.httpPort + " | " +
         f.transcoderPort + " | " + f.addressLink + " | " + (f.transcoderEnabled ? "checked" : "clear") + " | " +
         f.transcoderProfile + " | " + (f.saveEnabled ? "Save enabled" : "Save disabled");
}

TEST(PanelFields, DefaultsBeforeAnyChange) {
  const PanelFields fields = DefaultPanelFields(kHost);
  EXPECT_EQ(fields.interfaceEntries, (std::vector<std::string>{"0.0.0.0", "127.0.0.1", "192.168.1.5", "10.0.0.7"}));
  // The link is not yet derived from entry 0: the loopback address although a host address exists.
  EXPECT_EQ(Shown(fields), "0.0.0.0 | 0 | 7781 | 7782 | 127.0.0.1:7781 | clear |  | Save enabled");
  EXPECT_EQ(SettingsFromFields(fields).httpInterface, "0.0.0.0");
}

TEST(PanelFields, ChangeReactionDerivesPortAndLink) {
  struct Case {
    int chosen;
    const char* port;
    const char* secondPort;
    const char* link;
  };
  const Case cases[] = {
      {0, "7781", "7782", "10.0.0.7:7781"},  // "all interfaces" shows the last entry of the list
      {1, "8080x", "8081", "127.0.0.1:8080"},
      {2, "", "", "192.168.1.5:0"},
      {-1, "abc", "1", "10.0.0.7:0"},  // nothing chosen: the last entry too
      // No transcoder port beside a port that leaves none: the transcoder could serve on none of these.
      {3, "-5", "", "10.0.0.7:-5"},
      {1, "99999999999", "", "127.0.0.1:2147483647"},
      {1, "65535", "", "127.0.0.1:65535"},
      {1, "65534", "65535", "127.0.0.1:65534"},
  };
  for (const Case& c : cases) {
    PanelFields fields = DefaultPanelFields(kHost);
    fields.saveEnabled = false;
    fields.httpInterfaceIndex = c.chosen;
    fields.httpPort = c.port;
    OnSettingsChanged(fields);
    EXPECT_TRUE(fields.saveEnabled) << c.port;
    EXPECT_EQ(fields.transcoderPort, c.secondPort) << c.port;
    EXPECT_EQ(fields.addressLink, c.link) << c.port;
  }
}

TEST(PanelFields, HostWithoutAddressesShowsLoopback) {
  PanelFields fields = DefaultPanelFields({});
  OnSettingsChanged(fields);
  EXPECT_EQ(fields.addressLink, "127.0.0.1:7781");
  EXPECT_EQ(DisplayedAddress(fields), "127.0.0.1");
}

TEST(PanelFields, LoadingTheFileLines) {
  PanelFields fields = DefaultPanelFields(kHost);
  LoadSettingsLines(fields, {"0.0.0.0, 10.0.0.7@233.7.*.*", "192.168.1.5", "8000", "1", "mux=ts"});
  // The link is derived from the stored interface and port at once, not from the defaults.
  EXPECT_EQ(Shown(fields),
            "0.0.0.0, 10.0.0.7@233.7.*.* | 2 | 8000 | 8001 | 192.168.1.5:8000 | checked | mux=ts | Save disabled");
  // Typing one character afterwards enables Save again.
  fields.httpPort += "1";
  OnSettingsChanged(fields);
  EXPECT_TRUE(fields.saveEnabled);

  EXPECT_EQ(SettingsText(SettingsFromFields(fields)),
            "0.0.0.0, 10.0.0.7@233.7.*.*\r\n192.168.1.5\r\n80001\r\n1\r\nmux=ts\r\n");
}

TEST(PanelFields, StoredInterfaceNoLongerOnTheHost) {
  PanelFields fields = DefaultPanelFields(kHost);
  LoadSettingsLines(fields, {"0.0.0.0", "172.16.0.9", "7781", "0", ""});
  EXPECT_EQ(fields.httpInterfaceIndex, -1);
  EXPECT_EQ(fields.addressLink, "10.0.0.7:7781");
  // The next save writes an empty line 2, unless the user picks an entry.
  EXPECT_EQ(SettingsFromFields(fields).httpInterface, "");
  fields.httpInterfaceIndex = 1;
  EXPECT_EQ(SettingsFromFields(fields).httpInterface, "127.0.0.1");
}

TEST(PanelFields, LoadingShortOrOddFiles) {
  PanelFields fields = DefaultPanelFields(kHost);
  LoadSettingsLines(fields, {"", "127.0.0.1"});
  EXPECT_EQ(Shown(fields), " | 1 |  |  | 127.0.0.1:0 | clear |  | Save disabled");

  for (const char* notOne : {"true", "1 ", "01", "0", ""}) {
    LoadSettingsLines(fields, {"0.0.0.0", "0.0.0.0", "7781", notOne, ""});
    EXPECT_FALSE(fields.transcoderEnabled) << notOne;
  }
  // An empty line 2 chooses nothing; the interface is matched without letter case.
  LoadSettingsLines(fields, {"0.0.0.0", "", "7781"});
  EXPECT_EQ(fields.httpInterfaceIndex, -1);
  PanelFields named = DefaultPanelFields({"fe80::1", "Host-A"});
  LoadSettingsLines(named, {"0.0.0.0", "host-a", "7781"});
  EXPECT_EQ(named.httpInterfaceIndex, 3);
}

TEST(PanelFields, DefaultsSaveAsTheTwentyNineByteFile) {
  const std::string text = SettingsText(SettingsFromFields(DefaultPanelFields(kHost)));
  EXPECT_EQ(text, "0.0.0.0\r\n0.0.0.0\r\n7781\r\n0\r\n\r\n");
  EXPECT_EQ(text.size(), 29u);
}

TEST(PanelFields, SixPresetsInOrder) {
  const std::vector<std::string>& presets = TranscoderPresets();
  ASSERT_EQ(presets.size(), 6u);
  EXPECT_EQ(presets.front(), "mux=ts");
  EXPECT_EQ(presets[1], "mux=ffmpeg{mux=flv},vcodec=flv1,vb=1000,scale=0.5,acodec=mp4a,ab=128,channels=2,samplerate=48000");
  EXPECT_EQ(presets[2], "mux=asf,vcodec=wmv2,vb=256,scale=0.5,acodec=mp3,ab=64,channels=2");
  EXPECT_EQ(presets[3], "mux=ts,vcodec=mp2v,vb=2048,scale=0.5,acodec=mpga,ab=192,channels=2");
  EXPECT_EQ(presets[4], "mux=ts,vcodec=mp4v,vb=440,scale=0.3,acodec=mp4a,ab=96,channels=2,samplerate=48000");
  EXPECT_EQ(presets.back(), "mux=ts,vcodec=h264,vb=256,scale=0.51,width=320,height=240,acodec=mp3,samplerate=8000,ab=8");
}

}  // namespace
