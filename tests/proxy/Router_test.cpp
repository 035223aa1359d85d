#include "proxy/Router.h"

#include <gtest/gtest.h>

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

TEST(Routing, FirstMatchWins) {
  EXPECT_EQ(RoutePath("/", true), Route::RootRedirect);
  EXPECT_EQ(RoutePath("/status", true), Route::Status);
  EXPECT_EQ(RoutePath("/udp/", true), Route::Status);
  EXPECT_EQ(RoutePath("/html/a.png", true), Route::StaticFile);
  EXPECT_EQ(RoutePath("/html/a.png", false), Route::NotFound);
  EXPECT_EQ(RoutePath("/udp/239.0.0.1:1234", false), Route::Stream);
  EXPECT_EQ(RoutePath("/STATUS", true), Route::NotFound);
  EXPECT_EQ(RoutePath("/status/", true), Route::NotFound);
  EXPECT_EQ(RoutePath("/html", true), Route::NotFound);
  EXPECT_EQ(RoutePath("", true), Route::NotFound);
}

TEST(Routing, StreamTargets) {
  StreamTarget t = ParseStreamPath("/udp/239.0.0.1:1234");
  EXPECT_EQ(t.group, "239.0.0.1");
  EXPECT_EQ(t.portText, "1234");
  EXPECT_EQ(t.port, 1234);

  t = ParseStreamPath("/udp/239.0.0.1");
  EXPECT_EQ(t.group, "239.0.0.1");
  EXPECT_EQ(t.port, 1234);

  t = ParseStreamPath("/udp/239.1.1.1:5000/x");
  EXPECT_EQ(t.group, "239.1.1.1");
  EXPECT_EQ(t.portText, "5000");

  t = ParseStreamPath("/udp/:1234");
  EXPECT_EQ(t.group, "");

  t = ParseStreamPath("/udp/g:0080");
  EXPECT_EQ(t.portText, "80");
  t = ParseStreamPath("/udp/g:abc");
  EXPECT_EQ(t.portText, "0");
  t = ParseStreamPath("/udp/g:70000");
  EXPECT_EQ(t.portText, "70000");
  EXPECT_EQ(t.port, 70000 - 65536);
  t = ParseStreamPath("/udp/tv:5");
  EXPECT_EQ(t.group, "tv");
  EXPECT_EQ(t.port, 5);
}

TEST(Numbers, BackToDecimalText) {
  EXPECT_EQ(NormaliseNumberText("0080"), "80");
  EXPECT_EQ(NormaliseNumberText("5000 "), "5000");
  EXPECT_EQ(NormaliseNumberText(""), "0");
  EXPECT_EQ(NormaliseNumberText("-7"), "-7");
}

}  // namespace
