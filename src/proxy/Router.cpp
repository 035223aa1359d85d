#include "proxy/Router.h"

#include "base/TextUtil.h"
#include "netutil/InterfaceSelect.h"

namespace {

bool IsHeadRequest(const std::string& requestLine) { return StartsWith(requestLine, "HEAD"); }

constexpr int kHighestPort = 65535;

// "/udp/group:port" or "/rtp/source@group:port" (port 1234 when none is given) into the decision's
// group fields; the group port stays 0 when the value lies outside 1 to 65535. False when a source
// is given that is no IPv4 address.
bool ParseStreamPath(RequestDecision& decision) {
  std::string full = decision.path;
  if (full.find(':') == std::string::npos) full += ":1234";
  const std::size_t colon = full.find(':');
  decision.kind = StartsWith(full, "/rtp/") ? StreamKind::Rtp : StreamKind::Udp;
  decision.group = colon > 5 ? full.substr(5, colon - 5) : std::string();
  const int port = ParseInteger(full.substr(colon + 1));
  decision.groupPortText = std::to_string(port);
  if (port >= 1 && port <= kHighestPort) decision.groupPort = static_cast<std::uint16_t>(port);
  const std::size_t at = decision.group.find('@');
  if (at == std::string::npos) return true;
  decision.source = decision.group.substr(0, at);
  decision.group.erase(0, at + 1);
  return IsDottedAddress(decision.source);
}

// Streams, HEAD answers and malformed requests.
RequestAction DecideStream(const RequestHead& head, RequestDecision& decision, bool sourceUsable,
                           const std::string& multicastInterface, bool transcoderEnabled) {
  if (IsHeadRequest(head.firstLine)) return RequestAction::HeadReply;
  // A port that does not fit is refused rather than wrapped round to another one. The tuner's "port" is its
  // channel, and channel 0 is one.
  const bool tunerChannelZero = decision.group == "tv" && decision.groupPortText == "0";
  if (decision.path.empty() || decision.group.empty() || (decision.groupPort == 0 && !tunerChannelZero) ||
      !sourceUsable) {
    return RequestAction::BadRequest;
  }
  decision.interfaceText = SelectMulticastInterface(multicastInterface, decision.group);
  if (transcoderEnabled || decision.group == "tv") return RequestAction::TranscoderHandOff;
  return RequestAction::Relay;
}

}  // namespace

std::string ExtractRequestPath(const std::string& requestLine) {
  if (!StartsWith(requestLine, "GET") && !IsHeadRequest(requestLine)) return std::string();
  const std::size_t version = requestLine.find("HTTP/1");
  // The path starts at the fifth character, so "HTTP/1" must come after it.
  if (version == std::string::npos || version < 5) return std::string();
  return requestLine.substr(4, version - 4);
}

std::string NormaliseRequestPath(const std::string& path) {
  std::string normal = ReplaceAll(path, "%3A", ":");
  normal = ReplaceAll(normal, "/udp?", "/udp/");
  normal = ReplaceAll(normal, "/udp://@", "/udp/");
  std::size_t first = 0;
  std::size_t last = normal.size();
  while (first < last && IsBlankOrControl(normal[first])) ++first;
  while (last > first && IsBlankOrControl(normal[last - 1])) --last;
  normal = normal.substr(first, last - first);
  // Only paths that lead to an RTP stream, so that every other path stays as it was.
  for (const char* spelling : {"/rtp?", "/rtp://@"}) {
    if (StartsWith(normal, spelling)) return "/rtp/" + normal.substr(std::string(spelling).size());
  }
  return normal;
}

RequestDecision DecideRequest(const RequestHead& head, const std::string& multicastInterface,
                              bool transcoderEnabled, const std::function<bool()>& staticFolderExists) {
  RequestDecision decision;
  bool sourceUsable = true;
  const std::string path = ExtractRequestPath(head.firstLine);
  if (!path.empty()) {
    decision.path = NormaliseRequestPath(path);
    const std::string& p = decision.path;
    if (p == "/") {
      decision.action = RequestAction::RootRedirect;
      return decision;
    }
    if (p == "/status" || p == "/udp/") {
      decision.action = RequestAction::StatusPage;
      return decision;
    }
    if (p == "/status/transcoder") {
      decision.action = RequestAction::TranscoderStatus;
      return decision;
    }
    // The folder only matters to paths under "/html/"; streams need not look for it.
    if (StartsWith(p, "/html/") && staticFolderExists()) {
      decision.action = RequestAction::StaticFile;
      return decision;
    }
    if (p == kPlaylistPath) {
      decision.action = RequestAction::Playlist;
      return decision;
    }
    if (!StartsWith(p, "/udp/") && !StartsWith(p, "/rtp/")) {
      decision.action = RequestAction::NotFound;
      return decision;
    }
    sourceUsable = ParseStreamPath(decision);
  }
  decision.action = DecideStream(head, decision, sourceUsable, multicastInterface, transcoderEnabled);
  return decision;
}
