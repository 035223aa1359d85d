#pragma once
// Hands a stream request to the live transcoder process and redirects the client to it; for the tuner group
// "tv" it also switches the channel of the outside TV viewer.
#include <cstdint>
#include <string>

#include "proxy/ClientThread.h"

// host and hostPort as the request's "Host:" header named them (host empty when it named none).
void HandOffToTranscoder(ClientThread& client, const std::string& host, const std::string& hostPort);

// Where the client goes: the named host, or when it named none the address the connection arrived on
// ("address:port"); the transcoder listens on the port after that one (TranscoderPortAfter).
struct TranscoderAddress {
  std::string host;
  std::string port;  // decimal; empty when the port after the client's is no TCP port
};
TranscoderAddress TranscoderAddressFor(const std::string& host, const std::string& hostPort,
                                       const std::string& arrivedAt);

// The two messages that switch the viewer to a channel: its tens, then its units, above WM_USER + 330.
struct TunerMessages {
  std::uint32_t first;
  std::uint32_t second;
};
TunerMessages TunerMessagesFor(int channel);
