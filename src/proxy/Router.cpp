#include "proxy/Router.h"

#include "base/TextUtil.h"

namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  std::string result;
  std::size_t start = 0;
  for (std::size_t found; (found = text.find(from, start)) != std::string::npos; start = found + from.size()) {
    result.append(text, start, found - start);
    result += to;
  }
  result.append(text, start, std::string::npos);
  text.swap(result);
}

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

}  // namespace

bool IsHeadRequest(const std::string& requestLine) { return StartsWith(requestLine, "HEAD"); }

std::string ExtractRequestPath(const std::string& requestLine) {
  if (!StartsWith(requestLine, "GET") && !IsHeadRequest(requestLine)) return std::string();
  const std::size_t version = requestLine.find("HTTP/1");
  // The path starts at the fifth character, so "HTTP/1" must come after it.
  if (version == std::string::npos || version < 5) return std::string();
  return requestLine.substr(4, version - 4);
}

std::string NormaliseRequestPath(const std::string& path) {
  std::string normal = path;
  ReplaceAll(normal, "%3A", ":");
  ReplaceAll(normal, "/udp?", "/udp/");
  ReplaceAll(normal, "/udp://@", "/udp/");
  std::size_t first = 0;
  std::size_t last = normal.size();
  while (first < last && IsBlankOrControl(normal[first])) ++first;
  while (last > first && IsBlankOrControl(normal[last - 1])) --last;
  return normal.substr(first, last - first);
}

Route RoutePath(const std::string& path, bool staticFolderExists) {
  if (path == "/") return Route::RootRedirect;
  if (path == "/status" || path == "/udp/") return Route::Status;
  if (StartsWith(path, "/html/") && staticFolderExists) return Route::StaticFile;
  if (StartsWith(path, "/udp/")) return Route::Stream;
  return Route::NotFound;
}

std::string NormaliseNumberText(const std::string& text) { return std::to_string(ParseInteger(text)); }

StreamTarget ParseStreamPath(const std::string& path) {
  std::string full = path;
  if (full.find(':') == std::string::npos) full += ":1234";
  const std::size_t colon = full.find(':');
  StreamTarget target;
  target.group = colon > 5 ? full.substr(5, colon - 5) : std::string();
  const int port = ParseInteger(full.substr(colon + 1));
  target.portText = std::to_string(port);
  target.port = static_cast<std::uint16_t>(port);
  return target;
}
