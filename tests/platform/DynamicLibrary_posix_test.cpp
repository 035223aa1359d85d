#include "platform/DynamicLibrary.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Files.h"

namespace {

TEST(SystemLibraryFolders, AreTheLinkersOwnSearchPath) {
  EXPECT_EQ(platform::SharedLibraryFileName("libvlccore", 9), "libvlccore.so.9");
  bool holdsLibc = false;
  for (const std::string& folder : platform::SystemLibraryFolders()) {
    EXPECT_EQ(folder.back(), '/') << folder;
    holdsLibc = holdsLibc || platform::GetFileKind(folder + "libc.so.6") == platform::FileKind::File;
  }
  EXPECT_TRUE(holdsLibc);
}

}  // namespace
