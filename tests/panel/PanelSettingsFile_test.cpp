#include "panel/PanelSettingsFile.h"

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "test_support/TempFolder.h"

namespace {

const std::vector<std::string> kHost = {"192.168.1.5"};

TEST(PanelSettingsFile, MissingFileKeepsTheDefaultsAndSavesTwentyNineBytes) {
  TempFolder folder;
  const std::string file = folder.Path("corvane.ini");
  PanelFields fields = DefaultPanelFields(kHost);
  std::string message = "stale";
  EXPECT_EQ(LoadPanelSettings(file, fields, PanelLanguage::English, message), SettingsLoad::Missing);
  EXPECT_EQ(message, "");
  EXPECT_TRUE(fields.saveEnabled);
  EXPECT_EQ(fields.addressLink, "127.0.0.1:7781");

  const SaveResult result = SaveSettings(file, fields, PanelLanguage::English);
  EXPECT_TRUE(result.saved);
  EXPECT_EQ(result.message, "");
  std::string contents;
  ASSERT_TRUE(platform::ReadWholeFile(file, contents));
  EXPECT_EQ(contents, std::string("0.0.0.0\r\n0.0.0.0\r\n7781\r\n0\r\n\r\n"));
  EXPECT_EQ(contents.size(), 29u);
}

TEST(PanelSettingsFile, SavedValuesLoadBack) {
  TempFolder folder;
  const std::string file = folder.Path("corvane.ini");
  PanelFields fields = DefaultPanelFields(kHost);
  fields.multicastInterface = "192.168.1.5, 10.0.0.2@233.7.*.*";
  fields.httpInterfaceIndex = 2;
  fields.httpPort = "8000";
  fields.transcoderEnabled = true;
  fields.transcoderProfile = TranscoderPresets()[5];
  ASSERT_TRUE(SaveSettings(file, fields, PanelLanguage::English).saved);

  PanelFields loaded = DefaultPanelFields(kHost);
  std::string message;
  EXPECT_EQ(LoadPanelSettings(file, loaded, PanelLanguage::English, message), SettingsLoad::Loaded);
  EXPECT_EQ(SettingsText(SettingsFromFields(loaded)), SettingsText(SettingsFromFields(fields)));
  EXPECT_EQ(loaded.httpInterfaceIndex, 2);
  EXPECT_EQ(loaded.transcoderPort, "8001");
  EXPECT_EQ(loaded.addressLink, "192.168.1.5:8000");
  EXPECT_FALSE(loaded.saveEnabled);
}

TEST(PanelSettingsFile, RefusedValuesLeaveTheFileAlone) {
  TempFolder folder;
  const std::string file = folder.Path("corvane.ini");
  const std::string stored = "10.0.0.1\r\n0.0.0.0\r\n9000\r\n1\r\nmux=ts\r\n";
  ASSERT_TRUE(platform::WriteWholeFile(file, stored));

  PanelFields fields = DefaultPanelFields(kHost);
  fields.httpPort = "o900";
  const PanelFields before = fields;
  const SaveResult result = SaveSettings(file, fields, PanelLanguage::English);
  EXPECT_FALSE(result.saved);
  EXPECT_NE(result.message.find("\"o900\""), std::string::npos);
  std::string contents;
  ASSERT_TRUE(platform::ReadWholeFile(file, contents));
  EXPECT_EQ(contents, stored);
  EXPECT_EQ(fields.httpPort, before.httpPort);

  // What the proxy reads as a port is saved as typed, with the warning.
  fields.httpPort = "90o0";
  const SaveResult warned = SaveSettings(file, fields, PanelLanguage::English);
  EXPECT_TRUE(warned.saved);
  EXPECT_EQ(warned.message, "The HTTP-Server port \"90o0\" is read as 90.");
  EXPECT_EQ(ReadSettingsLine(file, 3), "90o0");
}

TEST(PanelSettingsFile, UnwritableFileIsReported) {
  TempFolder folder;
  // A folder in the file's place cannot be written as a file, on every platform and for every user.
  const std::string file = folder.Path("corvane.ini");
  std::filesystem::create_directory(file);
  const SaveResult result = SaveSettings(file, DefaultPanelFields(kHost), PanelLanguage::English);
  EXPECT_FALSE(result.saved);
  EXPECT_EQ(result.message.rfind("The settings file \"" + file + "\" could not be written (", 0), 0u)
      << result.message;
  EXPECT_NE(result.message.find("). The settings were not saved."), std::string::npos);
}

}  // namespace
