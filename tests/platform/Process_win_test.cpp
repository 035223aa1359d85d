#include "platform/Process.h"

#include <gtest/gtest.h>

namespace {

TEST(ProcessWinTest, HiddenRunsGiveTheExitCodeOrWhyTheyDidNotStart) {
  const platform::ProgramRun exited = platform::RunHiddenProgram("cmd.exe /c exit 3", 30000);
  EXPECT_EQ(exited.outcome, platform::ProgramRun::Outcome::Finished);
  EXPECT_EQ(exited.exitCode, 3u);
  const platform::ProgramRun missing = platform::RunHiddenProgram("\"corvane-no-such-program.exe\" /x", 30000);
  EXPECT_EQ(missing.outcome, platform::ProgramRun::Outcome::NotStarted);
  EXPECT_FALSE(missing.error.empty());
  EXPECT_FALSE(platform::StartProgram("corvane-no-such-program.exe", platform::ProgramWindow::Normal));
}

}  // namespace
