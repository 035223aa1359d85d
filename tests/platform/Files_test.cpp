#include "platform/Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_support/TempFolder.h"

namespace {

TEST(FilesTest, WrittenBytesReadBackUnchanged) {
  TempFolder folder;
  const std::string path = folder.Path("settings.ini");
  // Line ends and zero bytes pass untouched: files are bytes, not text.
  const std::string contents("0.0.0.0\r\n0.0.0.0\n81\r\n\0x\xFF", 25);
  ASSERT_TRUE(platform::WriteWholeFile(path, contents));
  std::string read;
  ASSERT_TRUE(platform::ReadWholeFile(path, read));
  EXPECT_EQ(read, contents);
}

TEST(FilesTest, WritingReplacesTheWholeFile) {
  TempFolder folder;
  const std::string path = folder.Path("settings.ini");
  ASSERT_TRUE(platform::WriteWholeFile(path, "a much longer first version\r\n"));
  ASSERT_TRUE(platform::WriteWholeFile(path, "short"));
  std::string read;
  ASSERT_TRUE(platform::ReadWholeFile(path, read));
  EXPECT_EQ(read, "short");
  ASSERT_TRUE(platform::WriteWholeFile(path, ""));
  ASSERT_TRUE(platform::ReadWholeFile(path, read));
  EXPECT_EQ(read, "");
}

TEST(FilesTest, ReplacingPutsAWholeNewFileInPlace) {
  TempFolder folder;
  const std::string path = folder.Path("settings.ini");
  ASSERT_TRUE(platform::ReplaceWholeFile(path, "made\r\n"));
  ASSERT_TRUE(platform::ReplaceWholeFile(path, "a much longer second version\r\n"));
  std::string read;
  ASSERT_TRUE(platform::ReadWholeFile(path, read));
  EXPECT_EQ(read, "a much longer second version\r\n");
  // The new file is written beside it and takes its name: nothing else stays in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path("")), {}), 1);
  // Where nothing can be written the replace fails and leaves nothing behind.
  EXPECT_FALSE(platform::ReplaceWholeFile(folder.Path("no-such-folder/x.ini"), "x"));
  ASSERT_TRUE(std::filesystem::create_directory(folder.Path("Html")));
  EXPECT_FALSE(platform::ReplaceWholeFile(folder.Path("Html"), "x"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path("")), {}), 2);
}

TEST(FilesTest, MissingFileCannotBeRead) {
  TempFolder folder;
  std::string read = "unchanged";
  EXPECT_FALSE(platform::ReadWholeFile(folder.Path("missing.ini"), read));
  EXPECT_FALSE(platform::WriteWholeFile(folder.Path("no-such-folder/x.ini"), "x"));
}

TEST(FilesTest, KindsOfPaths) {
  TempFolder folder;
  ASSERT_TRUE(platform::WriteWholeFile(folder.Path("file.txt"), "x"));
  EXPECT_EQ(platform::GetFileKind(folder.Path("file.txt")), platform::FileKind::File);
  ASSERT_TRUE(std::filesystem::create_directory(folder.Path("Html")));
  EXPECT_EQ(platform::GetFileKind(folder.Path("Html")), platform::FileKind::Directory);
  EXPECT_EQ(platform::GetFileKind(folder.Path("missing.txt")), platform::FileKind::Missing);
}

TEST(FilesTest, ProgramPathNamesTheRunningProgramFile) {
  const std::string path = platform::ProgramPath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(platform::GetFileKind(path), platform::FileKind::File);
  EXPECT_NE(path.find(platform::PathSeparator()), std::string::npos);
}

TEST(FilesTest, ResolvedPathRemovesParentStepsAndIsEmptyForMissingFiles) {
  TempFolder folder;
  ASSERT_TRUE(platform::WriteWholeFile(folder.Path("page.html"), "x"));
  const std::string separator(1, platform::PathSeparator());
  ASSERT_TRUE(std::filesystem::create_directory(folder.Path("Html")));
  const std::string roundabout = folder.Path("Html") + separator + "." + separator + ".." + separator + "page.html";
  const std::string resolved = platform::ResolvedPath(roundabout);
  EXPECT_EQ(resolved, platform::ResolvedPath(folder.Path("page.html")));
  EXPECT_EQ(resolved.find(".."), std::string::npos);
  EXPECT_EQ(platform::ResolvedPath(folder.Path("missing.html")), "");
}

TEST(FilesTest, InputFileReadsInPieces) {
  TempFolder folder;
  std::string contents;
  for (int i = 0; i < 10000; ++i) contents += static_cast<char>(i % 251);
  ASSERT_TRUE(platform::WriteWholeFile(folder.Path("data.bin"), contents));

  platform::InputFile file;
  ASSERT_TRUE(file.Open(folder.Path("data.bin")));
  EXPECT_EQ(file.Size(), 10000);
  std::string read;
  char buffer[4096];
  for (;;) {
    const long count = file.Read(buffer, sizeof buffer);
    ASSERT_GE(count, 0);
    if (count == 0) break;
    read.append(buffer, static_cast<std::size_t>(count));
  }
  EXPECT_EQ(read, contents);
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0);
}

TEST(FilesTest, InputFileRefusesMissingFilesAndFolders) {
  TempFolder folder;
  platform::InputFile file;
  EXPECT_FALSE(file.Open(folder.Path("missing.bin")));
  EXPECT_EQ(file.Size(), -1);
  ASSERT_TRUE(std::filesystem::create_directory(folder.Path("Html")));
  EXPECT_FALSE(file.Open(folder.Path("Html")));
}

}  // namespace
