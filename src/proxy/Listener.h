#pragma once
#include <string>

// Listens on the HTTP interface and port and serves every connection on a thread of its own.
// Returns only when the listener could not start (the reason is logged).
void RunProxyListener(const std::string& multicastInterface, const std::string& httpInterface, int httpPort,
                      bool transcoderEnabled);

// The address to listen on: the configured one when the host's address text contains it, else "0.0.0.0".
std::string ChooseListenAddress(const std::string& localAddressText, const std::string& httpInterface);
