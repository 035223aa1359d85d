#pragma once
// What one request gets: the request line's path, its normal form, and the decision taken on it.
#include <cstdint>
#include <functional>
#include <string>

#include "proxy/RequestHead.h"

// The path between the method and "HTTP/1", or empty when the line is not a GET or HEAD with "HTTP/1".
std::string ExtractRequestPath(const std::string& requestLine);
// "%3A" -> ":", "/udp?" -> "/udp/", "/udp://@" -> "/udp/", then blanks and control bytes trimmed; a path that
// then begins "/rtp?" or "/rtp://@" begins "/rtp/" instead.
std::string NormaliseRequestPath(const std::string& path);

inline constexpr const char* kPlaylistPath = "/playlist.m3u";

enum class RequestAction {
  RootRedirect,       // "/": to the site or the status page
  StatusPage,         // "/status" or "/udp/"
  TranscoderStatus,   // "/status/transcoder": the transcoder's recent lines
  StaticFile,         // below "/html/" while the static folder exists
  Playlist,           // "/playlist.m3u": the user's playlist, its channels pointed at this proxy
  NotFound,           // any other path: 404
  HeadReply,          // HEAD of a stream, or a HEAD line without a path: the stream header alone
  BadRequest,         // no path, no group, a port outside 1 to 65535 (the tuner's channel 0 to 65535) or a
                      // source that is no address: 400
  TranscoderHandOff,  // a stream while transcoding is on, or the tuner group "tv"
  Relay,              // a multicast stream
};

// How a stream's datagrams reach the client: "/udp/" byte for byte, "/rtp/" as the payload of RTP packets.
enum class StreamKind { Udp, Rtp };

struct RequestDecision {
  RequestAction action = RequestAction::BadRequest;
  std::string path;           // the normal form of the request path
  StreamKind kind = StreamKind::Udp;
  std::string group;          // for a stream: the group as the request wrote it
  std::string source;         // "source@group": the only sender taken; empty for any sender
  std::string groupPortText;  // its port as decimal text
  std::uint16_t groupPort = 0;  // 0 when the port lies outside 1 to 65535
  std::string interfaceText;  // the interface chosen for the group
};

// Decides what the request of head gets. staticFolderExists is asked only for paths below "/html/".
RequestDecision DecideRequest(const RequestHead& head, const std::string& multicastInterface,
                              bool transcoderEnabled, const std::function<bool()>& staticFolderExists);
