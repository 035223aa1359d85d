#include "transcoder/VlcWrap.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "test_support/TempFolder.h"

namespace {

// A folder of stand-in libraries that the build makes (tests/transcoder/CMakeLists.txt).
std::string StandIn(const std::string& name) { return std::string(CORVANE_STAND_INS) + "stand-in-" + name + "/"; }

// Binds the stand-in libraries that the build makes, copied into folders around a program folder of the test's.
class VlcBindingTest : public ::testing::Test {
 protected:
  VlcBindingTest() : program_(Folder("program")) {}

  std::string Folder(const std::string& name) const { return temp_.Path(name) + platform::PathSeparator(); }

  // Copies libvlc from the stand-in folder given and, unless withCore says not to, libvlccore from the same or,
  // where it has none, from the VLC 3 set.
  void Install(const std::string& from, const std::string& folder, bool withCore = true) const {
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(from + VlcLibraryFile(), folder + VlcLibraryFile());
    if (!withCore) return;
    const bool hasCore = std::filesystem::exists(from + VlcCoreFile());
    std::filesystem::copy_file((hasCore ? from : StandIn("vlc3")) + VlcCoreFile(), folder + VlcCoreFile());
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
  Install(StandIn("vlc3"), program_ + "Vlc" + platform::PathSeparator());
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

TEST_F(VlcBindingTest, LevelFollowsTheVersionTheLibrariesState) {
  struct Row {
    const char* standIn;
    int level;
  };
  // The version resource of libvlccore on Windows, libvlc_get_version elsewhere.
  const Row rows[] = {{"vlc10", 9}, {"vlc11", 11}, {"vlc20", 12}, {"vlc3", 12}, {"unversioned", 9}};
  for (const Row& row : rows) {
    program_ = Folder(std::string("program-") + row.standIn);
    Install(StandIn(row.standIn), program_);
    VlcBinding binding = MakeBinding();
    EXPECT_TRUE(binding.LocateVlc()) << row.standIn;
    EXPECT_EQ(binding.Folder(), program_) << row.standIn;
    EXPECT_EQ(binding.ApiLevel(), row.level) << row.standIn;
  }
  // Without libvlccore: the oldest generation.
  program_ = Folder("program-without-core");
  Install(StandIn("vlc3"), program_, false);
  VlcBinding binding = MakeBinding();
  EXPECT_TRUE(binding.LocateVlc());
  EXPECT_EQ(binding.ApiLevel(), 8);
}

TEST_F(VlcBindingTest, OldestGenerationTakesEveryEntryFromLibvlc) {
  Install(StandIn("classic"), program_, false);
  VlcBinding binding = MakeBinding();
  ASSERT_EQ(binding.BindVlcApi(), 0);
  EXPECT_EQ(binding.ApiLevel(), 8);
  EXPECT_TRUE(messages_.empty());
  for (std::size_t i = 0; i < kVlcEntryTableSize; ++i) {
    const VlcEntry& entry = VlcEntryTable()[i];
    EXPECT_EQ(binding.Entry(entry.id) != nullptr, VlcGroupApplies(entry.group, 8)) << entry.names;
  }
}

// A generation is refused as a whole when entries it needs are missing; every missing one is named, in table order.
TEST_F(VlcBindingTest, GenerationWithoutItsEntriesIsRefusedNamingEachMissingOne) {
  struct Row {
    const char* standIn;
    std::vector<std::string> missing;
  };
  const Row rows[] = {
      {"vlc10",
       {"libvlc_exception_clear,", "libvlc_playlist_add_extended,", "libvlc_playlist_clear,", "libvlc_playlist_play,",
        "libvlc_playlist_get_media_player,", "__vlc_object_find,vlc_object_find,"}},
      {"vlc11", {"__vlc_object_find,vlc_object_find,"}},
  };
  for (const Row& row : rows) {
    program_ = Folder(std::string("program-") + row.standIn);
    Install(StandIn(row.standIn), program_);
    messages_.clear();
    VlcBinding binding = MakeBinding();
    EXPECT_EQ(binding.BindVlcApi(), -2) << row.standIn;
    EXPECT_EQ(messages_, row.missing) << row.standIn;
    EXPECT_EQ(binding.Folder(), "") << row.standIn;
    EXPECT_EQ(binding.Entry(kNew), nullptr) << row.standIn;
  }
}

TEST_F(VlcBindingTest, SkipMarkerHidesACopyAndTheSearchGoesOn) {
  Install(StandIn("vlc3"), program_ + "Vlc" + platform::PathSeparator());
  Touch(program_ + "Vlc" + platform::PathSeparator() + ".skip");
  Install(StandIn("vlc3"), program_ + "Vlc8" + platform::PathSeparator());
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
  Install(StandIn("vlc3"), install);
  VlcBinding binding = MakeBinding();
  EXPECT_FALSE(binding.LocateVlc());
  // The registry answers with the folder as VLC's installer writes it, without the trailing separator.
  binding.SetRegistryValues(ReadVlcRegistryValues([&](const std::string&, const std::string& value) {
    return value == "InstallDir" ? install.substr(0, install.size() - 1) : std::string();
  }));
  ASSERT_EQ(binding.BindVlcApi(), 0);
  EXPECT_EQ(binding.Folder(), install);
}

TEST(ProgramVlcLookupInputs, StartAtTheProgramsFolder) {
  const VlcLookupInputs inputs = ProgramVlcLookupInputs();
  const std::string program = platform::ProgramPath();
  EXPECT_EQ(inputs.separator, platform::PathSeparator());
  ASSERT_FALSE(inputs.programFolder.empty());
  EXPECT_EQ(inputs.programFolder.back(), inputs.separator);
  EXPECT_EQ(program.substr(0, inputs.programFolder.size()), inputs.programFolder);
  EXPECT_EQ(program.find(inputs.separator, inputs.programFolder.size()), std::string::npos);
  EXPECT_EQ(inputs.systemFolders, platform::SystemLibraryFolders());
  EXPECT_TRUE(inputs.registry.installDir.empty() && inputs.registry.playerUninstall.empty());
}

TEST_F(VlcBindingTest, MissingEntryIsNamedAndTheNextAttemptStartsAfresh) {
  Install(StandIn("incomplete"), program_ + "Vlc" + platform::PathSeparator());
  VlcBinding binding = MakeBinding();

  EXPECT_EQ(binding.BindVlcApi(), -2);
  EXPECT_EQ(binding.LoadError(), -2);
  EXPECT_EQ(messages_, std::vector<std::string>{"libvlc_video_set_deinterlace,"});
  EXPECT_EQ(binding.Folder(), "");
  EXPECT_EQ(binding.Entry(kNew), nullptr);  // nothing points into the unloaded library

  // The next attempt searches again and binds a complete copy.
  Touch(program_ + "Vlc" + platform::PathSeparator() + ".skip");
  Install(StandIn("vlc3"), program_ + "Vlc8" + platform::PathSeparator());
  EXPECT_EQ(binding.BindVlcApi(), 0);
  EXPECT_EQ(binding.Folder(), program_ + "Vlc8" + platform::PathSeparator());
  EXPECT_EQ(VersionOf(binding), "3.0.99 Stand-in");
  EXPECT_EQ(messages_.size(), 1u);
}

}  // namespace
