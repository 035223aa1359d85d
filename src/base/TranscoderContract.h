#pragma once
// What the proxy and the panel share with the transcoder process: the class of its window, and the text a
// sender sets in that window's field to ask for a stream.
#include <string>

// The window that senders look for.
inline constexpr const char* kTranscoderWindowClass = "CorvaneVlcWndClass";
// The transcoder's log file: the program's name with this extension, in the folder platform::RuntimeFileFor
// gives, so that the proxy and the panel read what the transcoder writes.
inline constexpr const char* kTranscoderLogExtension = ".Transcoder.log";

// The fields of the request text, "239.1.2.3;1234;7782;192.168.0.10;": four fields, each ended by ";".
struct TranscoderRequest {
  std::string source;            // the multicast group, or exactly "tv" for the TV tuner
  std::string port;              // the group's UDP port, or the tuner channel
  std::string httpPort;          // the TCP port the stream is served on
  std::string interfaceAddress;  // the interface to receive the multicast on
};

// Fields in order, each up to the next ";". A field without its ";" is empty, and so are all after it; anything
// after the fourth ";" is ignored.
TranscoderRequest SplitTranscoderRequest(const std::string& text);

// The text for the fields: each followed by ";".
std::string JoinTranscoderRequest(const TranscoderRequest& request);

// A field that holds ";" would shift the fields after it in the text the transcoder splits.
bool FitsTranscoderRequest(const std::string& field);
