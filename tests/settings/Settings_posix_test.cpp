#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "platform/Files.h"
#include "test_support/TempFolder.h"

namespace {

// A rewrite cut short part-way, as a full disk cuts it (here by a limit on the size of written files), leaves
// the file with what it held before.
TEST(SettingsFilePosix, AFailedWriteLeavesTheFileAsItWas) {
  TempFolder folder;
  const std::string file = folder.Path("corvane.ini");
  const ProxySettings stored{"10.0.0.1", "0.0.0.0", "9000", "1", "mux=ts"};
  ASSERT_TRUE(WriteSettingsFile(file, stored));

  rlimit previous{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  rlimit small = previous;
  small.rlim_cur = 8;
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead of ending the test
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = WriteSettingsFile(file, {"192.168.100.200", "127.0.0.1", "7781", "0", ""});
  setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, handler);

  EXPECT_FALSE(written);
  std::string contents;
  ASSERT_TRUE(platform::ReadWholeFile(file, contents));
  EXPECT_EQ(contents, SettingsText(stored));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path("")), {}), 1);  // nothing left beside
}

}  // namespace
