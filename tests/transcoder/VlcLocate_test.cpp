#include "transcoder/VlcLocate.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

VlcLookupInputs WindowsInputs(const std::string& installDir, const std::string& playerUninstall) {
  VlcLookupInputs inputs;
  inputs.programFolder = "C:\\Corvane\\";
  inputs.separator = '\\';
  inputs.registry = {installDir, playerUninstall};
  return inputs;
}

const std::vector<std::string> kProgramRelative = {
    "C:\\Corvane\\",
    "C:\\Corvane\\Vlc\\",
    "C:\\Corvane\\Vlc8\\",
    "C:\\Corvane\\Vlc10\\",
    "C:\\Corvane\\Vlc11\\",
    "C:\\Corvane\\..\\Vlc\\",
    "C:\\Corvane\\..\\Vlc8\\",
    "C:\\Corvane\\..\\Vlc10\\",
    "C:\\Corvane\\..\\Vlc11\\",
    "C:\\Corvane\\..\\VideoLAN\\Vlc\\",
    "C:\\Corvane\\..\\VideoLAN\\",
    "C:\\Corvane\\..\\..\\Programs\\VideoLAN\\",
};

std::vector<std::string> With(std::vector<std::string> folders, const std::vector<std::string>& more) {
  folders.insert(folders.end(), more.begin(), more.end());
  return folders;
}

TEST(VlcSearchFolders, ProgramFoldersThenTheTwoRegistrySources) {
  EXPECT_EQ(VlcSearchFolders(WindowsInputs("", "")), kProgramRelative);
  EXPECT_EQ(VlcSearchFolders(WindowsInputs("C:\\Program Files\\VideoLAN\\VLC\\", "")),
            With(kProgramRelative, {"C:\\Program Files\\VideoLAN\\VLC\\"}));
  // Without its trailing backslash, one is added.
  EXPECT_EQ(VlcSearchFolders(WindowsInputs("C:\\Program Files\\VideoLAN\\VLC", "")),
            With(kProgramRelative, {"C:\\Program Files\\VideoLAN\\VLC\\"}));
  EXPECT_EQ(VlcSearchFolders(WindowsInputs("D:\\VLC", "C:\\Program Files\\Lumora\\uninstall.exe")),
            With(kProgramRelative, {"D:\\VLC\\", "C:\\Program Files\\Lumora\\"}));
}

