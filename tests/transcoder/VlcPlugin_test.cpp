#include "transcoder/VlcPlugin.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "transcoder/StandInPlayer.h"
#include "transcoder/TranscoderHost.h"
#include "transcoder/TranscoderRequest.h"
#include "transcoder/VlcPlayerRules.h"

namespace {

// No test here plays a multicast source without a receiving interface, and the interfaces named are
// documentation addresses that this machine does not have: the player's own membership then joins nowhere.
using PlayerTest = StandInPlayerTest;

// libvlc 1.0 clears its error record after every call: the calls without the clearing, which must follow each one.
std::vector<std::string> WithoutErrorClearing(const std::vector<std::string>& calls) {
  std::vector<std::string> result;
  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (calls[i] == "libvlc_exception_clear") continue;
    result.push_back(calls[i]);
    if (calls[i].rfind("libvlc_", 0) == 0) {
      EXPECT_TRUE(i + 1 < calls.size() && calls[i + 1] == "libvlc_exception_clear") << "not cleared: " << calls[i];
    }
  }
  return result;
}

// The calls of one start at levels 11 and 12: the previous player and media released, the new media with its
// options, a player for it with the volume and mute applied, and play. Objects are the stand-ins' labels.
std::vector<std::string> StartCalls(const std::string& previousPlayer, const std::string& previousMedia,
                                    const std::string& media, const std::string& player, const std::string& mrl,
                                    const std::vector<std::string>& options) {
  std::vector<std::string> calls = {"libvlc_media_player_stop " + previousPlayer,
                                    "libvlc_media_player_release " + previousPlayer};
  if (!previousMedia.empty()) calls.push_back("libvlc_media_release " + previousMedia);
  calls.push_back("libvlc_media_new_location i1 " + mrl);
  for (const std::string& option : options) calls.push_back("libvlc_media_add_option " + media + " " + option);
  calls.push_back("libvlc_media_player_new_from_media " + media);
  calls.push_back("libvlc_audio_set_volume " + player + " 40");
  calls.push_back("libvlc_audio_get_mute " + player);
  calls.push_back("libvlc_audio_set_mute " + player + " 0");
  calls.push_back("libvlc_media_player_play " + player);
  return calls;
}

