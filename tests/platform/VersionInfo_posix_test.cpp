#include "platform/VersionInfo.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/Files.h"
#include "test_support/TempFolder.h"

namespace {

TEST(VersionInfoPosixTest, RunningProgramHasTheBuildVersion) {
  std::uint16_t parts[4] = {};
  ASSERT_TRUE(platform::ReadProductVersion(platform::ProgramPath(), parts));
  EXPECT_EQ(parts[0], CORVANE_VERSION_MAJOR);
  EXPECT_EQ(parts[1], CORVANE_VERSION_MINOR);
  EXPECT_EQ(parts[2], CORVANE_VERSION_PATCH);
  EXPECT_EQ(parts[3], CORVANE_VERSION_TWEAK);
}

TEST(VersionInfoPosixTest, RunningProgramReachedThroughALinkHasItToo) {
  TempFolder folder;
  ASSERT_EQ(symlink(platform::ProgramPath().c_str(), folder.Path("corvane").c_str()), 0);
  std::uint16_t parts[4] = {};
  EXPECT_TRUE(platform::ReadProductVersion(folder.Path("corvane"), parts));
}

TEST(VersionInfoPosixTest, OtherProgramsHaveNone) {
  std::uint16_t parts[4] = {};
  EXPECT_FALSE(platform::ReadProductVersion("/bin/sh", parts));
}

}  // namespace
