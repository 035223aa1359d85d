#include "base/TranscoderPort.h"

#include "base/TextUtil.h"

namespace {

constexpr int kHighestPort = 65535;

}  // namespace

int TranscoderPortAfter(const std::string& portText) {
  const int port = ParseInteger(portText);  // saturates at the int range: compared before the addition
  return port >= 0 && port < kHighestPort ? port + 1 : 0;
}
