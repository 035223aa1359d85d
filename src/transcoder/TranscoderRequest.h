#pragma once
// What the transcoder makes of one request: the libvlc options for the source, the source address and the output
// chain that serves the stream over HTTP.
#include <string>
#include <utility>
#include <vector>

#include "base/TranscoderContract.h"

// The media address that plays nothing: starting it releases the current stream.
inline constexpr const char* kIdleMrl = "???";

bool IsTunerRequest(const TranscoderRequest& request);

// The receiving interface: "0.0.0.0" and "127.0.0.1" name none and give "".
std::string TranscoderInterface(const TranscoderRequest& request);

using VlcOptionList = std::vector<std::pair<std::string, std::string>>;

// The source's options, in the order they are set: the tuner's capture settings, or for a multicast group IPv4
// and the interface (the interface as "miface" too from level 9 on; "" removes a previous one).
VlcOptionList TranscoderSourceOptions(const TranscoderRequest& request, int level);

// "dshow://" for the tuner, "udp://@" + group + ":" + port otherwise.
std::string TranscoderSourceMrl(const TranscoderRequest& request);

// The HTTP port as a number for the idle check: leading sign and digits, 0 without digits.
int TranscoderActivePort(const TranscoderRequest& request);

// Whether the profile has a "mux=" entry of its own.
bool ProfileNamesMux(const std::string& profile);

// What makes two requests ask for one and the same stream: source, port, HTTP port, the receiving interface (the
// names of no particular one alike) and the profile read for it.
std::string TranscoderStreamIdentity(const TranscoderRequest& request, const std::string& profile);

// The "sout" chain: the profile's "mux=" entry chooses the muxer ("ts" without one, which every player reads);
// whatever else the profile holds becomes the transcode step; the stream is served on every local address at
// httpPort, taken as it is.
std::string TranscoderOutputChain(const std::string& profile, const std::string& httpPort);
