#include "panel/PanelFields.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::string> kHost = {"192.168.1.5", "10.0.0.7"};

TEST(PanelFields, DefaultsBeforeAnyChange) {
  const PanelFields fields = DefaultPanelFields(kHost);
  EXPECT_EQ(fields.interfaceEntries, (std::vector<std::string>{"0.0.0.0", "127.0.0.1", "192.168.1.5", "10.0.0.7"}));
  EXPECT_EQ(fields.multicastInterface, "0.0.0.0");
  EXPECT_EQ(fields.httpInterfaceIndex, 0);
  EXPECT_EQ(fields.httpPort, "7781");
  EXPECT_EQ(fields.transcoderPort, "7782");
  EXPECT_FALSE(fields.transcoderEnabled);
  EXPECT_EQ(fields.transcoderProfile, "");
  // Not yet derived from entry 0, so the loopback address although a host address exists.
  EXPECT_EQ(fields.addressLink, "127.0.0.1:7781");
  EXPECT_TRUE(fields.saveEnabled);
  EXPECT_EQ(SettingsFromFields(fields).httpInterface, "0.0.0.0");
}

TEST(PanelFields, ChangeReactionDerivesPortAndLink) {
  PanelFields fields = DefaultPanelFields(kHost);
  fields.saveEnabled = false;
  OnSettingsChanged(fields);
  EXPECT_TRUE(fields.saveEnabled);
  // Entry 0 ("all interfaces") shows the last entry of the list.
  EXPECT_EQ(fields.addressLink, "10.0.0.7:7781");
  EXPECT_EQ(fields.transcoderPort, "7782");

  fields.httpInterfaceIndex = 1;
  fields.httpPort = "8080x";
  OnSettingsChanged(fields);
  EXPECT_EQ(fields.transcoderPort, "8081");
  EXPECT_EQ(fields.addressLink, "127.0.0.1:8080");

  fields.httpInterfaceIndex = 2;
  fields.httpPort = "";
  OnSettingsChanged(fields);
  EXPECT_EQ(fields.transcoderPort, "");
  EXPECT_EQ(fields.addressLink, "192.168.1.5:0");

  fields.httpInterfaceIndex = -1;
  fields.httpPort = "abc";
  OnSettingsChanged(fields);
  EXPECT_EQ(fields.transcoderPort, "1");
  EXPECT_EQ(fields.addressLink, "10.0.0.7:0");

  fields.httpPort = "-5";
  OnSettingsChanged(fields);
  EXPECT_EQ(fields.transcoderPort, "-4");
  fields.httpPort = "99999999999";
  OnSettingsChanged(fields);
  EXPECT_EQ(fields.transcoderPort, "2147483648");
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
  EXPECT_EQ(fields.multicastInterface, "0.0.0.0, 10.0.0.7@233.7.*.*");
  EXPECT_EQ(fields.httpInterfaceIndex, 2);
  EXPECT_EQ(fields.httpPort, "8000");
  EXPECT_EQ(fields.transcoderPort, "8001");
  // Derived from the stored interface and port at once, not from the defaults.
  EXPECT_EQ(fields.addressLink, "192.168.1.5:8000");
  EXPECT_TRUE(fields.transcoderEnabled);
  EXPECT_EQ(fields.transcoderProfile, "mux=ts");
  EXPECT_FALSE(fields.saveEnabled);
  // Typing one character afterwards enables Save again.
  fields.httpPort += "1";
  OnSettingsChanged(fields);
  EXPECT_TRUE(fields.saveEnabled);

  const ProxySettings saved = SettingsFromFields(fields);
  EXPECT_EQ(saved.multicastInterface, "0.0.0.0, 10.0.0.7@233.7.*.*");
  EXPECT_EQ(saved.httpInterface, "192.168.1.5");
  EXPECT_EQ(saved.httpPort, "80001");
  EXPECT_EQ(saved.transcoderEnabled, "1");
  EXPECT_EQ(saved.transcoderProfile, "mux=ts");
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
  EXPECT_EQ(fields.multicastInterface, "");
  EXPECT_EQ(fields.httpInterfaceIndex, 1);
  EXPECT_EQ(fields.httpPort, "");
  EXPECT_EQ(fields.transcoderPort, "");
  EXPECT_EQ(fields.addressLink, "127.0.0.1:0");
  EXPECT_FALSE(fields.transcoderEnabled);
  EXPECT_EQ(fields.transcoderProfile, "");
  EXPECT_FALSE(fields.saveEnabled);

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
