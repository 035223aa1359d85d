#include "platform/VersionInfo.h"

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "test_support/TempFolder.h"

namespace {

TEST(VersionInfoTest, FilesWithoutVersionHaveNone) {
  TempFolder folder;
  ASSERT_TRUE(platform::WriteWholeFile(folder.Path("plain.txt"), "no version here"));
  std::uint16_t parts[4] = {9, 9, 9, 9};
  EXPECT_FALSE(platform::ReadProductVersion(folder.Path("plain.txt"), parts));
  EXPECT_FALSE(platform::ReadProductVersion(folder.Path("missing.exe"), parts));
}

}  // namespace