std::vector<std::string> Joined(std::vector<std::string> first, const std::vector<std::string>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

// The transcoder's road, from creation to destruction, at the two generations that play media through players of
// their own: a multicast request, then a tuner request that inherits the options the first one left.
TEST_F(PlayerTest, TranscoderRoadAtLevelsElevenAndTwelve) {
  struct Row {
    const char* standIn;
    int level;
  };
  for (const Row row : {Row{"vlc3", 12}, Row{"media11", 11}}) {
    SCOPED_TRACE(row.standIn);
    Install(row.standIn);
    ASSERT_TRUE(platform::WriteWholeFile(config_, "[core]\nintf=dummy\n"));
    std::unique_ptr<TVLCPlugin> player = MakePlayer(config_);
    ASSERT_EQ(binding_->ApiLevel(), row.level);
    // libvlc 2 and later find their plugins themselves, keep quiet on the console and hand their messages over.
    const std::vector<std::string> creation =
        row.level == 12 ? std::vector<std::string>{"libvlc_new --config=" + config_ +
                                                       " --no-osd --no-media-library --no-video-title-show --quiet",
                                                   "libvlc_media_player_new i1", "libvlc_set_log_verbosity i1 2",
                                                   "libvlc_log_open i1", "libvlc_log_set i1"}
                        : std::vector<std::string>{"libvlc_new --plugin-path=" + vlc_ + "plugins --config=" + config_ +
                                                       " --no-osd --no-media-library --no-video-title-show",
                                                   "libvlc_media_player_new i1", "libvlc_set_log_verbosity i1 2",
                                                   "libvlc_log_open i1"};
    EXPECT_EQ(NewCalls(), creation);

    TranscoderStream stream = PlayTranscoderRequest(
        *player, SplitTranscoderRequest("239.1.2.3;1234;7782;192.0.2.10;"), "mux=ts,vcodec=mp2v", row.level);
    EXPECT_EQ(stream.activePort, 7782);
    const std::vector<std::string> multicastOptions = {
        ":ipv4=1", ":miface=192.0.2.10", ":miface-addr=192.0.2.10",
        ":sout=#transcode{vcodec=mp2v}:duplicate{dst=std{access=http,dst=:7782,mux=ts}}"};
    // The idle address first releases the player made at creation; the source follows with the options.
    std::vector<std::string> expected = Joined(StartCalls("p1", "", "m1", "p2", "???", {}),
                                               StartCalls("p2", "m1", "m2", "p3", "udp://@239.1.2.3:1234",
                                                          multicastOptions));
    // Level 12 asks for the version once, for the volume scale of 2.0.
    if (row.level == 12) expected.insert(expected.begin() + 4, "libvlc_get_version");
    EXPECT_EQ(NewCalls(), expected);
    EXPECT_EQ(player->GetCurrentMrl(), "udp://@239.1.2.3:1234");

    // "sout-all" was set after the first start, so it takes part from the next one on; the first request's
    // options stay but its output, which the idle address must not open again, and the tuner's are added.
    stream = PlayTranscoderRequest(*player, SplitTranscoderRequest("tv;7;7783;0.0.0.0;"), "", row.level);
    EXPECT_EQ(stream.mrl, "dshow://");
    std::vector<std::string> kept = {":ipv4=1", ":miface=192.0.2.10", ":miface-addr=192.0.2.10", ":sout-all=1"};
    std::vector<std::string> tuner =
        Joined(kept, {":dshow-size=720x576", ":dshow-chroma=YUY2", ":dshow-caching=200", ":dshow-tuner-input=2",
                      ":dshow-tuner-country=7", ":dshow-tuner-channel=7",
                      ":sout=#duplicate{dst=std{access=http,dst=:7783,mux=ts}}"});
    EXPECT_EQ(NewCalls(), Joined(StartCalls("p3", "m2", "m3", "p4", "???", kept),
                                 StartCalls("p4", "m3", "m4", "p5", "dshow://", tuner)));

    // Destruction closes the log and releases the instance; what libvlc wrote at its shutdown is undone.
    player.reset();
    EXPECT_EQ(NewCalls(), (std::vector<std::string>{"libvlc_log_close l1", "libvlc_release i1"}));
    EXPECT_EQ(Contents(config_), "[core]\nintf=dummy\n");
    ASSERT_TRUE(platform::DeleteFileAt(config_));
  }
}

// Volume, mute and the picture settings at level 12 reach the current player at once and every new one at its
// start. libvlc 2.0 takes the volume on a square-root scale.
TEST_F(PlayerTest, SettingsAtLevelTwelveReachThePlayerNowAndAtEveryStart) {
  Install("vlc20");
  // Without a configuration file named, the program's own path with ".Vlc.ini"; it did not exist before, so it
  // does not exist after either.
  const std::string config = DefaultVlcConfigFile(platform::ProgramPath());
  ASSERT_EQ(platform::GetFileKind(config), platform::FileKind::Missing);
  std::unique_ptr<TVLCPlugin> player = MakePlayer("");
  ASSERT_EQ(binding_->ApiLevel(), 12);
  const std::vector<std::string> creation = NewCalls();
  ASSERT_FALSE(creation.empty());
  EXPECT_EQ(creation[0],
            "libvlc_new --config=" + config + " --no-osd --no-media-library --no-video-title-show --quiet");

  player->SetVolume(40);
  player->SetMute(1);
  player->SetMute(-1);
  player->SetCrop("16:9");
  player->SetAspectRatio("4:3");
  player->SetDeinterlace("blend");
  player->SetOption("drawable", "77");  // given to the player at once, not kept as an option
  EXPECT_EQ(player->GetOption("drawable"), "");
  EXPECT_EQ(NewCalls(), (std::vector<std::string>{
                            "libvlc_get_version",
                            "libvlc_audio_set_volume p1 89",
                            "libvlc_audio_get_mute p1",
                            "libvlc_audio_set_mute p1 1",
                            "libvlc_audio_get_mute p1",
                            "libvlc_audio_set_mute p1 0",
                            "libvlc_video_set_crop_geometry p1 16:9",
                            "libvlc_video_set_aspect_ratio p1 4:3",
                            "libvlc_video_set_deinterlace p1 blend",
                            "libvlc_media_player_set_hwnd p1 77",
                        }));

  player->SetMute(1);
  player->SetVolume(200);
  player->SetCrop("auto");  // kept as it is, sent as "" which level 12 takes for automatic
  player->SetOption("deinterlace", "1");
  player->SetOption("deinterlace-mode", "yadif");
  player->SetOption("no-audio", "1");
  player->Play("C:\\Videos\\a.ts", 0);
  player->Stop();
  EXPECT_EQ(NewCalls(), (std::vector<std::string>{
                            "libvlc_audio_get_mute p1",
                            "libvlc_audio_set_mute p1 1",
                            "libvlc_audio_set_volume p1 200",
                            "libvlc_video_set_crop_geometry p1 ",
                            "libvlc_media_player_stop p1",
                            "libvlc_media_player_release p1",
                            "libvlc_media_new_path i1 C:\\Videos\\a.ts",
                            "libvlc_media_add_option m1 :crop=auto",
                            "libvlc_media_add_option m1 :deinterlace=1",
                            "libvlc_media_add_option m1 :deinterlace-mode=yadif",
                            "libvlc_media_add_option m1 :no-audio",
                            "libvlc_media_player_new_from_media m1",
                            "libvlc_media_player_set_hwnd p2 77",
                            "libvlc_audio_set_volume p2 200",
                            "libvlc_audio_get_mute p2",
                            "libvlc_audio_set_mute p2 1",
                            "libvlc_video_set_crop_geometry p2 ",
                            "libvlc_video_set_deinterlace p2 yadif",
                            "libvlc_media_player_play p2",
                            "libvlc_media_player_stop p2",
                        }));

  player.reset();
  EXPECT_EQ(NewCalls(), (std::vector<std::string>{"libvlc_log_close l1", "libvlc_release i1"}));
  EXPECT_EQ(platform::GetFileKind(config), platform::FileKind::Missing);
}

// libvlc 1.0 plays through the instance's playlist, takes volume and mute on the instance, changes crop and aspect
// ratio through the video output's variables, and has every error record cleared after each call.
TEST_F(PlayerTest, LevelNinePlaysThroughThePlaylist) {
  Install("exception10");
  std::unique_ptr<TVLCPlugin> player = MakePlayer(config_);
  ASSERT_EQ(binding_->ApiLevel(), 9);
  EXPECT_EQ(WithoutErrorClearing(NewCalls()),
            (std::vector<std::string>{"libvlc_new --plugin-path=" + vlc_ + "plugins --no-plugins-cache --config=" +
                                          config_ + " --no-osd --no-media-library",
                                      "libvlc_set_log_verbosity i1 2", "libvlc_log_open i1"}));

  player->SetOption("miface-addr", "192.0.2.10");
  player->SetOption("sout", "#std{access=http,url=\":8080\"}");
  player->Play("udp://@239.1.2.3:1234", 0);
  player->Play("udp://@239.1.2.4:1234", 0);
  player->SetVolume(50);
  player->SetMute(1);
  player->SetCrop("4:3");
  player->SetAspectRatio("16:9");
  const std::string options = " 2 :miface-addr=192.0.2.10 :sout=#std{access=http,dst=\":8080\"}";
  EXPECT_EQ(WithoutErrorClearing(NewCalls()),
            (std::vector<std::string>{
                "libvlc_playlist_get_media_player i1",  // nothing plays yet
                "libvlc_playlist_clear i1",
                "libvlc_playlist_add_extended i1 udp://@239.1.2.3:1234 udp://@239.1.2.3:1234" + options,
                "libvlc_playlist_play i1 5 0 null",
                "libvlc_playlist_get_media_player i1",
                "libvlc_media_player_stop p1",
                "libvlc_media_player_release p1",  // the reference the playlist handed out
                "libvlc_playlist_clear i1",
                "libvlc_playlist_add_extended i1 udp://@239.1.2.4:1234 udp://@239.1.2.4:1234" + options,
                "libvlc_playlist_play i1 5 0 null",
                "libvlc_audio_set_volume i1 50",
                "libvlc_audio_get_mute i1",
                "libvlc_audio_set_mute i1 1",
            }));
  EXPECT_EQ(NewCalls(true), (std::vector<std::string>{
                                "__vlc_object_find r1 -9 3",
                                "__var_Change v1 crop 0x22",
                                "__var_Change v1 crop 0x20 4:3 4:3",
                                "__var_Set v1 crop 4:3",
                                "__vlc_object_find r1 -9 3",
                                "__var_Change v1 aspect-ratio 0x22",
                                "__var_Change v1 aspect-ratio 0x20 16:9 16:9",
                                "__var_Set v1 aspect-ratio 16:9",
                            }));
  EXPECT_EQ(player->GetOption("crop"), "4:3");

  player.reset();
  EXPECT_EQ(WithoutErrorClearing(NewCalls()), (std::vector<std::string>{"libvlc_log_close l1", "libvlc_release i1"}));
  EXPECT_EQ(platform::GetFileKind(config_), platform::FileKind::Missing);
}

// The generation before libvlccore sets each option at once as a variable of its kind, and forgets the options
// once a media is added.
TEST_F(PlayerTest, OldestGenerationSetsVariablesAtOnce) {
  Install("classic", false);
  ASSERT_TRUE(platform::WriteWholeFile(config_, "before"));
  std::unique_ptr<TVLCPlugin> player = MakePlayer(config_);
  ASSERT_EQ(binding_->ApiLevel(), 8);
  EXPECT_EQ(NewCalls(), (std::vector<std::string>{
                            "VLC_Create",
                            "VLC_Init 1 " + vlc_ + " --no-plugins-cache --config=" + config_ + " --no-osd",
                            "vlc_current_object 1",
                        }));

  player->SetOption("dshow-caching", "200");
  player->SetOption("contrast", "1,5");
  player->SetOption("sout", "#std{access=http}");
  EXPECT_EQ(player->GetOption("sout"), "#std{access=http}");
  player->Play("http://192.0.2.1/a.ts", 0);
  EXPECT_EQ(player->GetOption("sout"), "");
  player->Stop();
  player->SetVolume(30);
  player->SetMute(0);
  EXPECT_EQ(player->GetVersionText(), "0.8.6");
  EXPECT_EQ(NewCalls(), (std::vector<std::string>{
                            "VLC_VariableSet 1 conf::dshow-caching 200",
                            "VLC_VariableSet 1 conf::contrast 1.5",
                            "VLC_VariableSet 1 conf::sout #std{access=http}",
                            "VLC_AddTarget 1 http://192.0.2.1/a.ts null 0 12 0",
                            "VLC_Stop 1",
                            "VLC_VolumeSet 1 30",
                            "VLC_VolumeMute 1",  // a toggle, whatever the mode
                            "VLC_Version",
                        }));

  player.reset();
  EXPECT_EQ(NewCalls(), (std::vector<std::string>{"VLC_CleanUp 1", "VLC_Destroy 1"}));
  EXPECT_EQ(Contents(config_), "before");
}

}  // namespace
