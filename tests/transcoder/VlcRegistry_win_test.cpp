// The two registry sources of the VLC search against the real registry: VLC's own "InstallDir" and the sibling
// player's uninstall entry, each pointing at a stand-in copy in a folder of the test's.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "test_support/TempFolder.h"
#include "transcoder/VlcWrap.h"

namespace {

constexpr const char* kVlcKey = "Software\\VideoLAN\\VLC";
constexpr const char* kPlayerKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumora_Player";

// Writes string values below HKEY_LOCAL_MACHINE and removes the keys it made at the end.
class RegistryValues {
 public:
  RegistryValues() {
    // Left over from an interrupted run, they would decide the search.
    Remove();
  }
  ~RegistryValues() { Remove(); }
  RegistryValues(const RegistryValues&) = delete;
  RegistryValues& operator=(const RegistryValues&) = delete;

  static void Set(const char* path, const char* name, const std::string& text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const LSTATUS written = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                           static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    ASSERT_EQ(written, ERROR_SUCCESS);
  }

  static void Remove() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kVlcKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kPlayerKey);
  }
};

class VlcRegistryTest : public ::testing::Test {
 protected:
  // A stand-in VLC 3 in a folder of its own; returned with its trailing backslash.
  std::string Install(const std::string& name) const {
    const std::string from = std::string(CORVANE_STAND_INS) + "stand-in-vlc3/";
    const std::string folder = temp_.Path(name) + "\\";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(from + VlcLibraryFile(), folder + VlcLibraryFile());
    std::filesystem::copy_file(from + VlcCoreFile(), folder + VlcCoreFile());
    return folder;
  }

  // A search as the transcoder makes it, over a program folder without VLC and the registry as it is now.
  std::string Located() {
    VlcLookupInputs inputs;
    inputs.programFolder = program_;
    VlcBinding binding(inputs, [](const std::string&) {});
    binding.SetRegistryValues(ReadMachineVlcRegistry());
    return binding.LocateVlc() ? binding.Folder() : "(none)";
  }

  TempFolder temp_;
  RegistryValues registry_;
  std::string program_ = temp_.Path("program") + "\\";
};

// One test: the values are the machine's, and tests may run side by side.
TEST_F(VlcRegistryTest, InstallDirAndTheSiblingPlayersFolderPointAtCopies) {
  const std::string install = Install("VideoLAN VLC");
  const std::string player = Install("Lumora Player");
  EXPECT_EQ(Located(), "(none)");

  // VLC's installer writes the folder without the trailing backslash; with one it is taken as it is.
  RegistryValues::Set(kVlcKey, "InstallDir", install.substr(0, install.size() - 1));
  EXPECT_EQ(Located(), install);
  RegistryValues::Set(kVlcKey, "InstallDir", install);
  EXPECT_EQ(Located(), install);

  // A ".skip" marker hides it, and the sibling player's copy is next. Its uninstall command in quotes, as some
  // installers write it, gives a folder that starts with a quote and never holds a library.
  ASSERT_TRUE(platform::WriteWholeFile(install + ".skip", ""));
  RegistryValues::Set(kPlayerKey, "UninstallString", "\"" + player + "uninstall.exe\" /S");
  EXPECT_EQ(Located(), "(none)");
  RegistryValues::Set(kPlayerKey, "UninstallString", player + "uninstall.exe");
  EXPECT_EQ(Located(), player);

  // Without the values the search finds nothing again.
  RegistryValues::Remove();
  EXPECT_EQ(Located(), "(none)");
}

}  // namespace
