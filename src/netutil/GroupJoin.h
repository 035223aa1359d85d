#pragma once
// Group memberships held for a media player that reads a "udp://@group:port" address itself.
#include <string>

#include "platform/Socket.h"

// Opens a socket bound to the URL's port and joins its group on the interface (or on every
// non-loopback interface when the text is not an address); 0 when the URL has no "//@" group.
platform::SocketHandle JoinGroupOnInterfaces(const std::string& url, const std::string& interfaceText);

// Drops the memberships made by the join, closes the socket and sets it to 0.
void LeaveGroupOnInterfaces(const std::string& url, const std::string& interfaceText,
                            platform::SocketHandle& socket);
