#include "transcoder/TranscoderLog.h"

#include <gtest/gtest.h>

#include <string>

#include "transcoder/TranscoderRequest.h"

namespace {

std::string Line(const std::string& message) { return "08.12.2026 03:40:00 TRANSCODER message : " + message + "\r\n"; }

TEST(TranscoderLog, AFileThatOutgrowsItsLimitKeepsItsNewestWholeLines) {
  const std::string text = Line("one") + Line("two") + Line("three");
  EXPECT_EQ(TrimmedTranscoderLog(text, text.size()), text);
  // Half of the limit from the end falls inside "two": the line is dropped whole.
  EXPECT_EQ(TrimmedTranscoderLog(text, 2 * (Line("three").size() + 10)), Line("three"));
}

TEST(TranscoderLog, ErrorsOfTheOutputChainRefuseTheProfile) {
  struct Row {
    int level;
    const char* module;
    const char* text;
    bool refuses;
  };
  const Row rows[] = {
      {4, "stream_out_transcode", "cannot find video encoder (module:any fourcc:nons)", true},
      {4, "stream_out_standard", "no suitable sout mux module for `http/nosuchmuxer://:7782'", true},
      {4, "main", "stream chain failed for `duplicate{dst=std{access=http,dst=:7782,mux=x}}'", true},
      {3, "stream_out_transcode", "a warning only", false},
      {4, "vlcpulse", "PulseAudio server connection failure: Connection refused", false},
      {4, "main", "VLC is unable to open the MRL '???'. Check the log for details.", false},
  };
  for (const Row& row : rows) EXPECT_EQ(RefusesProfile(row.level, row.module, row.text), row.refuses) << row.text;
}

TEST(TranscoderLog, TheRefusalOfTheLatestRequestOnly) {
  const std::string refused = Line("Request 239.1.2.3;1234;7782;;") +
                              Line(std::string(kProfileRefusedText) + "cannot find video encoder") +
                              Line(std::string(kProfileRefusedText) + "cannot create video chain");
  EXPECT_EQ(LatestProfileRefusal(refused), "cannot find video encoder");
  // Asked again for the same stream, it stays refused; a new request starts clean.
  EXPECT_EQ(LatestProfileRefusal(refused + Line("Same stream asked for again, left running: x")),
            "cannot find video encoder");
  EXPECT_EQ(LatestProfileRefusal(refused + Line("Request 239.1.2.4;1234;7782;;")), "");
  EXPECT_EQ(LatestProfileRefusal(""), "");
}

TEST(TranscoderStreamIdentity, TheSameChannelProfileAndPortAreOneStream) {
  const TranscoderRequest first = SplitTranscoderRequest("239.1.2.3;1234;7782;0.0.0.0;");
  const std::string identity = TranscoderStreamIdentity(first, "mux=ts");
  // "0.0.0.0", "127.0.0.1" and nothing all name no particular interface.
  EXPECT_EQ(TranscoderStreamIdentity(SplitTranscoderRequest("239.1.2.3;1234;7782;127.0.0.1;"), "mux=ts"), identity);
  EXPECT_EQ(TranscoderStreamIdentity(SplitTranscoderRequest("239.1.2.3;1234;7782;;"), "mux=ts"), identity);
  for (const char* other : {"239.1.2.4;1234;7782;;", "239.1.2.3;1235;7782;;", "239.1.2.3;1234;7783;;",
                            "239.1.2.3;1234;7782;192.0.2.1;"}) {
    EXPECT_NE(TranscoderStreamIdentity(SplitTranscoderRequest(other), "mux=ts"), identity) << other;
  }
  EXPECT_NE(TranscoderStreamIdentity(first, "mux=ts,vcodec=mp2v"), identity);
  EXPECT_TRUE(ProfileNamesMux("vcodec=mp2v,mux=ts"));
  EXPECT_FALSE(ProfileNamesMux("vcodec=mp2v"));
}

}  // namespace
