#include "proxy/StaticSite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

TEST(StaticSite, FolderBesideTheProgram) {
  EXPECT_EQ(StaticFolderFor("C:\\Proxy\\proxy.exe"), "C:\\Proxy\\proxy.Html");
  EXPECT_EQ(StaticFolderFor("/opt/corvane/corvane"), "/opt/corvane/corvane.Html");
}

TEST(StaticSite, PathMapping) {
  EXPECT_EQ(MapStaticPath("/html/a/b.png"), "/a/b.png");
  EXPECT_EQ(MapStaticPath("/html/"), "/index.html");
  EXPECT_EQ(MapStaticPath("/html/../secret.txt"), "/secret.txt");
  // Removal restarts from the beginning, so joined halves cannot form a new parent step.
  EXPECT_EQ(MapStaticPath("/html/....//x"), "/x");
  EXPECT_EQ(MapStaticPath("/html/.../...//x"), "/x");
  EXPECT_EQ(MapStaticPath("/html/" + std::string(2000, 'a')).size(), 1024u);
}

TEST(StaticSite, RootRedirectLocation) {
  EXPECT_EQ(RootRedirectLocation("tv.example", "8080", "10.0.0.2:81", false), "http://tv.example:8080/status");
  EXPECT_EQ(RootRedirectLocation("10.0.0.5", "80", "10.0.0.2:81", true), "http://10.0.0.5:80/html/");
  // No host named: where the connection arrived.
  EXPECT_EQ(RootRedirectLocation("", "", "10.0.0.2:81", false), "http://10.0.0.2:81/status");
  EXPECT_EQ(RootRedirectLocation("", "80", "10.0.0.2:81", true), "http://10.0.0.2:81/html/");
}

TEST(StaticSite, ContentTypesInOrder) {
  EXPECT_EQ(ContentTypeFor("/index.html"), "text/html");
  EXPECT_EQ(ContentTypeFor("/a.htm"), "text/html");
  EXPECT_EQ(ContentTypeFor("/a.txt"), "text/plain");
  EXPECT_EQ(ContentTypeFor("/a.png"), "image/png");
  EXPECT_EQ(ContentTypeFor("/a.gif"), "image/gif");
  EXPECT_EQ(ContentTypeFor("/photo.jpg"), "image/jpeg");
  EXPECT_EQ(ContentTypeFor("/list.xml"), "text/xml; charset=\"utf-8\"");
  EXPECT_EQ(ContentTypeFor("/a.swf"), "application/x-shockwave-flash");
  EXPECT_EQ(ContentTypeFor("/photo.JPG"), "application/octet-stream");
  EXPECT_EQ(ContentTypeFor("/a.tar.gz"), "application/octet-stream");
  EXPECT_EQ(ContentTypeFor("/README"), "application/octet-stream");
  EXPECT_EQ(ContentTypeFor("/a.html.bak"), "application/octet-stream");
}

// A file whose contents are fileBytes at the moment each piece is read, and a client that takes
// everything until sendLimit bytes have gone out.
struct FileReplyRun {
  std::string fileBytes;
  std::size_t sendLimit = std::string::npos;
  std::string sent;
  FileReplyEnd end = FileReplyEnd::Complete;

  FileReplyRun& Send(const std::string& header, std::int64_t length) {
    std::size_t position = 0;
    end = SendFileReply(
        header, length,
        [&](char* buffer, std::size_t size) -> long {
          const std::size_t count = std::min(size, fileBytes.size() - std::min(position, fileBytes.size()));
          if (count > 0) std::memcpy(buffer, fileBytes.data() + position, count);
          position += count;
          return static_cast<long>(count);
        },
        [&](const char* data, std::size_t size) {
          if (sent.size() + size > sendLimit) return false;
          sent.append(data, size);
          return true;
        });
    return *this;
  }
};

TEST(StaticSite, FileReplySendsExactlyTheAnnouncedLength) {
  const std::string content(200000, 'x');
  FileReplyRun run;
  run.fileBytes = content;
  EXPECT_EQ(run.Send("HEAD", 200000).end, FileReplyEnd::Complete);
  EXPECT_EQ(run.sent, "HEAD" + content);

  // The file grew after its size was taken: the reply stops at the announced length.
  FileReplyRun grown;
  grown.fileBytes = content + std::string(100000, 'y');
  EXPECT_EQ(grown.Send("HEAD", 200000).end, FileReplyEnd::Complete);
  EXPECT_EQ(grown.sent, "HEAD" + content);

  // It shrank: what there is goes out and the reply ends short rather than padded.
  FileReplyRun shrunk;
  shrunk.fileBytes = std::string(150000, 'x');
  EXPECT_EQ(shrunk.Send("HEAD", 200000).end, FileReplyEnd::FileShort);
  EXPECT_EQ(shrunk.sent, "HEAD" + shrunk.fileBytes);

  FileReplyRun empty;
  EXPECT_EQ(empty.Send("HEAD", 0).end, FileReplyEnd::Complete);
  EXPECT_EQ(empty.sent, "HEAD");

  FileReplyRun gone;
  gone.fileBytes = content;
  gone.sendLimit = 100000;
  EXPECT_EQ(gone.Send("HEAD", 200000).end, FileReplyEnd::SendFailed);
  EXPECT_LE(gone.sent.size(), 100000u);
}

}  // namespace
