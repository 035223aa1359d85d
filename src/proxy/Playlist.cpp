#include "proxy/Playlist.h"

#include <cstdint>

#include "base/ProcessValues.h"
#include "base/TextUtil.h"
#include "platform/Files.h"
#include "platform/Socket.h"
#include "proxy/Replies.h"
#include "proxy/StaticSite.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The line rewritten, or the line itself when it is not a multicast address.
std::string RewriteLine(const std::string& line, const std::string& authority) {
  std::size_t start = 0;
  while (start < line.size() && IsBlank(line[start])) ++start;
  std::size_t end = line.size();
  while (end > start && (IsBlank(line[end - 1]) || line[end - 1] == '\r')) --end;
  const std::string scheme = line.substr(start, 6);
  const bool udp = EqualsIgnoringAsciiCase(scheme, "udp://");
  if (!udp && !EqualsIgnoringAsciiCase(scheme, "rtp://")) return line;
  std::size_t address = start + 6;
  if (address < end && line[address] == '@') ++address;
  if (address == end) return line;
  return line.substr(0, start) + "http://" + authority + (udp ? "/udp/" : "/rtp/") +
         line.substr(address, end - address) + line.substr(end);
}

void SendText(ClientThread& client, const std::string& text) {
  platform::SendAll(client.clientSocket.Get(), text.data(), text.size());
}

// The one reply that explains itself: the player shows its text where it can.
void SendServerError(ClientThread& client, const std::string& reason) {
  SendText(client, "HTTP/1.0 500 Internal Server Error\r\nContent-Type: text/plain\r\nServer: " + ServerSignature() +
                       "\r\n\r\n" + reason + "\r\n");
}

}  // namespace

std::string PlaylistFileFor(const std::string& programPath) { return ReplaceExtension(programPath, ".m3u"); }

std::string RewritePlaylist(const std::string& playlist, const std::string& authority) {
  std::string result;
  result.reserve(playlist.size() + playlist.size() / 4);
  const std::string byteOrderMark = "\xEF\xBB\xBF";
  const std::size_t first = StartsWith(playlist, byteOrderMark) ? byteOrderMark.size() : 0;
  result.append(playlist, 0, first);
  for (std::size_t start = first; start < playlist.size();) {
    std::size_t end = playlist.find('\n', start);
    end = end == std::string::npos ? playlist.size() : end + 1;
    const std::size_t content = end > start && playlist[end - 1] == '\n' ? end - 1 : end;
    result += RewriteLine(playlist.substr(start, content - start), authority);
    result.append(playlist, content, end - content);
    start = end;
  }
  return result;
}

std::string SendPlaylist(ClientThread& client, const std::string& host, const std::string& hostPort, bool headOnly) {
  const std::string fileName = PlaylistFileFor(platform::ProgramPath());
  if (platform::GetFileKind(fileName) != platform::FileKind::File) {
    SendReply(client, 404);
    return "] Thread terminating, unknown GET-request";
  }
  platform::InputFile file;
  std::string playlist;
  const std::int64_t size = file.Open(fileName) ? file.Size() : -1;
  if (size > static_cast<std::int64_t>(kPlaylistLimitBytes)) {
    SendServerError(client, "The playlist " + fileName + " is larger than 4 MiB.");
    return "] Thread terminating, playlist " + fileName + " larger than 4 MiB";
  }
  bool read = size >= 0;
  if (read) {
    playlist.resize(static_cast<std::size_t>(size));
    std::size_t filled = 0;
    for (long count = 1; filled < playlist.size() && count > 0; filled += static_cast<std::size_t>(count)) {
      count = file.Read(&playlist[filled], playlist.size() - filled);
      if (count < 0) read = false;
      if (count <= 0) break;
    }
    playlist.resize(filled);
  }
  if (!read) {
    SendServerError(client, "The playlist " + fileName + " cannot be read.");
    return "] Thread terminating, playlist " + fileName + " cannot be read";
  }
  const std::string arrivedAt = host.empty() ? platform::LocalEndpointText(client.clientSocket.Get()) : std::string();
  const std::string body = RewritePlaylist(playlist, ClientSideAuthority(host, hostPort, arrivedAt));
  const std::string header = "HTTP/1.0 200 OK \r\nContent-Type: audio/x-mpegurl\r\nPragma: no-cache\r\nServer: " +
                             ServerSignature() + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  SendText(client, headOnly ? header : header + body);
  return "] Thread terminating, playlist sent";
}
