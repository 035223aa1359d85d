#include "proxy/Playlist.h"

#include <gtest/gtest.h>

namespace {

TEST(PlaylistTest, EveryMulticastEntryPointsAtTheProxyAndTheRestStays) {
  const std::string authority = "192.168.0.5:7781";
  const std::string playlist =
      "\xEF\xBB\xBF#EXTM3U url-tvg=\"http://epg.example/tv.xml\" tvg-shift=0\r\n"
      "#EXTINF:-1 tvg-id=\"one\" group-title=\"\xD0\x9D\xD0\xBE\xD0\xB2\",One\r\n"
      "udp://@239.0.0.1:1234\r\n"
      "#EXTINF:-1,Two\r\n"
      "udp://239.0.0.2:1234\r\n"
      "#EXTINF:-1,Three\n"
      "rtp://@239.0.0.3:5000\n"
      "#EXTINF:-1,Four\n"
      "  RTP://239.0.0.4:5000  \n"
      "#EXTGRP:source-specific\n"
      "rtp://10.1.1.1@232.0.0.5:5000\n"
      "udp://10.1.1.1@232.0.0.6:5000?fifo_size=100\n"
      "http://cdn.example/channel.m3u8\n"
      "#EXTINF:-1 catchup-source=\"udp://@239.9.9.9:1\",Radio\n"
      "udp://@\n"
      "rtp://@239.0.0.7:5000";
  const std::string expected =
      "\xEF\xBB\xBF#EXTM3U url-tvg=\"http://epg.example/tv.xml\" tvg-shift=0\r\n"
      "#EXTINF:-1 tvg-id=\"one\" group-title=\"\xD0\x9D\xD0\xBE\xD0\xB2\",One\r\n"
      "http://192.168.0.5:7781/udp/239.0.0.1:1234\r\n"
      "#EXTINF:-1,Two\r\n"
      "http://192.168.0.5:7781/udp/239.0.0.2:1234\r\n"
      "#EXTINF:-1,Three\n"
      "http://192.168.0.5:7781/rtp/239.0.0.3:5000\n"
      "#EXTINF:-1,Four\n"
      "  http://192.168.0.5:7781/rtp/239.0.0.4:5000  \n"
      "#EXTGRP:source-specific\n"
      "http://192.168.0.5:7781/rtp/10.1.1.1@232.0.0.5:5000\n"
      "http://192.168.0.5:7781/udp/10.1.1.1@232.0.0.6:5000?fifo_size=100\n"
      "http://cdn.example/channel.m3u8\n"
      "#EXTINF:-1 catchup-source=\"udp://@239.9.9.9:1\",Radio\n"
      "udp://@\n"
      "http://192.168.0.5:7781/rtp/239.0.0.7:5000";
  EXPECT_EQ(RewritePlaylist(playlist, authority), expected);
  EXPECT_EQ(RewritePlaylist("", authority), "");
  EXPECT_EQ(RewritePlaylist("\xEF\xBB\xBFudp://@239.0.0.1:1\r\n", "h:1"), "\xEF\xBB\xBFhttp://h:1/udp/239.0.0.1:1\r\n");
  // A code page's letters pass as they are.
  EXPECT_EQ(RewritePlaylist("#EXTINF:-1,\xCF\xE5\xF0\xE2\xFB\xE9\r\n", "h:1"), "#EXTINF:-1,\xCF\xE5\xF0\xE2\xFB\xE9\r\n");
}

TEST(PlaylistTest, TheFileLiesBesideTheProgram) {
  EXPECT_EQ(PlaylistFileFor("C:\\Proxy\\corvane.exe"), "C:\\Proxy\\corvane.m3u");
  EXPECT_EQ(PlaylistFileFor("/usr/lib/corvane/corvane"), "/usr/lib/corvane/corvane.m3u");
}

}  // namespace
