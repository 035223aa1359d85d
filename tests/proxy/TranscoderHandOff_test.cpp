#include "proxy/TranscoderHandOff.h"

#include <gtest/gtest.h>

#include "base/TranscoderContract.h"

namespace {

TEST(TranscoderHandOffTest, TheTranscoderServesOnTheHostPortPlusOne) {
  const TranscoderAddress named = TranscoderAddressFor("tv.example", "7781", "10.0.0.1:7781");
  EXPECT_EQ(named.host, "tv.example");
  EXPECT_EQ(named.port, "7782");
  // No "Host:" header: the address and port the connection came in on.
  const TranscoderAddress unnamed = TranscoderAddressFor("", "", "192.168.1.5:81");
  EXPECT_EQ(unnamed.host, "192.168.1.5");
  EXPECT_EQ(unnamed.port, "82");
  // A port with no port after it gets no address (the client then gets the 400).
  EXPECT_EQ(TranscoderAddressFor("h", "2147483647", "").port, "");
  EXPECT_EQ(TranscoderAddressFor("h", "65535", "").port, "");
  EXPECT_EQ(TranscoderAddressFor("h", "-1", "").port, "");
  EXPECT_EQ(TranscoderAddressFor("", "", "127.0.0.1:65535").port, "");
}

TEST(TranscoderHandOffTest, TunerMessagesCarryTensThenUnits) {
  const TunerMessages seven = TunerMessagesFor(7);
  EXPECT_EQ(seven.first, 1354u);
  EXPECT_EQ(seven.second, 1361u);
  const TunerMessages fortyTwo = TunerMessagesFor(42);
  EXPECT_EQ(fortyTwo.first, 1358u);
  EXPECT_EQ(fortyTwo.second, 1356u);
  const TunerMessages twelve = TunerMessagesFor(12);
  EXPECT_EQ(twelve.first, 1355u);
  EXPECT_EQ(twelve.second, 1356u);
}

TEST(TranscoderHandOffTest, ASemicolonWouldShiftTheFields) {
  EXPECT_TRUE(FitsTranscoderRequest("239.0.0.1"));
  EXPECT_TRUE(FitsTranscoderRequest(""));
  EXPECT_FALSE(FitsTranscoderRequest("239.0.0.1;1;2"));
}

}  // namespace
