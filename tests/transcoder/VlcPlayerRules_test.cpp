#include "transcoder/VlcPlayerRules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

TEST(VlcInstanceArguments, EachLevelHasItsList) {
  EXPECT_EQ(VlcInstanceArguments(12, "--plugin-path=C:\\VLC\\plugins", "C:\\VLC\\", "C:\\P\\corvane.Vlc.ini", ""),
            (Texts{"--config=C:\\P\\corvane.Vlc.ini", "--no-osd", "--no-media-library", "--no-video-title-show",
                   "--quiet"}));
  EXPECT_EQ(VlcInstanceArguments(11, "--plugin-path=..\\plugins", "C:\\VLC\\", "c.ini", "verbose=2,no-audio"),
            (Texts{"--plugin-path=..\\plugins", "--config=c.ini", "--no-osd", "--no-media-library",
                   "--no-video-title-show", "--verbose=2", "--no-audio"}));
  EXPECT_EQ(VlcInstanceArguments(9, "--plugin-path=X\\plugins", "X\\", "c.ini", "a"),
            (Texts{"--plugin-path=X\\plugins", "--no-plugins-cache", "--config=c.ini", "--no-osd",
                   "--no-media-library", "--a"}));
  // Level 8: the VLC folder in the program name's place, and no extra arguments.
  EXPECT_EQ(VlcInstanceArguments(8, "--plugin-path=X\\plugins", "X\\", "c.ini", "a,b"),
            (Texts{"X\\", "--no-plugins-cache", "--config=c.ini", "--no-osd"}));
}

TEST(VlcExtraArguments, FieldsAreTakenAsTheyAre) {
  EXPECT_EQ(VlcExtraArguments(""), Texts{});
  EXPECT_EQ(VlcExtraArguments("a"), Texts{"--a"});
  EXPECT_EQ(VlcExtraArguments(" a, b"), (Texts{"-- a", "-- b"}));
  EXPECT_EQ(VlcExtraArguments("a,,b,"), (Texts{"--a", "--", "--b", "--"}));
}

TEST(VlcPluginPathArgument, BesideTheProgramOrInTheVlcFolder) {
  EXPECT_EQ(VlcPluginPathArgument(true, "C:\\VLC\\"), "--plugin-path=..\\plugins");
  EXPECT_EQ(VlcPluginPathArgument(false, "C:\\VLC\\"), "--plugin-path=C:\\VLC\\plugins");
  EXPECT_EQ(DefaultVlcConfigFile("C:\\Corvane\\corvane.exe"), "C:\\Corvane\\corvane.Vlc.ini");
  EXPECT_EQ(DefaultVlcConfigFile("/opt/corvane/corvane"), "/opt/corvane/corvane.Vlc.ini");
}

TEST(VlcVolumeToSend, SquareRootScaleForTwoPointZeroOnly) {
  struct Row {
    int level;
    const char* version;
    int volume;
    int sent;
  };
  const Row rows[] = {
      {12, "2.0.8", 40, 89},  {12, "2.0.8", 200, 200}, {12, "2.0.8", 100, 141}, {12, "2.0.8", 400, 283},
      {12, "2.0.8", 0, 0},    {12, "2.0.8", -10, 0},  // no square root of a negative number
      {12, "2.1.0", 40, 40},  {12, "3.0.21", 40, 40},  {11, "2.0.8", 40, 40},   {9, "", 40, 40},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(VlcVolumeToSend(row.level, row.version, row.volume), row.sent) << row.level << " " << row.version;
  }
}

TEST(ShortVlcVersion, CutsAtTheFirstBlankAfterTheFirstCharacter) {
  const std::pair<const char*, const char*> rows[] = {
      {"3.0.21 Vetinari", "3.0.21"}, {"2.0.8 Twoflower", "2.0.8"}, {"1.1.11", "1.1.11"}, {" 1.0 x", " 1.0"}, {"", ""}};
  for (const auto& row : rows) EXPECT_EQ(ShortVlcVersion(row.first), row.second) << row.first;
}

TEST(VlcMuteState, ToggleOffOn) {
  EXPECT_TRUE(VlcMuteState(-1, false));
  EXPECT_FALSE(VlcMuteState(-1, true));
  EXPECT_FALSE(VlcMuteState(0, true));
  EXPECT_TRUE(VlcMuteState(1, false));
  EXPECT_TRUE(VlcMuteState(7, true));
}

TEST(IsVlcFilePath, NetworkAndDrivePathsOnly) {
  EXPECT_TRUE(IsVlcFilePath("C:\\Videos\\a.ts"));
  EXPECT_TRUE(IsVlcFilePath("\\\\server\\share\\a.ts"));
  EXPECT_FALSE(IsVlcFilePath("udp://@239.1.1.1:1234"));
  EXPECT_FALSE(IsVlcFilePath("???"));
  EXPECT_FALSE(IsVlcFilePath("dshow://"));
  EXPECT_FALSE(IsVlcFilePath("C:/Videos/a.ts"));
}

TEST(TakesOwnMulticastMembership, LevelTwelveOrNoInterface) {
  EXPECT_FALSE(TakesOwnMulticastMembership(11, "192.168.0.10", "udp://@239.1.1.1:1234"));
  EXPECT_TRUE(TakesOwnMulticastMembership(12, "192.168.0.10", "udp://@239.1.1.1:1234"));
  EXPECT_TRUE(TakesOwnMulticastMembership(11, "", "udp://@239.1.1.1:1234"));
  EXPECT_TRUE(TakesOwnMulticastMembership(9, "", "udp://@239.1.1.1:1234"));
  EXPECT_FALSE(TakesOwnMulticastMembership(12, "", "???"));
  EXPECT_FALSE(TakesOwnMulticastMembership(12, "", "dshow://"));
  EXPECT_FALSE(TakesOwnMulticastMembership(12, "", "udp://239.1.1.1:1234"));
}

TEST(VlcTexts, ErrorAndCrop) {
  EXPECT_EQ(VlcErrorText(0, ""), "Error 0 : ");
  EXPECT_EQ(VlcErrorText(-3, "no plugins"), "Error -3 : no plugins");
  EXPECT_EQ(VlcCropGeometry(12, "auto"), "");
  EXPECT_EQ(VlcCropGeometry(11, "auto"), "auto");
  EXPECT_EQ(VlcCropGeometry(12, "16:9"), "16:9");
}

}  // namespace
