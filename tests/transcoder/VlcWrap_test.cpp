#include "transcoder/VlcWrap.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "test_support/TempFolder.h"

namespace {

// Binds the stand-in libraries that the build makes, copied into folders around a program folder of the test's.
class VlcBindingTest : public ::testing::Test {
 protected:
  VlcBindingTest() : program_(Folder("program")) {}

  std::string Folder(const std::string& name) const { return temp_.Path(name) + platform::PathSeparator(); }

  // Copies libvlc from the stand-in folder given and libvlccore from the complete set.
  void Install(const std::string& from, const std::string& folder) const {
    std::filesystem::create_directories(folder);
    const auto overwrite = std::filesystem::copy_options::overwrite_existing;
    std::filesystem::copy_file(from + VlcLibraryFile(), folder + VlcLibraryFile(), overwrite);
    std::filesystem::copy_file(CORVANE_STAND_IN_VLC + VlcCoreFile(), folder + VlcCoreFile(), overwrite);
  }
  static void Touch(const std::string& path) { ASSERT_TRUE(platform::WriteWholeFile(path, "")); }

  VlcBinding MakeBinding(const VlcRegistryValues& registry = {}) {
    VlcLookupInputs inputs;
    inputs.programFolder = program_;
    inputs.separator = platform::PathSeparator();
    inputs.registry = registry;
    return VlcBinding(inputs, [this](const std::string& text) { messages_.push_back(text); });
  }

  TempFolder temp_;
  std::string program_;
  std::vector<std::string> messages_;
};

std::string VersionOf(const VlcBinding& binding) {
  using GetVersion = const char* (*)();
  return reinterpret_cast<GetVersion>(binding.Entry(kGetVersion))();
}

TEST_F(VlcBindingTest, BindsTheLevelTwelveTableOfACopyBesideTheProgram) {
  Install(CORVANE_STAND_IN_VLC, program_ + "Vlc" + platform::PathSeparator());
  VlcBinding binding = MakeBinding();
  const std::string directory = platform::CurrentDirectory();

  ASSERT_EQ(binding.BindVlcApi(), 0);
  EXPECT_EQ(binding.Folder(), program_ + "Vlc" + platform::PathSeparator());
  EXPECT_EQ(binding.ApiLevel(), 12);
  EXPECT_EQ(binding.LoadError(), 0);
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(platform::CurrentDirectory(), directory);
  EXPECT_EQ(VersionOf(binding), "3.0.99 Stand-in");

  for (std::size_t i = 0; i < kVlcEntryTableSize; ++i) {
    const VlcEntry& entry = VlcEntryTable()[i];
    EXPECT_EQ(binding.Entry(entry.id) != nullptr, VlcGroupApplies(entry.group, 12)) << entry.names;
  }
  // Where only the newer names exist, each media-new entry gets its own.
  EXPECT_NE(binding.Entry(kMediaNewPath), binding.Entry(kMediaNewLocation));
  EXPECT_EQ(binding.BindVlcApi(), 0);  // bound once for good
}

TEST_F(VlcBindingTest, SkipMarkerHidesACopyAndTheSearchGoesOn) {
  Install(CORVANE_STAND_IN_VLC, program_ + "Vlc" + platform::PathSeparator());
  Touch(program_ + "Vlc" + platform::PathSeparator() + ".skip");
  Install(CORVANE_STAND_IN_VLC, program_ + "Vlc8" + platform::PathSeparator());
  VlcBinding binding = MakeBinding();
  EXPECT_TRUE(binding.LocateVlc());
  EXPECT_EQ(binding.Folder(), program_ + "Vlc8" + platform::PathSeparator());
  EXPECT_EQ(binding.ApiLevel(), 12);

  // A search that finds nothing keeps the folder of the last find.
  Touch(program_ + "Vlc8" + platform::PathSeparator() + ".skip");
  EXPECT_FALSE(binding.LocateVlc());
  EXPECT_EQ(binding.Folder(), program_ + "Vlc8" + platform::PathSeparator());
}

TEST_F(VlcBindingTest, InstallFolderFromTheRegistryGetsItsSeparator) {
  const std::string install = Folder("VideoLAN VLC");
  Install(CORVANE_STAND_IN_VLC, install);
  VlcBinding binding = MakeBinding({install.substr(0, install.size() - 1), ""});
  ASSERT_EQ(binding.BindVlcApi(), 0);
  EXPECT_EQ(binding.Folder(), install);
}

TEST_F(VlcBindingTest, MissingEntryIsNamedAndTheNextAttemptStartsAfresh) {
  Install(CORVANE_STAND_IN_VLC_WITHOUT_DEINTERLACE, program_ + "Vlc" + platform::PathSeparator());
  VlcBinding binding = MakeBinding();

  EXPECT_EQ(binding.BindVlcApi(), -2);
  EXPECT_EQ(binding.LoadError(), -2);
  EXPECT_EQ(messages_, std::vector<std::string>{"libvlc_video_set_deinterlace,"});
  EXPECT_EQ(binding.Folder(), "");
  EXPECT_EQ(binding.Entry(kNew), nullptr);  // nothing points into the unloaded library

  // The next attempt searches again and binds a complete copy.
  Touch(program_ + "Vlc" + platform::PathSeparator() + ".skip");
  Install(CORVANE_STAND_IN_VLC, program_ + "Vlc8" + platform::PathSeparator());
  EXPECT_EQ(binding.BindVlcApi(), 0);
  EXPECT_EQ(binding.Folder(), program_ + "Vlc8" + platform::PathSeparator());
  EXPECT_EQ(VersionOf(binding), "3.0.99 Stand-in");
  EXPECT_EQ(messages_.size(), 1u);
}

}  // namespace
