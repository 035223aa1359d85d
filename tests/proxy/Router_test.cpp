#include "proxy/Router.h"

#include <gtest/gtest.h>

#include "base/TextUtil.h"

namespace {

std::string PathOf(const std::string& requestLine) {
  return NormaliseRequestPath(ExtractRequestPath(requestLine));
}

TEST(RequestLine, PathBetweenMethodAndVersion) {
  EXPECT_EQ(ExtractRequestPath("GET /x HTTP/1.0\r"), "/x ");
  EXPECT_EQ(ExtractRequestPath("HEAD /x HTTP/1.1\r"), " /x ");
  EXPECT_EQ(PathOf("HEAD /x HTTP/1.1\r"), "/x");
  EXPECT_EQ(PathOf("GET /status HTTP/1.1\r"), "/status");
  // Not GET or HEAD, no "HTTP/1", or "HTTP/1" too early: no path.
  EXPECT_EQ(ExtractRequestPath("POST /udp/239.0.0.1:1234 HTTP/1.1\r"), "");
  EXPECT_EQ(ExtractRequestPath("get / HTTP/1.1\r"), "");
  EXPECT_EQ(ExtractRequestPath("GET /udp/239.0.0.1:1234\r"), "");
  EXPECT_EQ(ExtractRequestPath("GET HTTP/1.0\r"), "");
  EXPECT_EQ(ExtractRequestPath("GETxHTTP/1.0"), "");
  EXPECT_EQ(ExtractRequestPath(""), "");
  // "HTTP/1" anywhere later counts, even inside the path.
  EXPECT_EQ(PathOf("GET /aHTTP/1 HTTP/1.0\r"), "/a");
}

TEST(RequestLine, PathRewrites) {
  const std::string expected = "/udp/239.0.0.1:1234";
  EXPECT_EQ(PathOf("GET /udp/239.0.0.1:1234 HTTP/1.1\r"), expected);
  EXPECT_EQ(PathOf("GET /udp://@239.0.0.1:1234 HTTP/1.1\r"), expected);
  EXPECT_EQ(PathOf("GET /udp?239.0.0.1:1234 HTTP/1.1\r"), expected);
  EXPECT_EQ(PathOf("GET /udp/239.0.0.1%3A1234 HTTP/1.1\r"), expected);
  EXPECT_EQ(PathOf("GET /udp/239.0.0.1%3a1234 HTTP/1.1\r"), "/udp/239.0.0.1%3a1234");
  EXPECT_EQ(PathOf("GET /udp%3A//@239.0.0.1:1 HTTP/1.1\r"), "/udp/239.0.0.1:1");
  EXPECT_EQ(NormaliseRequestPath("\t /status\x01 "), "/status");
  EXPECT_EQ(NormaliseRequestPath("\xA0/x\xA0"), "\xA0/x\xA0");
}

RequestDecision Decide(const std::string& requestLine, bool staticFolder = true, bool transcoder = false,
                       const std::string& interfaces = "0.0.0.0") {
  RequestHead head;
  head.firstLine = requestLine + "\r";
  return DecideRequest(head, interfaces, transcoder, [staticFolder] { return staticFolder; });
}

RequestAction ActionOf(const std::string& requestLine, bool staticFolder = true) {
  return Decide(requestLine, staticFolder).action;
}

TEST(Decision, PathsFirstMatchWins) {
  EXPECT_EQ(ActionOf("GET / HTTP/1.0"), RequestAction::RootRedirect);
  EXPECT_EQ(ActionOf("GET /status HTTP/1.0"), RequestAction::StatusPage);
  EXPECT_EQ(ActionOf("GET /udp/ HTTP/1.0"), RequestAction::StatusPage);
  EXPECT_EQ(ActionOf("GET /status/transcoder HTTP/1.0"), RequestAction::TranscoderStatus);
  EXPECT_EQ(ActionOf("GET /html/a.png HTTP/1.0"), RequestAction::StaticFile);
  EXPECT_EQ(Decide("GET /html/a.png HTTP/1.0").path, "/html/a.png");
  EXPECT_EQ(ActionOf("GET /html/a.png HTTP/1.0", false), RequestAction::NotFound);
  EXPECT_EQ(ActionOf("GET /udp/239.0.0.1:1234 HTTP/1.0", false), RequestAction::Relay);
  EXPECT_EQ(ActionOf("GET /STATUS HTTP/1.0"), RequestAction::NotFound);
  EXPECT_EQ(ActionOf("GET /status/ HTTP/1.0"), RequestAction::NotFound);
  EXPECT_EQ(ActionOf("GET /html HTTP/1.0"), RequestAction::NotFound);
  EXPECT_EQ(ActionOf("GET \t HTTP/1.0"), RequestAction::NotFound);
  // HEAD takes the same table: only streams and path-less lines get the stream header alone.
  EXPECT_EQ(ActionOf("HEAD /status HTTP/1.0"), RequestAction::StatusPage);
  EXPECT_EQ(ActionOf("HEAD /nothing HTTP/1.0"), RequestAction::NotFound);
  EXPECT_EQ(ActionOf("HEAD /udp/239.0.0.1:1234 HTTP/1.0"), RequestAction::HeadReply);
  EXPECT_EQ(ActionOf("HEAD /udp/:1234 HTTP/1.0"), RequestAction::HeadReply);
  EXPECT_EQ(ActionOf("HEAD nonsense"), RequestAction::HeadReply);
}

TEST(Decision, TheStaticFolderIsLookedUpOnlyForItsPaths) {
  int lookups = 0;
  RequestHead head;
  const auto folder = [&lookups] {
    ++lookups;
    return true;
  };
  for (const char* line : {"GET / HTTP/1.0\r", "GET /status HTTP/1.0\r", "GET /udp/239.0.0.1:1 HTTP/1.0\r",
                           "GET /x HTTP/1.0\r", "POST /html/a HTTP/1.0\r"}) {
    head.firstLine = line;
    DecideRequest(head, "0.0.0.0", false, folder);
  }
  EXPECT_EQ(lookups, 0);
  head.firstLine = "GET /html/a HTTP/1.0\r";
  EXPECT_EQ(DecideRequest(head, "0.0.0.0", false, folder).action, RequestAction::StaticFile);
  EXPECT_EQ(lookups, 1);
}

TEST(Decision, MalformedRequestsGetTheBadRequestReply) {
  EXPECT_EQ(ActionOf("POST /udp/239.0.0.1:1234 HTTP/1.1"), RequestAction::BadRequest);
  EXPECT_EQ(ActionOf("GET /udp/239.0.0.1:1234"), RequestAction::BadRequest);
  EXPECT_EQ(ActionOf("GET /udp/:1234 HTTP/1.1"), RequestAction::BadRequest);
  EXPECT_EQ(ActionOf(""), RequestAction::BadRequest);
}

TEST(Decision, StreamGroupAndPort) {
  RequestDecision d = Decide("GET /udp/239.0.0.1:1234 HTTP/1.1");
  EXPECT_EQ(d.action, RequestAction::Relay);
  EXPECT_EQ(d.group, "239.0.0.1");
  EXPECT_EQ(d.groupPortText, "1234");
  EXPECT_EQ(d.groupPort, 1234);
  EXPECT_EQ(d.interfaceText, "0.0.0.0");

  d = Decide("GET /udp/239.0.0.1 HTTP/1.1");
  EXPECT_EQ(d.group, "239.0.0.1");
  EXPECT_EQ(d.groupPort, 1234);

  d = Decide("GET /udp://@239.1.1.1:5000/x HTTP/1.1");
  EXPECT_EQ(d.group, "239.1.1.1");
  EXPECT_EQ(d.groupPortText, "5000");
  EXPECT_EQ(d.groupPort, 5000);

  d = Decide("GET /udp/g:0080 HTTP/1.1");
  EXPECT_EQ(d.groupPortText, "80");
  EXPECT_EQ(d.groupPort, 80);
}

// A port that does not fit in 1 to 65535 is refused, not wrapped round to some other port.
TEST(Decision, GroupPortOutsideItsRangeIsABadRequest) {
  EXPECT_EQ(Decide("GET /udp/239.0.0.1:65535 HTTP/1.1").groupPort, 65535);
  EXPECT_EQ(ActionOf("GET /udp/239.0.0.1:1 HTTP/1.1"), RequestAction::Relay);
  for (const char* port : {"0", "65536", "70000", "-1", "abc", "99999999999"}) {
    SCOPED_TRACE(port);
    EXPECT_EQ(ActionOf(std::string("GET /udp/239.0.0.1:") + port + " HTTP/1.1"), RequestAction::BadRequest);
  }
  for (const char* channel : {"65536", "70000", "-1", "99999999999"}) {
    SCOPED_TRACE(channel);
    EXPECT_EQ(ActionOf(std::string("GET /udp/tv:") + channel + " HTTP/1.1"), RequestAction::BadRequest);
  }
  // The tuner's channel 0 is a channel (as is what reads as 0).
  const RequestDecision tuner = Decide("GET /udp/tv:0 HTTP/1.1");
  EXPECT_EQ(tuner.action, RequestAction::TranscoderHandOff);
  EXPECT_EQ(tuner.groupPortText, "0");
  EXPECT_EQ(ActionOf("GET /udp/tv:abc HTTP/1.1"), RequestAction::TranscoderHandOff);
  EXPECT_EQ(ActionOf("HEAD /udp/239.0.0.1:70000 HTTP/1.1"), RequestAction::HeadReply);
}

TEST(Decision, StreamInterfaceAndHandOff) {
  const std::string list = "10.0.0.1, 10.0.0.2@233.7.*.*";
  EXPECT_EQ(Decide("GET /udp/233.7.1.1:1 HTTP/1.1", true, false, list).interfaceText, "10.0.0.2");
  EXPECT_EQ(Decide("GET /udp/239.7.1.1:1 HTTP/1.1", true, false, list).interfaceText, "10.0.0.1");
  EXPECT_EQ(Decide("GET /udp/239.7.1.1:1 HTTP/1.1", true, false, " 1.2.3.4 ").interfaceText, " 1.2.3.4 ");

  RequestDecision d = Decide("GET /udp/239.7.1.1:1 HTTP/1.1", true, true, list);
  EXPECT_EQ(d.action, RequestAction::TranscoderHandOff);
  EXPECT_EQ(d.interfaceText, "10.0.0.1");
  d = Decide("GET /udp/tv:5 HTTP/1.1");
  EXPECT_EQ(d.action, RequestAction::TranscoderHandOff);
  EXPECT_EQ(d.group, "tv");
  EXPECT_EQ(d.groupPort, 5);
  EXPECT_EQ(Decide("GET /udp/TV:5 HTTP/1.1").action, RequestAction::Relay);
}

// "/rtp/" takes the spellings of "/udp/"; "source@group" under either takes one sender only.
TEST(Decision, RtpStreamsSourcesAndThePlaylist) {
  const std::string udp = "/udp/127.0.0.2@239.0.0.1:1234";
  for (const char* line : {"GET /rtp/239.0.0.1:5000 HTTP/1.1", "GET /rtp://@239.0.0.1:5000 HTTP/1.1",
                           "GET /rtp?239.0.0.1%3A5000 HTTP/1.1", "GET  /rtp/239.0.0.1:5000  HTTP/1.1"}) {
    SCOPED_TRACE(line);
    const RequestDecision d = Decide(line);
    EXPECT_EQ(d.action, RequestAction::Relay);
    EXPECT_EQ(d.kind, StreamKind::Rtp);
    EXPECT_EQ(d.group, "239.0.0.1");
    EXPECT_EQ(d.groupPort, 5000);
    EXPECT_EQ(d.source, "");
  }
  EXPECT_EQ(Decide("GET /udp/239.0.0.1:1 HTTP/1.1").kind, StreamKind::Udp);
  // Other paths keep their spelling: only a path that begins with them is rewritten.
  EXPECT_EQ(PathOf("GET /html/rtp?x HTTP/1.1\r"), "/html/rtp?x");
  EXPECT_EQ(ActionOf("GET /rtpx/239.0.0.1:1 HTTP/1.1"), RequestAction::NotFound);

  for (const std::string path : {udp, std::string("/rtp/127.0.0.2@239.0.0.1:1234")}) {
    SCOPED_TRACE(path);
    const RequestDecision d = Decide("GET " + path + " HTTP/1.1", true, false, "1.1.1.1, 2.2.2.2@239.*");
    EXPECT_EQ(d.action, RequestAction::Relay);
    EXPECT_EQ(d.source, "127.0.0.2");
    EXPECT_EQ(d.group, "239.0.0.1");
    EXPECT_EQ(d.interfaceText, "2.2.2.2");  // the masks look at the group alone
  }
  EXPECT_EQ(Decide("GET /udp/127.0.0.2@239.0.0.1:1 HTTP/1.1", true, true).group, "239.0.0.1");
  for (const char* source : {"", "host", "1.2.3", "1.2.3.256", "1.2.3.4.5", " 1.2.3.4"}) {
    SCOPED_TRACE(source);
    EXPECT_EQ(ActionOf(std::string("GET /udp/") + source + "@239.0.0.1:1 HTTP/1.1"), RequestAction::BadRequest);
    EXPECT_EQ(ActionOf(std::string("GET /rtp/") + source + "@239.0.0.1:1 HTTP/1.1"), RequestAction::BadRequest);
  }
  EXPECT_EQ(ActionOf("HEAD /rtp/239.0.0.1:1 HTTP/1.1"), RequestAction::HeadReply);
  EXPECT_EQ(ActionOf("GET /rtp/ HTTP/1.1"), RequestAction::BadRequest);

  EXPECT_EQ(ActionOf("GET /playlist.m3u HTTP/1.1"), RequestAction::Playlist);
  EXPECT_EQ(ActionOf("HEAD /playlist.m3u HTTP/1.1"), RequestAction::Playlist);
  EXPECT_EQ(ActionOf("GET /playlist.m3u8 HTTP/1.1"), RequestAction::NotFound);
}

TEST(Numbers, BackToDecimalText) {
  EXPECT_EQ(NormaliseNumberText("0080"), "80");
  EXPECT_EQ(NormaliseNumberText("5000 "), "5000");
  EXPECT_EQ(NormaliseNumberText(""), "0");
  EXPECT_EQ(NormaliseNumberText("-7"), "-7");
}

}  // namespace
