#include "base/TranscoderPort.h"

#include <gtest/gtest.h>

namespace {

TEST(TranscoderPort, ThePortAfterTheProxysWhileThatIsATcpPort) {
  EXPECT_EQ(TranscoderPortAfter("7781"), 7782);
  EXPECT_EQ(TranscoderPortAfter("8080x"), 8081);  // read as the proxy reads its port
  EXPECT_EQ(TranscoderPortAfter(""), 1);          // a missing port counts as 0
  EXPECT_EQ(TranscoderPortAfter("65534"), 65535);
  // Past the top of the range, below 0, or past the int range (where the reading saturates): none.
  for (const char* none : {"65535", "70000", "-1", "-99999999999", "2147483647", "99999999999"}) {
    EXPECT_EQ(TranscoderPortAfter(none), 0) << none;
  }
}

}  // namespace
