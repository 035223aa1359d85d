#include "platform/Process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <stdlib.h>
#include <unistd.h>

#include "platform/Files.h"
#include "platform/Thread.h"

#include <unistd.h>

namespace {

TEST(ProcessPosixTest, InitialisedProcessIgnoresBrokenPipesAndKeepsCNumbers) {
  platform::InitialiseProcess();
  struct sigaction action {};
  ASSERT_EQ(sigaction(SIGPIPE, nullptr, &action), 0);
  EXPECT_EQ(action.sa_handler, SIG_IGN);
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C");
}

TEST(ProcessPosixTest, ErrorTextNamesTheError) {
  errno = ENOENT;
  EXPECT_EQ(platform::LastErrorText(), std::strerror(ENOENT));
  errno = 99999;
  EXPECT_FALSE(platform::LastErrorText().empty());
}

TEST(ProcessPosixTest, HiddenRunsGiveTheExitCodeAndEndAtTheirLimit) {
  const platform::ProgramRun exited = platform::RunHiddenProgram("exit 3", 10000);
  EXPECT_EQ(exited.outcome, platform::ProgramRun::Outcome::Finished);
  EXPECT_EQ(exited.exitCode, 3u);
  // The program is quoted as the panel quotes its own path.
  EXPECT_EQ(platform::RunHiddenProgram("\"/bin/true\" ignored", 10000).exitCode, 0u);
  EXPECT_EQ(platform::RunHiddenProgram("sleep 30", 100).outcome, platform::ProgramRun::Outcome::TimedOut);
}

TEST(ProcessPosixTest, StartedProgramRunsOnItsOwn) {
  char folder[] = "/tmp/corvane-start-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string marker = std::string(folder) + "/started";
  ASSERT_TRUE(platform::StartProgram("touch \"" + marker + "\"", platform::ProgramWindow::OwnConsole));
  for (int i = 0; i < 500 && platform::GetFileKind(marker) != platform::FileKind::File; ++i) {
    platform::SleepMilliseconds(10);
  }
  EXPECT_EQ(platform::GetFileKind(marker), platform::FileKind::File);
  std::remove(marker.c_str());
  rmdir(folder);
}

}  // namespace
