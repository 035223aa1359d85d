#include "proxy/StaticSite.h"

#include <gtest/gtest.h>

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

}  // namespace
