#pragma once
// The request line's path, its normal form and the route it takes.
#include <cstdint>
#include <string>

// The path between the method and "HTTP/1", or empty when the line is not a GET or HEAD with "HTTP/1".
std::string ExtractRequestPath(const std::string& requestLine);
// "%3A" -> ":", "/udp?" -> "/udp/", "/udp://@" -> "/udp/", then blanks and control bytes trimmed.
std::string NormaliseRequestPath(const std::string& path);
bool IsHeadRequest(const std::string& requestLine);

enum class Route { RootRedirect, Status, StaticFile, Stream, NotFound };
Route RoutePath(const std::string& path, bool staticFolderExists);

struct StreamTarget {
  std::string group;
  std::string portText;  // decimal text of the port's value
  std::uint16_t port = 0;
};
// "/udp/group:port" (port 1234 when none is given).
StreamTarget ParseStreamPath(const std::string& path);

// Integer value of text as decimal text ("0080" -> "80", "" -> "0").
std::string NormaliseNumberText(const std::string& text);
