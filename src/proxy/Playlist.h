#pragma once
// "/playlist.m3u": the user's copy of the operator's playlist, its multicast channels pointed at this proxy.
#include <cstddef>
#include <string>

#include "proxy/ClientThread.h"

// The playlist file: the program path with ".m3u" in place of its extension.
std::string PlaylistFileFor(const std::string& programPath);

// A playlist larger than this is refused rather than read into memory.
inline constexpr std::size_t kPlaylistLimitBytes = 4 * 1024 * 1024;

// Every line that is a "udp://" or "rtp://" address ("@group:port", "group:port" or "source@group:port";
// the scheme in any case) becomes "http://" + authority + "/udp/" or "/rtp/" and the rest; every other line,
// its line end and a byte-order mark stay as they are.
std::string RewritePlaylist(const std::string& playlist, const std::string& authority);

// Answers with the rewritten playlist (only its header for HEAD), a 404 without the file, a 500 with the
// reason when it cannot be served; returns the log message.
std::string SendPlaylist(ClientThread& client, const std::string& host, const std::string& hostPort, bool headOnly);
