#include "transcoder/TranscoderRequest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void ExpectFields(const std::string& text, const TranscoderRequest& expected) {
  const TranscoderRequest request = SplitTranscoderRequest(text);
  EXPECT_EQ(request.source, expected.source) << text;
  EXPECT_EQ(request.port, expected.port) << text;
  EXPECT_EQ(request.httpPort, expected.httpPort) << text;
  EXPECT_EQ(request.interfaceAddress, expected.interfaceAddress) << text;
}

TEST(SplitTranscoderRequest, FourFieldsEachEndedBySemicolon) {
  ExpectFields("239.1.2.3;1234;7782;192.168.0.10;", {"239.1.2.3", "1234", "7782", "192.168.0.10"});
  ExpectFields("tv;5;7782;0.0.0.0;", {"tv", "5", "7782", "0.0.0.0"});
  ExpectFields("239.1.2.3;1234;7782;192.168.0.10;extra;more", {"239.1.2.3", "1234", "7782", "192.168.0.10"});
  ExpectFields("239.1.2.3;;1;;", {"239.1.2.3", "", "1", ""});
  // A field without its ";" is empty, and so is every one after it.
  ExpectFields("239.1.2.3;1234;7782;192.168.0.10", {"239.1.2.3", "1234", "7782", ""});
  ExpectFields("239.1.2.3;1234", {"239.1.2.3", "", "", ""});
  ExpectFields("239.1.2.3", {"", "", "", ""});
  ExpectFields("", {"", "", "", ""});
  ExpectFields(";;;;", {"", "", "", ""});
}

TEST(JoinTranscoderRequest, IsTheInverseOfTheSplit) {
  const TranscoderRequest request{"239.0.0.1", "1234", "7782", "192.168.1.5"};
  EXPECT_EQ(JoinTranscoderRequest(request), "239.0.0.1;1234;7782;192.168.1.5;");
  EXPECT_EQ(JoinTranscoderRequest(SplitTranscoderRequest("a;b;c;d;e;")), "a;b;c;d;");
  EXPECT_EQ(JoinTranscoderRequest({"tv", "5", "1", ""}), "tv;5;1;;");
}

TEST(TranscoderInterface, LoopbackAndAnyNameNoInterface) {
  EXPECT_EQ(TranscoderInterface(SplitTranscoderRequest("g;1;2;192.168.0.10;")), "192.168.0.10");
  EXPECT_EQ(TranscoderInterface(SplitTranscoderRequest("g;1;2;0.0.0.0;")), "");
  EXPECT_EQ(TranscoderInterface(SplitTranscoderRequest("g;1;2;127.0.0.1;")), "");
  EXPECT_EQ(TranscoderInterface(SplitTranscoderRequest("g;1;2;0.0.0.0 ;")), "0.0.0.0 ");  // passed on unchanged
  EXPECT_EQ(TranscoderInterface(SplitTranscoderRequest("g;1;2;;")), "");
}

TEST(TranscoderSourceOptions, TunerCaptureOrMulticastInterface) {
  const VlcOptionList tuner = TranscoderSourceOptions(SplitTranscoderRequest("tv;42;7782;0.0.0.0;"), 12);
  EXPECT_EQ(tuner, (VlcOptionList{{"dshow-size", "720x576"},
                                  {"dshow-chroma", "YUY2"},
                                  {"dshow-caching", "200"},
                                  {"dshow-tuner-input", "2"},
                                  {"dshow-tuner-country", "7"},
                                  {"dshow-tuner-channel", "42"}}));
  const TranscoderRequest group = SplitTranscoderRequest("239.1.1.1;1234;7782;192.168.0.10;");
  EXPECT_EQ(TranscoderSourceOptions(group, 12),
            (VlcOptionList{{"ipv4", "1"}, {"miface", "192.168.0.10"}, {"miface-addr", "192.168.0.10"}}));
  EXPECT_EQ(TranscoderSourceOptions(group, 9),
            (VlcOptionList{{"ipv4", "1"}, {"miface", "192.168.0.10"}, {"miface-addr", "192.168.0.10"}}));
  EXPECT_EQ(TranscoderSourceOptions(group, 8), (VlcOptionList{{"ipv4", "1"}, {"miface-addr", "192.168.0.10"}}));
  // No interface: empty values, which remove an earlier request's interface options.
  EXPECT_EQ(TranscoderSourceOptions(SplitTranscoderRequest("239.1.1.1;1234;7782;127.0.0.1;"), 12),
            (VlcOptionList{{"ipv4", "1"}, {"miface", ""}, {"miface-addr", ""}}));
}

