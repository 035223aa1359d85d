#include "transcoder/VlcWrap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/TextUtil.h"
#include "platform/Files.h"
#include "test_support/TempFolder.h"
#include "transcoder/VlcPlayerRules.h"

namespace {

// The libvlc of the system (Debian's libvlc5 with vlc-plugin-base), found, bound and started for real.
TEST(VlcBindingOfTheSystem, BindsAndStartsDebiansLibvlc) {
  TempFolder program;
  VlcLookupInputs inputs;
  inputs.programFolder = program.Path("");
  inputs.separator = '/';
  inputs.systemFolders = platform::SystemLibraryFolders();
  const std::string folder = FirstUsableVlcFolder(inputs.systemFolders, VlcLibraryFile(), [](const std::string& path) {
    return platform::GetFileKind(path) == platform::FileKind::File;
  });
  if (folder.empty()) GTEST_SKIP() << "no libvlc.so.5 in the system's library folders (package libvlc5)";

  std::vector<std::string> messages;
  VlcBinding binding(inputs, [&](const std::string& text) { messages.push_back(text); });
  ASSERT_EQ(binding.BindVlcApi(), 0) << (messages.empty() ? "" : messages.front());
  EXPECT_EQ(binding.Folder(), folder);
  EXPECT_EQ(binding.ApiLevel(), 12);
  EXPECT_TRUE(messages.empty());

  using GetVersion = const char* (*)();
  const std::string version = reinterpret_cast<GetVersion>(binding.Entry(kGetVersion))();
  EXPECT_FALSE(StartsWith(version, "0.") || StartsWith(version, "1.")) << version;
  RecordProperty("libvlc_version", version);
  std::printf("libvlc %s from %s\n", version.c_str(), folder.c_str());

  // An instance starts with the arguments the player gives it, its configuration file in a folder of the test's.
  const std::vector<std::string> arguments = VlcInstanceArguments(
      binding.ApiLevel(), VlcPluginPathArgument(false, binding.Folder()), binding.Folder(),
      program.Path("corvane.Vlc.ini"), "");
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  using New = void* (*)(int, const char* const*);
  using Release = void (*)(void*);
  void* instance = reinterpret_cast<New>(binding.Entry(kNew))(static_cast<int>(argv.size()), argv.data());
  ASSERT_NE(instance, nullptr);
  reinterpret_cast<Release>(binding.Entry(kRelease))(instance);
}

}  // namespace