TEST(VlcSearchFolders, SiblingPlayerFolderIsTheUninstallersFolder) {
  struct Row {
    const char* uninstall;
    std::vector<std::string> added;
  };
  const Row rows[] = {
      {"C:\\Lumora\\uninstall.exe", {"C:\\Lumora\\"}},
      {"C:/Lumora/uninstall.exe", {"C:/Lumora/\\"}},  // the folder part ends at "/", then "\" is added
      {"C:uninstall.exe", {"C:\\"}},
      {"uninstall.exe", {}},                               // no folder at all
      {"C:\\Corvane\\uninstall.exe", {}},                  // the program's own folder was tried first
      {"\"C:\\Lumora\\uninstall.exe\"", {"\"C:\\Lumora\\"}},  // quoted: a folder that never exists
      {"\"C:\\Lumora\\uninstall.exe\" /S", {"\"C:\\Lumora\\uninstall.exe\" /\\"}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(VlcSearchFolders(WindowsInputs("", row.uninstall)), With(kProgramRelative, row.added)) << row.uninstall;
  }
}

TEST(VlcSearchFolders, SystemLibraryFoldersComeLastWithTheSystemsSeparator) {
  VlcLookupInputs inputs;
  inputs.programFolder = "/opt/corvane/";
  inputs.separator = '/';
  inputs.systemFolders = {"/usr/lib/x86_64-linux-gnu/", "/usr/lib/"};
  const std::vector<std::string> folders = VlcSearchFolders(inputs);
  ASSERT_EQ(folders.size(), 14u);
  EXPECT_EQ(folders[0], "/opt/corvane/");
  EXPECT_EQ(folders[1], "/opt/corvane/Vlc/");
  EXPECT_EQ(folders[9], "/opt/corvane/../VideoLAN/Vlc/");
  EXPECT_EQ(folders[11], "/opt/corvane/../../Programs/VideoLAN/");
  EXPECT_EQ(folders[12], "/usr/lib/x86_64-linux-gnu/");
  EXPECT_EQ(folders[13], "/usr/lib/");
  // A backslash in the program's own folder name is a letter there, not a separator.
  inputs.programFolder = "/opt/a\\b/";
  EXPECT_EQ(VlcSearchFolders(inputs)[1], "/opt/a\\b/Vlc/");
}

TEST(ReadVlcRegistryValues, ReadsTheTwoValues) {
  std::vector<std::string> asked;
  const VlcRegistryValues values = ReadVlcRegistryValues([&](const std::string& key, const std::string& value) {
    asked.push_back(key + "|" + value);
    return value == "InstallDir" ? std::string("C:\\VLC") : std::string();
  });
  EXPECT_EQ(values.installDir, "C:\\VLC");
  EXPECT_EQ(values.playerUninstall, "");
  EXPECT_EQ(asked, (std::vector<std::string>{
                       "Software\\VideoLAN\\VLC|InstallDir",
                       "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumora_Player|UninstallString"}));
}

TEST(IsUsableVlcFolder, NeedsTheLibraryAndNoSkipMarker) {
  const std::set<std::string> files = {"A\\libvlc.dll", "B\\libvlc.dll", "B\\.skip", "C\\.skip"};
  const FileExistsTest exists = [&](const std::string& path) { return files.count(path) > 0; };
  EXPECT_TRUE(IsUsableVlcFolder("A\\", "libvlc.dll", exists));
  EXPECT_FALSE(IsUsableVlcFolder("B\\", "libvlc.dll", exists));
  EXPECT_FALSE(IsUsableVlcFolder("C\\", "libvlc.dll", exists));
  EXPECT_FALSE(IsUsableVlcFolder("D\\", "libvlc.dll", exists));
}

TEST(FirstUsableVlcFolder, PassesOverSkippedCopies) {
  const std::set<std::string> files = {"P\\Vlc\\libvlc.dll", "P\\Vlc\\.skip", "P\\Vlc8\\libvlc.dll",
                                       "R\\libvlc.dll"};
  const FileExistsTest exists = [&](const std::string& path) { return files.count(path) > 0; };
  EXPECT_EQ(FirstUsableVlcFolder({"P\\", "P\\Vlc\\", "P\\Vlc8\\", "R\\"}, "libvlc.dll", exists), "P\\Vlc8\\");
  EXPECT_EQ(FirstUsableVlcFolder({"P\\", "P\\Vlc\\", "R\\"}, "libvlc.dll", exists), "R\\");
  EXPECT_EQ(FirstUsableVlcFolder({"P\\", "P\\Vlc\\"}, "libvlc.dll", exists), "");
}

TEST(DecideVlcApiLevel, FromTheCoresVersion) {
  EXPECT_EQ(DecideVlcApiLevel(false, ""), 8);
  EXPECT_EQ(DecideVlcApiLevel(false, "3.0.21.0"), 8);  // no libvlccore: the oldest generation whatever it says
  EXPECT_EQ(DecideVlcApiLevel(true, ""), 9);           // no readable version
  EXPECT_EQ(DecideVlcApiLevel(true, "0.9.10.0"), 9);
  EXPECT_EQ(DecideVlcApiLevel(true, "1.0.6.0"), 9);
  EXPECT_EQ(DecideVlcApiLevel(true, "1.1.11.0"), 11);
  EXPECT_EQ(DecideVlcApiLevel(true, "2.0.8.0"), 12);
  EXPECT_EQ(DecideVlcApiLevel(true, "2.2.8.0"), 12);
  EXPECT_EQ(DecideVlcApiLevel(true, "3.0.21.0"), 12);
  EXPECT_EQ(DecideVlcApiLevel(true, "3.0.21 Vetinari"), 12);
  EXPECT_EQ(DecideVlcApiLevel(true, "4.0.0-dev Otto Chriek"), 12);
  EXPECT_EQ(DecideVlcApiLevel(true, "10.1.0.0"), 12);
  EXPECT_EQ(DecideVlcApiLevel(true, "3"), 9);  // a major version must be closed by "."
  EXPECT_EQ(DecideVlcApiLevel(true, "1.2.0.0"), 9);
  EXPECT_EQ(DecideVlcApiLevel(true, "v3.0"), 9);
}

}  // namespace
