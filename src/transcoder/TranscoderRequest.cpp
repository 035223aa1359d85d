#include "transcoder/TranscoderRequest.h"

#include "base/TextUtil.h"
#include "transcoder/VlcLocate.h"

namespace {

constexpr std::size_t kMaxMuxLength = 256;

}  // namespace

bool IsTunerRequest(const TranscoderRequest& request) { return request.source == "tv"; }

std::string TranscoderInterface(const TranscoderRequest& request) {
  const std::string& field = request.interfaceAddress;
  return field == "0.0.0.0" || field == "127.0.0.1" ? std::string() : field;
}

VlcOptionList TranscoderSourceOptions(const TranscoderRequest& request, int level) {
  if (IsTunerRequest(request)) {
    return {{"dshow-size", "720x576"},   {"dshow-chroma", "YUY2"},      {"dshow-caching", "200"},
            {"dshow-tuner-input", "2"},  {"dshow-tuner-country", "7"}, {"dshow-tuner-channel", request.port}};
  }
  const std::string interfaceAddress = TranscoderInterface(request);
  VlcOptionList options = {{"ipv4", "1"}};
  if (level >= kVlcLevelException) options.emplace_back("miface", interfaceAddress);
  options.emplace_back("miface-addr", interfaceAddress);
  return options;
}

std::string TranscoderSourceMrl(const TranscoderRequest& request) {
  return IsTunerRequest(request) ? "dshow://" : "udp://@" + request.source + ":" + request.port;
}

int TranscoderActivePort(const TranscoderRequest& request) { return ParseInteger(request.httpPort); }

bool ProfileNamesMux(const std::string& profile) { return profile.find("mux=") != std::string::npos; }

std::string TranscoderStreamIdentity(const TranscoderRequest& request, const std::string& profile) {
  TranscoderRequest normal = request;
  normal.interfaceAddress = TranscoderInterface(request);
  return JoinTranscoderRequest(normal) + "\n" + profile;
}

std::string TranscoderOutputChain(const std::string& profile, const std::string& httpPort) {
  std::string rest = profile;
  std::string mux = "ts";
  const std::size_t at = rest.find("mux=");
  if (at != std::string::npos) {
    mux = rest.substr(at + 4, kMaxMuxLength);
    mux = mux.substr(0, mux.find(','));
    // "mux=", the value and the one separator after it.
    rest.erase(at, mux.size() + 5);
  }
  const std::string transcode = rest.empty() ? std::string() : "transcode{" + rest + "}:";
  return "#" + transcode + "duplicate{dst=std{access=http,dst=:" + httpPort + ",mux=" + mux + "}}";
}
