#include "platform/Shell.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

#include "platform/Files.h"
#include "test_support/TempFolder.h"

namespace {

// Puts a stand-in xdg-open first on PATH that writes its arguments, one a line, to a file.
class FakeOpener : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* path = std::getenv("PATH");
    savedPath_ = path != nullptr ? path : "";
    const std::string script = "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + folder_.Path("args.tmp") + "'\nmv '" +
                               folder_.Path("args.tmp") + "' '" + Output() + "'\n";
    ASSERT_TRUE(platform::WriteWholeFile(folder_.Path("xdg-open"), script));
    ASSERT_EQ(chmod(folder_.Path("xdg-open").c_str(), 0700), 0);
    setenv("PATH", (std::filesystem::path(folder_.Path("xdg-open")).parent_path().string() + ":" + savedPath_).c_str(), 1);
  }
  void TearDown() override { setenv("PATH", savedPath_.c_str(), 1); }

  std::string Output() const { return folder_.Path("args.txt"); }

  // The opener's arguments, once it has run; empty after a few seconds without.
  std::string WaitForArguments() const {
    std::string arguments;
    for (int i = 0; i < 500; ++i) {
      if (platform::ReadWholeFile(Output(), arguments)) return arguments;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::string();
  }

  // True once this process has no child left, finished or not; never reaps one itself.
  static bool NoChildLeft() {
    for (int i = 0; i < 500; ++i) {
      siginfo_t info{};
      if (waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) != 0 && errno == ECHILD) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  TempFolder folder_;
  std::string savedPath_;
};

TEST_F(FakeOpener, OpensTheTargetWithParametersAsSeparateArguments) {
  platform::ShellOpen(0, "http://127.0.0.1:81/status", "--one  two");
  EXPECT_EQ(WaitForArguments(), "http://127.0.0.1:81/status\n--one\ntwo\n");
  EXPECT_TRUE(NoChildLeft()) << "the opener was left as a zombie";
}

TEST_F(FakeOpener, EmptyParametersAddNoArgument) {
  platform::ShellOpen(0, "/tmp/help page.html", "");
  EXPECT_EQ(WaitForArguments(), "/tmp/help page.html\n");
  EXPECT_TRUE(NoChildLeft());
}

}  // namespace
