#include "panel/ModeDecisions.h"

#include <gtest/gtest.h>

namespace {

StatusView ServiceView(unsigned state) {
  StatusInputs inputs;
  inputs.serviceOpened = state != 0;
  inputs.serviceState = state;
  return NextStatusView(InitialStatusView(), inputs, PanelLanguage::English);
}

TEST(ModeDecisions, CommandLines) {
  EXPECT_EQ(UserModeCommandLine("C:\\Program Files\\Corvane\\corvane.exe", false),
            "\"C:\\Program Files\\Corvane\\corvane.exe\" /user /cons");
  EXPECT_EQ(UserModeCommandLine("C:\\p\\corvane.exe", true), "\"C:\\p\\corvane.exe\" /user");
  EXPECT_EQ(TranscoderCommandLine("C:\\p q\\corvane.exe"), "\"C:\\p q\\corvane.exe\" /transcoder");
}

TEST(ModeDecisions, ForeignService) {
  EXPECT_FALSE(IsForeignService("", "C:\\a\\corvane.exe"));
  EXPECT_FALSE(IsForeignService("c:\\A\\CORVANE.EXE", "C:\\a\\corvane.exe"));
  EXPECT_TRUE(IsForeignService("C:\\b\\corvane.exe", "C:\\a\\corvane.exe"));
  EXPECT_TRUE(IsForeignService("C:\\a\\corvane.exe ", "C:\\a\\corvane.exe"));
}

TEST(ModeDecisions, WhichSavesRestartTheService) {
  for (const unsigned running : {2u, 4u, 5u, 7u}) {
    EXPECT_TRUE(RestartsServiceAfterSave(ServiceView(running), false, false)) << running;
    EXPECT_FALSE(RestartsServiceAfterSave(ServiceView(running), true, false)) << running;
    EXPECT_FALSE(RestartsServiceAfterSave(ServiceView(running), false, true)) << running;
  }
  for (const unsigned notRunning : {0u, 1u, 3u, 6u}) {
    EXPECT_FALSE(RestartsServiceAfterSave(ServiceView(notRunning), false, false)) << notRunning;
  }
}

TEST(ModeDecisions, RestartWaitsForTheStop) {
  ServiceRestart restart;
  EXPECT_EQ(restart.AfterRefresh(ServiceView(1)), RestartStep::Idle);

  restart.Begin();
  EXPECT_EQ(restart.AfterRefresh(ServiceView(4)), RestartStep::Wait);
  EXPECT_EQ(restart.AfterRefresh(ServiceView(3)), RestartStep::Wait);
  EXPECT_EQ(restart.AfterRefresh(ServiceView(1)), RestartStep::Start);
  EXPECT_FALSE(restart.Pending());
  EXPECT_EQ(restart.AfterRefresh(ServiceView(1)), RestartStep::Idle);

  // Removed meanwhile: nothing left to start.
  restart.Begin();
  EXPECT_EQ(restart.AfterRefresh(ServiceView(0)), RestartStep::Drop);
  EXPECT_FALSE(restart.Pending());

  // Never stopping: the wait gives up once, after the limit.
  restart.Begin();
  for (int i = 1; i < kRestartRefreshLimit; ++i) ASSERT_EQ(restart.AfterRefresh(ServiceView(3)), RestartStep::Wait);
  EXPECT_EQ(restart.AfterRefresh(ServiceView(3)), RestartStep::GiveUp);
  EXPECT_EQ(restart.AfterRefresh(ServiceView(3)), RestartStep::Idle);
  EXPECT_NE(RestartGaveUpMessage(PanelLanguage::English).find("not restarted"), std::string::npos);
  EXPECT_NE(RestartGaveUpMessage(PanelLanguage::Russian).find("не был перезапущен"), std::string::npos);

  // A new restart starts counting afresh.
  restart.Begin();
  EXPECT_EQ(restart.AfterRefresh(ServiceView(3)), RestartStep::Wait);
  EXPECT_TRUE(restart.Pending());
}

}  // namespace
