#include "transcoder/VlcOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

// Sets an option the way the player does from level 9 on.
void Set(VlcOptionStore& store, const std::string& name, const std::string& value, int level = 12) {
  const VlcOptionChange change = PlanVlcOption(name, value, level, false);
  ASSERT_EQ(change.action, VlcOptionAction::kStore);
  store.Set(change.name, change.value);
}

TEST(VlcOptionStore, KeepsOneEntryPerNameInFirstSetOrder) {
  VlcOptionStore store;
  Set(store, "ipv4", "1");
  Set(store, "miface-addr", "192.168.0.10");
  Set(store, "sout", "#duplicate{dst=std{access=http,dst=:7782,mux=ts}}");
  Set(store, "miface-addr", "10.0.0.1");  // replaced in place
  EXPECT_EQ(store.Names(), (Texts{"conf::ipv4", "conf::miface-addr", "conf::sout"}));
  EXPECT_EQ(store.Entries(), (Texts{":ipv4=1", ":miface-addr=10.0.0.1",
                                    ":sout=#duplicate{dst=std{access=http,dst=:7782,mux=ts}}"}));
  EXPECT_EQ(store.Get("miface-addr"), "10.0.0.1");
  EXPECT_EQ(store.Get("conf::miface-addr"), "10.0.0.1");  // with or without the prefix
  EXPECT_EQ(store.Get("Miface-addr"), "");                 // names are compared case-sensitively
  EXPECT_EQ(store.Get("miface"), "");

  // An empty value removes the option, so a request without an interface leaves none behind.
  Set(store, "miface-addr", "");
  EXPECT_EQ(store.Names(), (Texts{"conf::ipv4", "conf::sout"}));
  EXPECT_EQ(store.Get("miface-addr"), "");
  Set(store, "miface", "");  // removing what is not there changes nothing
  EXPECT_EQ(store.Entries().size(), 2u);
  store.Clear();
  EXPECT_TRUE(store.Names().empty() && store.Entries().empty());
}

TEST(VlcOptionStore, ZeroMeansNotSetExceptForPictureSettings) {
  VlcOptionStore store;
  Set(store, "deinterlace", "1");
  Set(store, "deinterlace", "0");
  EXPECT_EQ(store.Get("deinterlace"), "");
  EXPECT_TRUE(store.Entries().empty());
  Set(store, "dshow-tuner-channel", "0");  // channel 0 opens the tuner without a channel option
  EXPECT_TRUE(store.Entries().empty());
  for (const char* picture : {"contrast", "brightness", "saturation", "gamma"}) Set(store, picture, "0");
  EXPECT_EQ(store.Entries(), (Texts{":contrast=0", ":brightness=0", ":saturation=0", ":gamma=0"}));
  Set(store, "dshow-tuner-channel", "00");  // only the exact text "0" counts
  EXPECT_EQ(store.Get("dshow-tuner-channel"), "00");
}

TEST(VlcOptionStore, SpecialNamesAreRewritten) {
  VlcOptionStore store;
  Set(store, "sout", "#std{access=http,url=\":8080\"},x,url=\"y\"");
  EXPECT_EQ(store.Get("sout"), "#std{access=http,dst=\":8080\"},x,dst=\"y\"");
  Set(store, "timeshift-granularity", "50");
  EXPECT_EQ(store.Entries().back(), ":input-timeshift-granularity=52428800");
  Set(store, "timeshift-granularity", "4096");  // beyond 32 bits
  EXPECT_EQ(store.Get("input-timeshift-granularity"), "4294967296");
  Set(store, "timeshift-dir", "C:\\Temp");
  EXPECT_EQ(store.Get("input-timeshift-path"), "C:\\Temp");
  EXPECT_EQ(store.Get("timeshift-dir"), "");
  Set(store, "timeshift-granularity", "none");  // no number: 0 bytes, which removes it
  EXPECT_EQ(store.Get("input-timeshift-granularity"), "");
}

TEST(VlcOptionStore, MediaOptionsDropTheValueOfNoSwitches) {
  VlcOptionStore store;
  Set(store, "no-audio", "1");
  Set(store, "sout-all", "1");
  Set(store, "no-video-title-show", "yes=really");
  EXPECT_EQ(store.Get("no-audio"), "1");
  EXPECT_EQ(store.Entries().front(), ":no-audio=1");
  EXPECT_EQ(store.MediaOptions(), (Texts{":no-audio", ":sout-all=1", ":no-video-title-show"}));
}

