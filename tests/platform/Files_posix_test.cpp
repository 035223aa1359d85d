#include "platform/Files.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "test_support/TempFolder.h"

namespace {

TEST(FilesPosixTest, InputFileSizeBeyondFourGibibytes) {
  TempFolder folder;
  const std::string path = folder.Path("large.ts");
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  constexpr std::int64_t kSize = (std::int64_t{5} << 30) + 7;  // sparse: takes no room on disk
  const bool sized = ftruncate(fd, kSize) == 0 && pwrite(fd, "tail", 4, kSize - 4) == 4;
  close(fd);
  ASSERT_TRUE(sized);

  platform::InputFile file;
  ASSERT_TRUE(file.Open(path));
  EXPECT_EQ(file.Size(), kSize);
  char buffer[16];
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 16);
}

TEST(FilesPosixTest, ProgramPathIsTheExecutable) {
  char expected[PATH_MAX];
  ASSERT_NE(realpath("/proc/self/exe", expected), nullptr);
  EXPECT_EQ(platform::ProgramPath(), expected);
  EXPECT_EQ(platform::PathSeparator(), '/');
}

TEST(FilesPosixTest, ResolvedPathFollowsLinks) {
  TempFolder folder;
  ASSERT_TRUE(platform::WriteWholeFile(folder.Path("target"), "x"));
  ASSERT_EQ(symlink(folder.Path("target").c_str(), folder.Path("link").c_str()), 0);
  EXPECT_EQ(platform::ResolvedPath(folder.Path("link")), platform::ResolvedPath(folder.Path("target")));
}

TEST(FilesPosixTest, ReplacingKeepsLinksAndPermissions) {
  TempFolder folder;
  // As the package links the program's settings file to the one in /etc: the file changes, the link stays.
  ASSERT_TRUE(platform::WriteWholeFile(folder.Path("target"), "old"));
  ASSERT_EQ(chmod(folder.Path("target").c_str(), 0640), 0);
  ASSERT_EQ(symlink("target", folder.Path("link").c_str()), 0);
  ASSERT_TRUE(platform::ReplaceWholeFile(folder.Path("link"), "new"));
  std::string read;
  ASSERT_TRUE(platform::ReadWholeFile(folder.Path("target"), read));
  EXPECT_EQ(read, "new");
  struct stat info {};
  ASSERT_EQ(lstat(folder.Path("link").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(stat(folder.Path("target").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  // A link to a file not yet there makes that file.
  ASSERT_EQ(symlink(folder.Path("later").c_str(), folder.Path("dangling").c_str()), 0);
  ASSERT_TRUE(platform::ReplaceWholeFile(folder.Path("dangling"), "made"));
  ASSERT_TRUE(platform::ReadWholeFile(folder.Path("later"), read));
  EXPECT_EQ(read, "made");
}

}  // namespace
