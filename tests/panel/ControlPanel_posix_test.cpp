// The control panel without a window (as on Linux): the switches and the printed states, with service
// operations that record what the panel asks of them.
#include "panel/ControlPanel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "startup/Settings.h"
#include "startup/Switches.h"

namespace {

class ControlPanelTest : public ::testing::Test {
 protected:
  void SetUp() override { std::remove(SettingsFile().c_str()); }
  void TearDown() override {
    std::remove(SettingsFile().c_str());
    SetProcessArguments({});
  }

  // A service that moves through its states as the operations act on it.
  PanelOperations Recording() {
    PanelOperations operations;
    operations.service.query = [this] { return service_; };
    operations.service.install = [this] {
      calls_.push_back("install");
      service_ = {true, kServiceStopped};
      return true;
    };
    operations.service.remove = [this] {
      calls_.push_back("remove");
      service_ = {};
      return true;
    };
    operations.service.start = [this] {
      calls_.push_back("start");
      service_ = {true, kServiceRunning};
      return true;
    };
    operations.service.stop = [this] {
      calls_.push_back("stop");
      service_ = {true, kServiceStopped};
    };
    operations.service.imagePath = [] { return std::string(); };
    return operations;
  }

  int Run(std::vector<std::string> arguments, const PanelOperations& operations, std::string* output = nullptr) {
    SetProcessArguments(std::move(arguments));
    ::testing::internal::CaptureStdout();
    const int code = RunControlPanel(operations);
    const std::string printed = ::testing::internal::GetCapturedStdout();
    if (output != nullptr) *output = printed;
    return code;
  }

  ServiceQuery service_;
  std::vector<std::string> calls_;
};

TEST_F(ControlPanelTest, InstallReplacesAnInstalledServiceSavesAndStartsIt) {
  service_ = {true, kServiceRunning};
  EXPECT_EQ(Run({"/INSTALL"}, Recording()), 0);
  EXPECT_EQ(calls_, (std::vector<std::string>{"remove", "install", "start"}));
  std::string contents;
  ASSERT_TRUE(platform::ReadWholeFile(SettingsFile(), contents));
  EXPECT_EQ(contents.size(), 29u);  // the defaults, saved before the service reads them

  calls_.clear();
  service_ = {};
  EXPECT_EQ(Run({"/install"}, Recording()), 0);
  EXPECT_EQ(calls_, (std::vector<std::string>{"install", "start"}));
}

TEST_F(ControlPanelTest, RemoveActsOnlyOnAnInstalledService) {
  EXPECT_EQ(Run({"/remove"}, Recording()), 0);
  EXPECT_TRUE(calls_.empty());
  service_ = {true, kServicePaused};
  EXPECT_EQ(Run({"/remove"}, Recording()), 0);
  EXPECT_EQ(calls_, (std::vector<std::string>{"remove"}));
}

TEST_F(ControlPanelTest, WithoutServiceOperationsTheSwitchesSaySoAndFail) {
  std::string output;
  EXPECT_EQ(Run({"/install"}, PanelOperations{}, &output), 2);
  EXPECT_EQ(output, "Service control is not available\r\n");
  EXPECT_EQ(Run({"/remove"}, PanelOperations{}, &output), 2);
  EXPECT_EQ(output, "Service control is not available\r\n");
  EXPECT_FALSE(SettingsFileExists(SettingsFile()));  // nothing saved for a service that cannot come
}

TEST_F(ControlPanelTest, PrintedStatesComeFromTheOperations) {
  service_ = {true, kServicePaused};
  std::string output;
  EXPECT_EQ(Run({}, Recording(), &output), 0);
  const std::string states = "\r\nApplication is not running\r\nСервис приостановлен\r\nTranscoder control is not available\r\n";
  ASSERT_GE(output.size(), states.size());
  EXPECT_EQ(output.substr(output.size() - states.size()), states);
  EXPECT_EQ(output.rfind("Usage examples\r\n", 0), 0u);
  EXPECT_TRUE(calls_.empty());
}

}  // namespace
