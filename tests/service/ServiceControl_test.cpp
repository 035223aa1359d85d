#include "service/ServiceControl.h"

#include <gtest/gtest.h>

#include "base/ProcessValues.h"
#include "base/TextUtil.h"

namespace {

using namespace platform;

std::vector<std::string> shownMessages;
void KeepMessage(const std::string& text) { shownMessages.push_back(text); }

class ServiceControlTest : public ::testing::Test {
 protected:
  void SetUp() override { shownMessages.clear(); }
};

TEST_F(ServiceControlTest, ImagePathOfARegisteredCommandLine) {
  EXPECT_EQ(ImagePathOfCommandLine("\"C:\\Program Files\\Corvane\\corvane.exe\" /service"),
            "C:\\Program Files\\Corvane\\corvane.exe");
  EXPECT_EQ(ImagePathOfCommandLine("\"/opt/my tv/corvane\" /service"), "/opt/my tv/corvane");
  // Unquoted: the whole line, switch included, neither trimmed nor expanded.
  EXPECT_EQ(ImagePathOfCommandLine("C:\\Corvane\\corvane.exe /service"), "C:\\Corvane\\corvane.exe /service");
  EXPECT_EQ(ImagePathOfCommandLine("%SystemRoot%\\corvane.exe "), "%SystemRoot%\\corvane.exe ");
  // A quote with no quote-and-blank after it gives nothing.
  EXPECT_EQ(ImagePathOfCommandLine("\"C:\\Corvane\\corvane.exe\""), "");
  EXPECT_EQ(ImagePathOfCommandLine("\"C:\\Corvane\\corvane.exe /service"), "");
  EXPECT_EQ(ImagePathOfCommandLine("\""), "");
  EXPECT_EQ(ImagePathOfCommandLine(""), "");
}

TEST_F(ServiceControlTest, TheServiceIsRegisteredWithTheseValues) {
  const ServiceDefinition definition = ProxyServiceDefinition("/opt/corvane/corvane");
  EXPECT_EQ(definition.name, "corvane");
  EXPECT_EQ(definition.displayName, "Corvane");
  EXPECT_EQ(definition.desiredAccess, 0xF01FFu);
  EXPECT_EQ(definition.serviceType, 0x110u);
  EXPECT_EQ(definition.startType, 2u);
  EXPECT_EQ(definition.errorControl, 1u);
  EXPECT_EQ(definition.programPath, "/opt/corvane/corvane");
  EXPECT_EQ(definition.switches, "/service");
  EXPECT_EQ(definition.loadOrderGroup + definition.dependencies + definition.accountName + definition.password, "");
}

TEST_F(ServiceControlTest, MissingManagerHandleIsShownAndReleased) {
  ServiceControl control;
  EXPECT_TRUE(CheckHandles(control, KeepMessage));
  ASSERT_EQ(shownMessages.size(), 1u);
  EXPECT_TRUE(StartsWith(shownMessages[0], "Can not obtain SCHandle, ")) << shownMessages[0];
  EXPECT_GT(shownMessages[0].size(), std::string("Can not obtain SCHandle, ").size());
  EXPECT_FALSE(control.HasManager());
  EXPECT_FALSE(control.HasService());
  // A released object answers a query with zeros.
  EXPECT_EQ(control.Query().currentState, 0u);
}

TEST_F(ServiceControlTest, ServiceThatIsNotInstalledHasNoImagePath) {
  EXPECT_EQ(GetServiceImagePath("corvane-test-never-installed"), "");
}

}  // namespace
