#include "platform/SystemdUnit.h"

#include <gtest/gtest.h>

#include "service/ServiceControl.h"

namespace {

using platform::SystemdUnitText;
using platform::UnitExecStart;

TEST(SystemdUnitTest, UnitRunsTheQuotedProgramAsANotifyService) {
  EXPECT_EQ(SystemdUnitText("Corvane", "/opt/my tv/corvane", "/service"),
            "[Unit]\n"
            "Description=Corvane\n"
            "Wants=network-online.target\n"
            "After=network-online.target\n"
            "\n"
            "[Service]\n"
            "Type=notify\n"
            "ExecStart=\"/opt/my tv/corvane\" /service\n"
            "Restart=on-failure\n"
            "RestartSec=5\n"
            "Nice=-10\n"
            "DynamicUser=yes\n"
            "AmbientCapabilities=CAP_NET_BIND_SERVICE\n"
            "CapabilityBoundingSet=CAP_NET_BIND_SERVICE\n"
            "NoNewPrivileges=yes\n"
            "ProtectSystem=strict\n"
            "ProtectHome=read-only\n"
            "PrivateTmp=yes\n"
            "PrivateDevices=yes\n"
            "ProtectKernelTunables=yes\n"
            "ProtectKernelModules=yes\n"
            "ProtectKernelLogs=yes\n"
            "ProtectControlGroups=yes\n"
            "ProtectClock=yes\n"
            "ProtectHostname=yes\n"
            "RestrictAddressFamilies=AF_INET AF_UNIX AF_NETLINK\n"
            "RestrictNamespaces=yes\n"
            "RestrictRealtime=yes\n"
            "RestrictSUIDSGID=yes\n"
            "LockPersonality=yes\n"
            "SystemCallArchitectures=native\n"
            "\n"
            "[Install]\n"
            "WantedBy=multi-user.target\n");
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
