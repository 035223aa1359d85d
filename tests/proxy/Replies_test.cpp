#include "proxy/Replies.h"

#include <gtest/gtest.h>

#include "proxy/StaticSite.h"

namespace {

const char* const kSig = "corvane/2.7.4.0";

TEST(Replies, ByteForByte) {
  EXPECT_EQ(ReplyText(302, "http://h:81/status", kSig), "HTTP/1.0 302 OK \r\nLocation: http://h:81/status\r\n\r\n");
  EXPECT_EQ(ReplyText(400, "", kSig), "HTTP/1.0 400 Bad Request\r\n\r\n");
  EXPECT_EQ(ReplyText(404, "", kSig),
            "HTTP/1.0 404 Not Found\r\nContent-type: text/plain\r\nServer: corvane/2.7.4.0\r\n\r\n");
  EXPECT_EQ(ReplyText(500, "", kSig), "");
  EXPECT_EQ(ReplyText(200, "", kSig), StreamReplyHeader(kSig));
}

TEST(Replies, StreamHeader) {
  EXPECT_EQ(StreamReplyHeader(kSig),
            "HTTP/1.0 200 OK \r\n"
            "Pragma: no-cache\r\n"
            "Cache-control: no-cache\r\n"
            "Accept-Ranges: none\r\n"
            "Connection: close\r\n"
            "Content-Type: video/mpeg\r\n"
            "EXT:\r\n"
            "ContentFeatures.dlna.org: DLNA.ORG_PN=MPEG_TS_SD_EU_ISO;DLNA.ORG_OP=00;DLNA.ORG_CI=0;"
            "DLNA.ORG_FLAGS=61F00000000000000000000000000000\r\n"
            "TransferMode.dlna.org: Streaming\r\n"
            "Server: corvane/2.7.4.0\r\n"
            "\r\n");
}

TEST(Replies, StatusAndStaticHeaders) {
  EXPECT_EQ(StatusReplyText("b\r\na\r\n", kSig),
            "HTTP/1.0 200 OK \r\nContent-type: text/plain\r\nPragma: no-cache\r\nServer: corvane/2.7.4.0\r\n\r\n"
            "b\r\na\r\n");
  EXPECT_EQ(StaticFileHeader("text/html", 5000000000LL, kSig),
            "HTTP/1.0 200 OK \r\nPragma: no-cache\r\nCache-control: no-cache\r\nServer: corvane/2.7.4.0\r\n"
            "Accept-Ranges: none\r\nEXT:\r\nConnection: close\r\nContent-Type: text/html\r\n"
            "Content-Length: 5000000000\r\n\r\n");
}

}  // namespace
