#include "service/SystemdUnit.h"

#include <gtest/gtest.h>

#include "service/ServiceControl.h"

namespace {

using platform::SystemdUnitText;
using platform::UnitExecStart;

// The whole text is compared, and checked by systemd-analyze, in tests/e2e/test_service_linux.py.
TEST(SystemdUnitTest, UnitRunsTheQuotedProgramAsANotifyService) {
  const std::string unit = SystemdUnitText("Corvane", "/opt/my tv/corvane", "/service");
  for (const char* line :
       {"\nDescription=Corvane\n", "\nType=notify\n", "\nExecStart=\"/opt/my tv/corvane\" /service\n",
        "\nRestart=on-failure\n", "\nAmbientCapabilities=CAP_NET_BIND_SERVICE\n", "\nWantedBy=multi-user.target\n"}) {
    EXPECT_NE(unit.find(line), std::string::npos) << line;
  }
}

TEST(SystemdUnitTest, ImagePathComesBackFromTheUnit) {
  for (const std::string path : {"/opt/my tv/corvane", "/opt/100%/$HOME/a\\b/corvane", "/usr/bin/corvane"}) {
    const std::string unit = SystemdUnitText("Corvane", path, "/service");
    EXPECT_EQ(UnitExecStart(unit), "\"" + path + "\" /service");
    EXPECT_EQ(ImagePathOfCommandLine(UnitExecStart(unit)), path);
  }
  EXPECT_NE(SystemdUnitText("Corvane", "/opt/100%/corvane", "/service").find("ExecStart=\"/opt/100%%/corvane\""),
            std::string::npos);
  EXPECT_EQ(UnitExecStart("[Service]\nType=notify\n"), "");
}

TEST(SystemdUnitTest, PathsAUnitCannotCarryGiveNoUnit) {
  EXPECT_EQ(SystemdUnitText("Corvane", "/opt/a\nExecStartPre=/bin/sh/corvane", "/service"), "");
  EXPECT_EQ(SystemdUnitText("Corvane", "/opt/a\"b/corvane", "/service"), "");
  EXPECT_EQ(SystemdUnitText("Corvane\r", "/opt/corvane", "/service"), "");
}

}  // namespace
