#include "startup/Switches.h"

#include <gtest/gtest.h>

#include "startup/StartupValues.h"

namespace {

using Args = std::vector<std::string>;

TEST(Switches, WholeArgumentAsciiCaseFolded) {
  EXPECT_TRUE(HasSwitch(Args{"/USER"}, "/user"));
  EXPECT_TRUE(HasSwitch(Args{"x", "/User"}, "/user"));
  EXPECT_FALSE(HasSwitch(Args{"-user"}, "/user"));
  EXPECT_FALSE(HasSwitch(Args{"/users"}, "/user"));
  EXPECT_FALSE(HasSwitch(Args{"/use"}, "/user"));
  EXPECT_FALSE(HasSwitch(Args{"/user=1"}, "/user"));
  // Only ASCII letters fold: bytes above 127 compare exactly.
  EXPECT_FALSE(HasSwitch(Args{"/\xC0"}, "/\xE0"));
}

TEST(Switches, RunModePrecedence) {
  EXPECT_EQ(SelectRunMode(Args{}), RunMode::ControlPanel);
  EXPECT_EQ(SelectRunMode(Args{"/cons"}), RunMode::ControlPanel);
  EXPECT_EQ(SelectRunMode(Args{"-user"}), RunMode::ControlPanel);
  EXPECT_EQ(SelectRunMode(Args{"/USER"}), RunMode::User);
  EXPECT_EQ(SelectRunMode(Args{"/user", "/service"}), RunMode::Service);
  EXPECT_EQ(SelectRunMode(Args{"/service", "/transcoder", "/user"}), RunMode::Transcoder);
}

TEST(Switches, ConsoleOnlyWithoutService) {
  EXPECT_TRUE(WantsConsole(Args{"/user", "/cons"}));
  EXPECT_FALSE(WantsConsole(Args{"/user"}));
  EXPECT_FALSE(WantsConsole(Args{"/service", "/cons"}));
  // The proxy runner asks about the process's own arguments.
  SetProcessArguments({"/user", "/CONS"});
  EXPECT_TRUE(WantsConsole());
  SetProcessArguments({"/cons", "/service"});
  EXPECT_FALSE(WantsConsole());
  SetProcessArguments({});
}

TEST(StartupValues, SignatureAndInstanceId) {
  EXPECT_EQ(MakeServerSignature("2.7.4.0"), "corvane/2.7.4.0");
  EXPECT_EQ(InstanceMutexName("0123"), "corvane_mutex_0123");
  // Copies in one folder share the id whatever the letter case of the path; other folders differ.
  const std::string id = InstanceIdFor("C:\\Proxy\\Corvane.exe");
  EXPECT_EQ(id.size(), 32u);
  EXPECT_EQ(id, InstanceIdFor("c:\\proxy\\corvane.exe"));
  EXPECT_NE(id, InstanceIdFor("c:\\other\\corvane.exe"));
}

}  // namespace