TEST(TranscoderSourceMrl, TunerOrMulticastGroup) {
  EXPECT_EQ(TranscoderSourceMrl(SplitTranscoderRequest("239.1.1.1;1234;7782;;")), "udp://@239.1.1.1:1234");
  EXPECT_EQ(TranscoderSourceMrl(SplitTranscoderRequest("tv;5;7782;;")), "dshow://");
  // The tuner's name is compared case-sensitively.
  const TranscoderRequest upper = SplitTranscoderRequest("TV;5;7782;0.0.0.0;");
  EXPECT_FALSE(IsTunerRequest(upper));
  EXPECT_EQ(TranscoderSourceMrl(upper), "udp://@TV:5");
  EXPECT_EQ(TranscoderSourceMrl(SplitTranscoderRequest("no fields")), "udp://@:");
}

TEST(TranscoderActivePort, DecimalValueOfTheHttpPort) {
  EXPECT_EQ(TranscoderActivePort(SplitTranscoderRequest("g;1;7782;;")), 7782);
  EXPECT_EQ(TranscoderActivePort(SplitTranscoderRequest("g;1;+81x;;")), 81);
  EXPECT_EQ(TranscoderActivePort(SplitTranscoderRequest("g;1;http;;")), 0);  // disables the idle check
  EXPECT_EQ(TranscoderActivePort(SplitTranscoderRequest("")), 0);
}

struct ChainRow {
  const char* profile;
  const char* chain;
};

TEST(TranscoderOutputChain, ProfilesOfThePresetList) {
  const ChainRow rows[] = {
      {"mux=ts", "#duplicate{dst=std{access=http,dst=:7782,mux=ts}}"},
      {"mux=ffmpeg{mux=flv},vcodec=flv1,vb=1000,scale=0.5,acodec=mp4a,ab=128,channels=2,samplerate=48000",
       "#transcode{vcodec=flv1,vb=1000,scale=0.5,acodec=mp4a,ab=128,channels=2,samplerate=48000}:"
       "duplicate{dst=std{access=http,dst=:7782,mux=ffmpeg{mux=flv}}}"},
      {"mux=ts,vcodec=mp2v,vb=2048,scale=0.5,acodec=mpga,ab=192,channels=2",
       "#transcode{vcodec=mp2v,vb=2048,scale=0.5,acodec=mpga,ab=192,channels=2}:"
       "duplicate{dst=std{access=http,dst=:7782,mux=ts}}"},
      // Without a "mux=" entry every player can read the stream: a transport stream.
      {"", "#duplicate{dst=std{access=http,dst=:7782,mux=ts}}"},
      {"vcodec=wmv2,vb=256", "#transcode{vcodec=wmv2,vb=256}:duplicate{dst=std{access=http,dst=:7782,mux=ts}}"},
  };
  for (const ChainRow& row : rows) EXPECT_EQ(TranscoderOutputChain(row.profile, "7782"), row.chain) << row.profile;
}

TEST(TranscoderOutputChain, EdgeCases) {
  // A mux entry at the end keeps the separator before it.
  EXPECT_EQ(TranscoderOutputChain("vcodec=mp2v,mux=ts", "7782"),
            "#transcode{vcodec=mp2v,}:duplicate{dst=std{access=http,dst=:7782,mux=ts}}");
  // In the middle it takes its following separator along.
  EXPECT_EQ(TranscoderOutputChain("vcodec=mp2v,mux=ts,vb=1024", "7782"),
            "#transcode{vcodec=mp2v,vb=1024}:duplicate{dst=std{access=http,dst=:7782,mux=ts}}");
  // Only the first "mux=" counts.
  EXPECT_EQ(TranscoderOutputChain("mux=ts,mux=ps", "1"), "#transcode{mux=ps}:duplicate{dst=std{access=http,dst=:1,mux=ts}}");
  EXPECT_EQ(TranscoderOutputChain("mux=", "1"), "#duplicate{dst=std{access=http,dst=:1,mux=}}");
  EXPECT_EQ(TranscoderOutputChain("mux=,vcodec=h264", "1"),
            "#transcode{vcodec=h264}:duplicate{dst=std{access=http,dst=:1,mux=}}");
  // The port is used as received, even when it is none.
  EXPECT_EQ(TranscoderOutputChain("mux=ts", ""), "#duplicate{dst=std{access=http,dst=:,mux=ts}}");
  EXPECT_EQ(TranscoderOutputChain("mux=ts", "x"), "#duplicate{dst=std{access=http,dst=:x,mux=ts}}");
  // A mux value is at most 256 characters long.
  const std::string longMux(300, 'm');
  EXPECT_EQ(TranscoderOutputChain("mux=" + longMux, "1"),
            "#transcode{" + std::string(43, 'm') + "}:duplicate{dst=std{access=http,dst=:1,mux=" +
                std::string(256, 'm') + "}}");
}

}  // namespace
