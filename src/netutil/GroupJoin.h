#pragma once
// Group memberships held for a media player that reads a "udp://@group:port" address itself.
#include <string>

#include "platform/Socket.h"

// Opens a socket bound to the URL's port and joins its group on the interface (or on every
// non-loopback interface when the text is not an address); no socket when the URL has no "//@" group
// or the socket cannot be bound. Closing the socket drops its memberships too.
platform::Socket JoinGroupOnInterfaces(const std::string& url, const std::string& interfaceText);

// Drops the memberships made by the join and closes the socket; nothing when it holds none.
void LeaveGroupOnInterfaces(const std::string& url, const std::string& interfaceText, platform::Socket& socket);
