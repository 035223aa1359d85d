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
  return CheckPanelFields(Fields(multicast, port), PanelLanguage::English).empty();
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

TEST(SettingsCheck, PortMustBeANumberInRange) {
  EXPECT_TRUE(Accepted("0.0.0.0", "7781"));
  EXPECT_TRUE(Accepted("0.0.0.0", "1"));
  EXPECT_TRUE(Accepted("0.0.0.0", "65535"));
  for (const char* bad : {"", "0", "65536", "8080x", " 80", "+80", "-1", "99999999999", "http"}) {
    EXPECT_FALSE(Accepted("0.0.0.0", bad)) << bad;
  }
  EXPECT_EQ(CheckPanelFields(Fields("0.0.0.0", "8080x"), PanelLanguage::English),
            "The HTTP-Server port must be a number from 1 to 65535, not \"8080x\". The settings were not saved.");
  EXPECT_EQ(CheckPanelFields(Fields("0.0.0.0", ""), PanelLanguage::Russian),
            "Порт HTTP-сервера должен быть числом от 1 до 65535, а не \"\". Настройки не сохранены.");
}

TEST(SettingsCheck, MulticastInterfaceAddressOrList) {
  for (const char* good : {"0.0.0.0", "192.168.0.1, 192.168.1.2@233.7.*.*", "192.168.1.2@233.7.*.*, 0.0.0.0",
                           "10.0.0.1,", "10.0.0.1, ,", " 10.0.0.1 ,\t10.0.0.2@239.?.1.1 "}) {
    EXPECT_TRUE(Accepted(good, "7781")) << good;
  }
  // Without "," the text is used as it stands, so a mask entry alone or blanks around it do not work.
  for (const char* bad : {"", "eth0", "192.168.1.2@233.7.*.*", "0.0.0.0 ", "10.0.0.1; 10.0.0.2", ",", " , ",
                          "10.0.0.1, eth1", "10.0.0.1, 10.0.0.2@", "10.0.0.1, @239.*", "10.0.0.1,,10.0.0.2"}) {
    EXPECT_FALSE(Accepted(bad, "7781")) << bad;
  }
  EXPECT_EQ(CheckPanelFields(Fields("10.0.0.1, eth1@239.*", "7781"), PanelLanguage::English),
            "The multicast interface \"eth1@239.*\" is not an interface address. Enter an address such as 0.0.0.0 "
            "or a list such as \"192.168.0.1, 192.168.1.2@233.7.*.*\". The settings were not saved.");
  EXPECT_EQ(CheckPanelFields(Fields("10.0.0.1,,10.0.0.2", "7781"), PanelLanguage::English),
            "The multicast interface list \"10.0.0.1,,10.0.0.2\" has an empty entry: everything after it would be "
            "ignored. The settings were not saved.");
  EXPECT_NE(CheckPanelFields(Fields("eth0", "7781"), PanelLanguage::Russian).find("\"eth0\" не является адресом"),
            std::string::npos);
  // A mask of up to 256 characters.
  EXPECT_TRUE(Accepted("0.0.0.0, 10.0.0.1@" + std::string(256, '*'), "7781"));
  EXPECT_FALSE(Accepted("0.0.0.0, 10.0.0.1@" + std::string(257, '*'), "7781"));
}

TEST(SettingsCheck, PortIsCheckedFirst) {
  EXPECT_NE(CheckPanelFields(Fields("eth0", "x"), PanelLanguage::English).find("port"), std::string::npos);
}

}  // namespace
