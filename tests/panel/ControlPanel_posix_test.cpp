// The control panel without a window (as on Linux): the switches and the printed states, with service
// operations that record what the panel asks of them.
#include "panel/ControlPanel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

#include "panel/StatusView.h"
#include "platform/Files.h"
#include "service/ServiceStatus.h"
#include "settings/Settings.h"
#include "startup/PanelWiring.h"

namespace {

using namespace platform;

class ControlPanelTest : public ::testing::Test {
 protected:
  // The switches save the settings file beside the program, which every test of this fixture shares; the test
  // runner starts each test in a process of its own, side by side, so they take turns through a lock file.
  void SetUp() override {
    lock_ = open((SettingsFile() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(lock_, 0);
    ASSERT_EQ(flock(lock_, LOCK_EX), 0);
    std::remove(SettingsFile().c_str());
  }
  void TearDown() override {
    std::remove(SettingsFile().c_str());
    if (lock_ >= 0) close(lock_);
  }

  // A service that moves through its states as the operations act on it, and a transcoder window.
  PanelOperations Recording() {
    PanelOperations operations;
    operations.service.query = [this] { return service_; };
    operations.service.mayChange = [this](const std::string& commandSwitch) {
      calls_.push_back("may " + commandSwitch);
      return mayChange_;
    };
    operations.service.install = [this] {
      calls_.push_back("install");
      service_ = {true, kServiceStopped};
      return installWorks_;
    };
    operations.service.remove = [this] {
      calls_.push_back("remove");
      if (removeRefused_) {
        PanelMessage("Can not obtain SCHandle, access denied");
        return RemoveOutcome::Failed;
      }
      const bool installed = service_.opened;
      service_ = {};
      return installed ? RemoveOutcome::Removed : RemoveOutcome::NotInstalled;
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
    operations.transcoder.find = [this](std::string& request) {
      request = transcoderRequest_;
      return transcoderRuns_;
    };
    operations.transcoder.close = [this] { calls_.push_back("close"); };
    operations.transcoder.refusal = [this] { return transcoderRefusal_; };
    return operations;
  }

  struct Output {
    std::string out;
    std::string errors;
  };

  int Run(std::vector<std::string> arguments, const PanelOperations& operations, Output* output = nullptr) {
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int code = RunControlPanel(PanelSwitchesOf(arguments), operations);
    Output printed{::testing::internal::GetCapturedStdout(), ::testing::internal::GetCapturedStderr()};
    if (output != nullptr) *output = printed;
    return code;
  }

  ServiceQuery service_;
  int lock_ = -1;
  bool mayChange_ = true;
  bool installWorks_ = true;
  bool removeRefused_ = false;
  bool transcoderRuns_ = false;
  std::string transcoderRequest_;
  std::string transcoderRefusal_;
  std::vector<std::string> calls_;
};

TEST_F(ControlPanelTest, InstallReplacesAnInstalledServiceSavesAndStartsIt) {
  service_ = {true, kServiceRunning};
  EXPECT_EQ(Run({"/INSTALL"}, Recording()), 0);
  EXPECT_EQ(calls_, (std::vector<std::string>{"may /install", "remove", "install", "start"}));
  std::string contents;
  ASSERT_TRUE(platform::ReadWholeFile(SettingsFile(), contents));
  EXPECT_EQ(contents.size(), 29u);  // the defaults, saved before the service reads them

  calls_.clear();
  service_ = {};
  EXPECT_EQ(Run({"/install", "/remove"}, Recording()), 0);
  EXPECT_EQ(calls_, (std::vector<std::string>{"may /install", "install", "start"}));
}

TEST_F(ControlPanelTest, ServiceSwitchesStopAtTheFirstFailedStepAndReportToThePrompt) {
  Output output;
  // Nothing to remove: noted on standard error, and done as far as an uninstall is concerned.
  EXPECT_EQ(Run({"/remove"}, Recording(), &output), 0);
  EXPECT_EQ(output.out, "");
  EXPECT_EQ(output.errors, "Service is not installed\n");
  service_ = {true, kServicePaused};
  EXPECT_EQ(Run({"/remove"}, Recording()), 0);
  EXPECT_EQ(calls_, (std::vector<std::string>{"may /remove", "remove", "may /remove", "remove"}));
  // A manager that refuses is a failure.
  removeRefused_ = true;
  EXPECT_EQ(Run({"/remove"}, Recording(), &output), 1);
  EXPECT_EQ(output.errors, "Can not obtain SCHandle, access denied\n");
  removeRefused_ = false;

  calls_.clear();
  mayChange_ = false;
  EXPECT_EQ(Run({"/install"}, Recording()), 1);
  EXPECT_EQ(Run({"/remove"}, Recording()), 1);
  EXPECT_EQ(calls_, (std::vector<std::string>{"may /install", "may /remove"}));
  EXPECT_FALSE(SettingsFileExists(SettingsFile()));  // nothing saved for a service that cannot come

  calls_.clear();
  mayChange_ = true;
  installWorks_ = false;
  EXPECT_EQ(Run({"/install"}, Recording()), 1);
  EXPECT_EQ(calls_, (std::vector<std::string>{"may /install", "install"}));
}

TEST_F(ControlPanelTest, InstallSavesBeforeItRemovesAnything) {
  // Settings the proxy could not use: nothing saved, and the installed service is left as it was.
  const std::string unusable = "0.0.0.0\r\n0.0.0.0\r\nport\r\n0\r\n\r\n";
  ASSERT_TRUE(platform::WriteWholeFile(SettingsFile(), unusable));
  service_ = {true, kServiceRunning};
  Output output;
  EXPECT_EQ(Run({"/install"}, Recording(), &output), 1);
  EXPECT_EQ(calls_, (std::vector<std::string>{"may /install"}));
  EXPECT_TRUE(service_.opened);
  EXPECT_NE(output.errors.find("not \"port\""), std::string::npos) << output.errors;
  std::string contents;
  ASSERT_TRUE(platform::ReadWholeFile(SettingsFile(), contents));
  EXPECT_EQ(contents, unusable);

  // What the proxy reads (port 8080, the list up to its empty entry) is saved as it is, with a word on how it
  // is read, and the service replaced.
  calls_.clear();
  const std::string odd = "10.0.0.1,,192.168.0.1\r\n0.0.0.0\r\n8080x\r\n0\r\n\r\n";
  ASSERT_TRUE(platform::WriteWholeFile(SettingsFile(), odd));
  EXPECT_EQ(Run({"/install"}, Recording(), &output), 0);
  EXPECT_EQ(calls_, (std::vector<std::string>{"may /install", "remove", "install", "start"}));
  EXPECT_EQ(output.errors,
            "The HTTP-Server port \"8080x\" is read as 8080. The multicast interface list \"10.0.0.1,,192.168.0.1\" "
            "has an empty entry: everything after it is ignored.\n");
  ASSERT_TRUE(platform::ReadWholeFile(SettingsFile(), contents));
  EXPECT_EQ(contents, odd);
}

TEST_F(ControlPanelTest, PrintedStatesComeFromTheOperations) {
  service_ = {true, kServicePaused};
  transcoderRuns_ = true;
  transcoderRequest_ = "239.1.2.3;1234;7782;0.0.0.0;";
  transcoderRefusal_ = "cannot find video encoder (module:any fourcc:nons)";
  Output output;
  EXPECT_EQ(Run({}, Recording(), &output), 0);
  // A refused profile is said on the transcoder's line, and the running transcoder comes with how to stop it.
  const std::string states =
      "\r\nApplication is not running\r\nСервис приостановлен\r\nКодируется поток udp://@239.1.2.3:1234 - profile "
      "refused\r\nTo stop the transcoder: corvane /transcoder /close\r\n";
  ASSERT_GE(output.out.size(), states.size());
  EXPECT_EQ(output.out.substr(output.out.size() - states.size()), states);
  EXPECT_EQ(output.out.rfind("Usage examples\r\n", 0), 0u);
  EXPECT_TRUE(calls_.empty());
}

}  // namespace
