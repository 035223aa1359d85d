#include "panel/SettingsCheck.h"

#include <gtest/gtest.h>

namespace {

PanelFields Fields(const std::string& multicast, const std::string& port) {
  PanelFields fields = DefaultPanelFields({"192.168.1.5"});
  fields.multicastInterface = multicast;
  fields.httpPort = port;
  return fields;
}

bool Accepted(const std::string& multicast, const std::string& port) {
  return CheckPanelFields(Fields(multicast, port), PanelLanguage::English).refusal.empty();
}

std::string Warning(const std::string& multicast, const std::string& port,
                    PanelLanguage language = PanelLanguage::English) {
  return CheckPanelFields(Fields(multicast, port), language).warning;
}

TEST(SettingsCheck, DottedAddresses) {
  for (const char* good : {"0.0.0.0", "127.0.0.1", "255.255.255.255", "192.168.001.010"}) {
    EXPECT_TRUE(IsDottedAddress(good)) << good;
  }
  for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.4 ", " 1.2.3.4", "1..2.3", "1.2.3.",
                          ".1.2.3", "0x7f.0.0.1", "1.2.3.4a", "1234.1.1.1", "eth0", "1.2.3.-4"}) {
    EXPECT_FALSE(IsDottedAddress(bad)) << bad;
  }
}

TEST(SettingsCheck, PortMustReadAsANumberInRange) {
  for (const char* good : {"7781", "1", "65535", "0080"}) {
    EXPECT_TRUE(Accepted("0.0.0.0", good)) << good;
    EXPECT_EQ(Warning("0.0.0.0", good), "") << good;
  }
  // What the proxy reads as a port is saved, with a word on how it is read.
  for (const char* odd : {"8080x", "+80", "80 "}) EXPECT_TRUE(Accepted("0.0.0.0", odd)) << odd;
  EXPECT_EQ(Warning("0.0.0.0", "8080x"), "The HTTP-Server port \"8080x\" is read as 8080.");
  EXPECT_EQ(Warning("0.0.0.0", "+80", PanelLanguage::Russian), "Порт HTTP-сервера \"+80\" читается как 80.");
  for (const char* bad : {"", "0", "65536", " 80", "-1", "99999999999", "http", "x8080"}) {
    EXPECT_FALSE(Accepted("0.0.0.0", bad)) << bad;
  }
  EXPECT_EQ(CheckPanelFields(Fields("0.0.0.0", "0x"), PanelLanguage::English).refusal,
            "The HTTP-Server port must be a number from 1 to 65535, not \"0x\". The settings were not saved.");
  EXPECT_EQ(CheckPanelFields(Fields("0.0.0.0", ""), PanelLanguage::Russian).refusal,
            "Порт HTTP-сервера должен быть числом от 1 до 65535, а не \"\". Настройки не сохранены.");
}

TEST(SettingsCheck, MulticastInterfaceAddressOrList) {
  for (const char* good : {"0.0.0.0", "192.168.0.1, 192.168.1.2@233.7.*.*", "192.168.1.2@233.7.*.*, 0.0.0.0",
                           "10.0.0.1,", "10.0.0.1, ,", " 10.0.0.1 ,\t10.0.0.2@239.?.1.1 "}) {
    EXPECT_TRUE(Accepted(good, "7781")) << good;
  }
  // Without "," the text is used as it stands, so a mask entry alone or blanks around it do not work.
  for (const char* bad : {"", "eth0", "192.168.1.2@233.7.*.*", "0.0.0.0 ", "10.0.0.1; 10.0.0.2", ",", " , ",
                          "10.0.0.1, eth1", "10.0.0.1, 10.0.0.2@", "10.0.0.1, @239.*", ",10.0.0.1", "eth0,,10.0.0.1"}) {
    EXPECT_FALSE(Accepted(bad, "7781")) << bad;
  }
  EXPECT_EQ(CheckPanelFields(Fields("10.0.0.1, eth1@239.*", "7781"), PanelLanguage::English).refusal,
            "The multicast interface \"eth1@239.*\" is not an interface address. Enter an address such as 0.0.0.0 "
            "or a list such as \"192.168.0.1, 192.168.1.2@233.7.*.*\". The settings were not saved.");
  EXPECT_NE(
      CheckPanelFields(Fields("eth0", "7781"), PanelLanguage::Russian).refusal.find("\"eth0\" не является адресом"),
      std::string::npos);
  // The proxy reads a list up to its first empty entry: what comes before it is used, the rest is warned about.
  for (const char* cut : {"10.0.0.1,,192.168.0.1", "10.0.0.1, ,eth1"}) EXPECT_TRUE(Accepted(cut, "7781")) << cut;
  EXPECT_EQ(Warning("10.0.0.1,,192.168.0.1", "7781"),
            "The multicast interface list \"10.0.0.1,,192.168.0.1\" has an empty entry: everything after it is "
            "ignored.");
  EXPECT_EQ(Warning("10.0.0.1,,192.168.0.1", "8080x"),
            "The HTTP-Server port \"8080x\" is read as 8080. The multicast interface list \"10.0.0.1,,192.168.0.1\" "
            "has an empty entry: everything after it is ignored.");
  // A mask of up to 256 characters.
  EXPECT_TRUE(Accepted("0.0.0.0, 10.0.0.1@" + std::string(256, '*'), "7781"));
  EXPECT_FALSE(Accepted("0.0.0.0, 10.0.0.1@" + std::string(257, '*'), "7781"));
}

TEST(SettingsCheck, PortIsCheckedFirst) {
  EXPECT_NE(CheckPanelFields(Fields("eth0", "x"), PanelLanguage::English).refusal.find("port"), std::string::npos);
}

}  // namespace
