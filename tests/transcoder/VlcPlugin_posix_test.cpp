#include "transcoder/VlcPlugin.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ChildProcess_posix.h"
#include "transcoder/StandInPlayer.h"

namespace {

// Exit codes of the child.
enum : int {
  kPassed = 0,
  kNotCreated = 10,
  kWrongWithInterface,
  kWrongWithoutInterface,
  kLeftAfterStop,
  kConfigurationGone,
};

constexpr const char* kGroup = "239.78.0.1";
constexpr const char* kMrl = "udp://@239.78.0.1:5701";

// The player's own membership of a multicast source, on a host with two cards beside the loopback (tun devices in
// a private network namespace of the child's).
class OwnMembershipTest : public StandInPlayerTest {
 protected:
  int PlayGroup(const std::set<std::string>& expectedWithInterface) {
    if (!test_support::EnterPrivateNetwork(true) || !test_support::AddPrivateInterface("cvplay0", "10.78.1.1") ||
        !test_support::AddPrivateInterface("cvplay1", "10.78.2.1")) {
      return test_support::kChildCannotRun;
    }
    TVLCPlugin player(0, config_, "", *binding_);
    if (player.GetState() == -1) return kNotCreated;
    player.SetOption("miface-addr", "10.78.2.1");
    player.Play(kMrl, 0);
    if (test_support::InterfacesJoined(kGroup) != expectedWithInterface) return kWrongWithInterface;
    // Without a receiving interface: every card but the loopback, at every level.
    player.SetOption("miface-addr", "");
    player.Play(kMrl, 0);
    if (test_support::InterfacesJoined(kGroup) != std::set<std::string>{"cvplay0", "cvplay1"}) {
      return kWrongWithoutInterface;
    }
    player.Stop();
    if (!test_support::InterfacesJoined(kGroup).empty()) return kLeftAfterStop;
    return kPassed;
  }
};

// With a receiving interface, level 12 joins on that card itself, while level 11 leaves it to libvlc's own
// interface option.
TEST_F(OwnMembershipTest, LevelTwelveJoinsOnTheInterfaceAndLevelElevenLeavesItToLibvlc) {
  struct Row {
    const char* standIn;
    std::set<std::string> withInterface;
  };
  for (const Row& row : {Row{"vlc3", {"cvplay1"}}, Row{"media11", {}}}) {
    Install(row.standIn);
    const int result = test_support::ExitCodeOfChild([&] { return PlayGroup(row.withInterface); });
    if (result == test_support::kChildCannotRun) GTEST_SKIP() << "no private network namespace with tun devices here";
    EXPECT_EQ(result, kPassed) << row.standIn;
  }
}

// A configuration file that is there but cannot be read is the user's all the same: the player's end keeps it.
// Root reads every file, so the player runs as another user, in a folder that lets him delete anything in it.
TEST_F(StandInPlayerTest, AConfigurationFileThatCannotBeReadIsKept) {
  Install("vlc3");
  ASSERT_TRUE(platform::WriteWholeFile(config_, "[core]\nvolume-step=12\n"));
  ASSERT_EQ(chmod(config_.c_str(), 0), 0);
  ASSERT_EQ(chmod(temp_.Path("").c_str(), 0777), 0);
  const int result = test_support::ExitCodeOfChild([&] {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return test_support::kChildCannotRun;
    {
      TVLCPlugin player(0, config_, "", *binding_);
      if (player.GetState() == -1) return static_cast<int>(kNotCreated);
    }
    return platform::GetFileKind(config_) == platform::FileKind::File ? static_cast<int>(kPassed)
                                                                        : static_cast<int>(kConfigurationGone);
  });
  if (result == test_support::kChildCannotRun) GTEST_SKIP() << "no other user to run as";
  EXPECT_EQ(result, kPassed);
  ASSERT_EQ(chmod(config_.c_str(), 0600), 0);
  EXPECT_EQ(Contents(config_), "[core]\nvolume-step=12\n");
}

}  // namespace
