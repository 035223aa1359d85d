// The transcoder's request text and its profile-to-chain conversion over arbitrary input: the first line is the
// profile, the rest the request text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "transcoder/TranscoderRequest.h"

namespace {

bool SameFields(const TranscoderRequest& a, const TranscoderRequest& b) {
  return a.source == b.source && a.port == b.port && a.httpPort == b.httpPort &&
         a.interfaceAddress == b.interfaceAddress;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = input.find('\n');
  const std::string profile = input.substr(0, newline);
  const std::string text = newline == std::string::npos ? std::string() : input.substr(newline + 1);

  const TranscoderRequest request = SplitTranscoderRequest(text);
  const std::string joined = JoinTranscoderRequest(request);
  // The fields hold no ";", so their text splits back into the same fields.
  if (!SameFields(SplitTranscoderRequest(joined), request)) __builtin_trap();
  if (joined.size() > text.size() + 4) __builtin_trap();
  (void)TranscoderSourceMrl(request);
  (void)TranscoderActivePort(request);
  (void)TranscoderSourceOptions(request, 12);

  const std::string chain = TranscoderOutputChain(profile, request.httpPort);
  if (chain.empty() || chain[0] != '#' || chain.size() < 2 || chain.compare(chain.size() - 2, 2, "}}") != 0) {
    __builtin_trap();
  }
  if (chain.find("duplicate{dst=std{access=http,dst=:" + request.httpPort + ",mux=") == std::string::npos) {
    __builtin_trap();
  }
  // The chain holds the profile (less its mux entry) and the port, and a fixed frame around them.
  if (chain.size() > profile.size() + request.httpPort.size() + 64) __builtin_trap();
  return 0;
}