TEST(VlcOptionStore, ValuesReadBackAtMost255Characters) {
  VlcOptionStore store;
  const std::string chain(300, 'x');
  Set(store, "sout", chain);
  EXPECT_EQ(store.Get("sout"), chain.substr(0, 255));
  EXPECT_EQ(store.MediaOptions().front(), ":sout=" + chain);  // the media still gets all of it
  Set(store, "equals", "a=b");
  EXPECT_EQ(store.Get("equals"), "a=b");
}

TEST(PlanVlcOption, VideoWindowActsAtOnceWhereItCan) {
  EXPECT_EQ(PlanVlcOption("drawable", "1234", 9, false).action, VlcOptionAction::kSetParentWindow);
  EXPECT_EQ(PlanVlcOption("drawable", "1234", 11, true).action, VlcOptionAction::kSetPlayerWindow);
  EXPECT_EQ(PlanVlcOption("conf::drawable", "1234", 12, true).action, VlcOptionAction::kSetPlayerWindow);
  const VlcOptionChange stored = PlanVlcOption("drawable", "1234", 12, false);  // no player yet
  EXPECT_EQ(stored.action, VlcOptionAction::kStore);
  EXPECT_EQ(stored.name, "conf::drawable");
  EXPECT_EQ(stored.value, "1234");
  EXPECT_EQ(PlanVlcOption("sout", "x", 9, false).action, VlcOptionAction::kStore);
}

TEST(VlcOptionStore, ClassicLevelAddsAndRemovesButNeverReplaces) {
  VlcOptionStore store;
  store.SetClassic("volume", "40");
  store.SetClassic("volume", "80");
  EXPECT_EQ(store.Get("volume"), "40");
  store.SetClassic("deinterlace", "0");  // "0" is a value here
  EXPECT_EQ(store.Get("deinterlace"), "0");
  store.SetClassic("volume", "");
  EXPECT_EQ(store.Names(), Texts{"conf::deinterlace"});
  store.SetClassic("missing", "");
  EXPECT_EQ(store.Names().size(), 1u);
}

TEST(ClassicVlcVariable, KindFollowsTheNameAndTheValue) {
  const VlcClassicVariable contrast = ClassicVlcVariable("contrast", "1,5");
  EXPECT_EQ(contrast.name, "conf::contrast");
  EXPECT_EQ(contrast.kind, VlcClassicVariable::Kind::kFloat);
  EXPECT_DOUBLE_EQ(contrast.number, 1.5);
  EXPECT_DOUBLE_EQ(ClassicVlcVariable("gamma", "0.25").number, 0.25);
  EXPECT_DOUBLE_EQ(ClassicVlcVariable("brightness", "bright").number, 0);  // not a number: 0, no failure
  EXPECT_EQ(ClassicVlcVariable("saturation", "2").kind, VlcClassicVariable::Kind::kFloat);

  const VlcClassicVariable window = ClassicVlcVariable("drawable", "65552");
  EXPECT_EQ(window.name, "drawable");
  EXPECT_EQ(window.kind, VlcClassicVariable::Kind::kInteger);
  EXPECT_EQ(window.integer, 65552);

  EXPECT_EQ(ClassicVlcVariable("sout", "#std{}").kind, VlcClassicVariable::Kind::kText);
  EXPECT_EQ(ClassicVlcVariable("sout", "#std{}").text, "#std{}");
  EXPECT_EQ(ClassicVlcVariable("volume", "-5").kind, VlcClassicVariable::Kind::kText);  // digits only
  EXPECT_EQ(ClassicVlcVariable("volume", "").kind, VlcClassicVariable::Kind::kText);
}

TEST(VlcOptionName, PrefixesOnlyBareNames) {
  EXPECT_EQ(VlcOptionName("sout"), "conf::sout");
  EXPECT_EQ(VlcOptionName("conf::sout"), "conf::sout");
  EXPECT_TRUE(IsVlcPictureOption("conf::gamma"));
  EXPECT_FALSE(IsVlcPictureOption("gamma"));
  EXPECT_FALSE(IsVlcPictureOption("conf::hue"));
}

}  // namespace
