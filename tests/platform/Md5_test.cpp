#include "platform/Md5.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Hex(const std::array<unsigned char, 16>& digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const unsigned char byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

std::string Md5Of(const std::string& data) {
  std::array<unsigned char, 16> digest{};
  if (!platform::Md5Digest(data, digest)) return "failed";
  return Hex(digest);
}

TEST(Md5Test, MatchesTheReferenceVectors) {
  EXPECT_EQ(Md5Of(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5Of("a"), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(Md5Of("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5Of("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(Md5Of("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
  EXPECT_EQ(Md5Of("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5Test, HashesEveryByteIncludingZeroAndHighBytes) {
  const std::string withZero("a\0b", 3);
  EXPECT_NE(Md5Of(withZero), Md5Of("a"));
  EXPECT_NE(Md5Of(withZero), Md5Of("ab"));
  EXPECT_EQ(Md5Of(std::string(1, '\xFF')), "00594fd4f42ba43fc1ca0427a0576295");
}

TEST(Md5Test, HashesInputLongerThanOneBlock) {
  EXPECT_EQ(Md5Of(std::string(1000000, 'a')), "7707d6ae4e027c70eea2a935c2296f21");
}

}  // namespace
