#include "transcoder/VlcWrap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/TextUtil.h"
#include "platform/Files.h"
#include "test_support/TempFolder.h"
#include "transcoder/VlcPlayerRules.h"

// LeakSanitizer's switch, present only in sanitizer builds.
extern "C" void __lsan_disable() __attribute__((weak));
extern "C" void __lsan_enable() __attribute__((weak));

namespace {

// libvlc 3 leaves a few allocations behind at release in plug-ins it has unloaded by then; they are its own.
class LeakCheckPause {
 public:
  LeakCheckPause() {
    if (__lsan_disable != nullptr) __lsan_disable();
  }
  ~LeakCheckPause() {
    if (__lsan_enable != nullptr) __lsan_enable();
  }
  LeakCheckPause(const LeakCheckPause&) = delete;
  LeakCheckPause& operator=(const LeakCheckPause&) = delete;
};

// The libvlc of the system (Debian's libvlc5 with vlc-plugin-base), found, bound and started for real by the
// process's own binding, which keeps it loaded as the program does.
TEST(VlcBindingOfTheSystem, BindsAndStartsDebiansLibvlc) {
  const std::string folder =
      FirstUsableVlcFolder(platform::SystemLibraryFolders(), VlcLibraryFile(), [](const std::string& path) {
        return platform::GetFileKind(path) == platform::FileKind::File;
      });
  if (folder.empty()) GTEST_SKIP() << "no libvlc.so.5 in the system's library folders (package libvlc5)";

  VlcBinding& binding = ProcessVlcBinding();
  ASSERT_EQ(binding.BindVlcApi(), 0);
  EXPECT_EQ(binding.Folder(), folder);
  EXPECT_EQ(binding.ApiLevel(), 12);

  using GetVersion = const char* (*)();
  const std::string version = reinterpret_cast<GetVersion>(binding.Entry(kGetVersion))();
  EXPECT_FALSE(StartsWith(version, "0.") || StartsWith(version, "1.")) << version;
  RecordProperty("libvlc_version", version);
  std::printf("libvlc %s from %s\n", version.c_str(), folder.c_str());

  // An instance starts with the arguments the player gives it, its configuration file in a folder of the test's.
  const TempFolder configFolder;
  const std::vector<std::string> arguments =
      VlcInstanceArguments(binding.ApiLevel(), VlcPluginPathArgument(false, binding.Folder()), binding.Folder(),
                           configFolder.Path("corvane.Vlc.ini"), "");
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  using New = void* (*)(int, const char* const*);
  using Release = void (*)(void*);
  const LeakCheckPause pause;
  void* instance = reinterpret_cast<New>(binding.Entry(kNew))(static_cast<int>(argv.size()), argv.data());
  ASSERT_NE(instance, nullptr);
  reinterpret_cast<Release>(binding.Entry(kRelease))(instance);
}

}  // namespace
