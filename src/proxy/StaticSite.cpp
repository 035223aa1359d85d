#include "proxy/StaticSite.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/Files.h"
#include "platform/Socket.h"
#include "proxy/ProxyLog.h"
#include "proxy/Replies.h"
#include "proxy/RequestHead.h"
#include "base/ProcessValues.h"
#include "base/TranscoderContract.h"
#include "base/TextUtil.h"

namespace {

constexpr std::size_t kStaticPathLimit = 1024;
constexpr std::size_t kFileChunkBytes = 65536;

std::string JoinWithSeparator(const std::string& folder, const std::string& relative) {
  std::string path = folder;
  for (char c : relative) path += c == '/' ? platform::PathSeparator() : c;
  return path;
}

// Parent steps, drive letters and stream names have no place in a path below the folder;
// backslashes count as separators whatever the platform.
bool HasForbiddenStep(const std::string& relative) {
  if (relative.find(':') != std::string::npos) return true;
  std::size_t start = 0;
  while (start <= relative.size()) {
    std::size_t end = relative.find_first_of("/\\", start);
    if (end == std::string::npos) end = relative.size();
    if (relative.compare(start, end - start, "..") == 0) return true;
    start = end + 1;
  }
  return false;
}

// The file's real path must lie inside the folder's, so links cannot lead out of it.
bool LiesInside(const std::string& file, const std::string& folder) {
  const std::string realFolder = platform::ResolvedPath(folder);
  const std::string realFile = platform::ResolvedPath(file);
  if (realFolder.empty() || realFile.empty()) return false;
  return realFile.size() > realFolder.size() && realFile.compare(0, realFolder.size(), realFolder) == 0 &&
         (realFile[realFolder.size()] == '/' || realFile[realFolder.size()] == '\\');
}

void SendText(ClientThread& client, const std::string& text) {
  platform::SendAll(client.clientSocket.Get(), text.data(), text.size());
}

}  // namespace

std::string StaticFolderFor(const std::string& programPath) { return ReplaceExtension(programPath, ".Html"); }

std::string StaticFolder() { return StaticFolderFor(platform::ProgramPath()); }

std::string ClientSideAuthority(const std::string& host, const std::string& hostPort, const std::string& arrivedAt) {
  // A request that names no host would otherwise get "http://:/status", which leads nowhere.
  const RequestAuthority authority = AuthorityOf(host, hostPort, arrivedAt);
  return authority.port.empty() ? authority.host : authority.host + ":" + authority.port;
}

std::string RootRedirectLocation(const std::string& host, const std::string& hostPort, const std::string& arrivedAt,
                                 bool site) {
  return "http://" + ClientSideAuthority(host, hostPort, arrivedAt) + (site ? "/html/" : "/status");
}

void SendRootRedirect(ClientThread& client, const std::string& host, const std::string& hostPort) {
  const bool site = platform::IsFile(JoinWithSeparator(StaticFolder(), "/index.html"));
  const std::string arrivedAt = host.empty() ? platform::LocalEndpointText(client.clientSocket.Get()) : std::string();
  SendReply(client, 302, RootRedirectLocation(host, hostPort, arrivedAt, site));
}

std::string StatusReplyText(const std::string& logText, const std::string& serverSignature) {
  return "HTTP/1.0 200 OK \r\nContent-type: text/plain\r\nPragma: no-cache\r\nServer: " + serverSignature +
         "\r\n\r\n" + logText;
}

void SendStatusPage(ClientThread& client) { SendText(client, StatusReplyText(ProxyLog().Text(), ServerSignature())); }

void SendTranscoderStatus(ClientThread& client) {
  std::string text;
  const std::string file = platform::RuntimeFileFor(platform::ProgramPath(), kTranscoderLogExtension);
  if (!file.empty()) platform::ReadWholeFile(file, text);  // none yet reads as an empty log
  SendText(client, StatusReplyText(text, ServerSignature()));
}

std::string MapStaticPath(const std::string& requestPath) {
  std::string path = requestPath;
  for (std::size_t found; (found = path.find("../")) != std::string::npos;) path.erase(found, 3);
  path = path.size() > 5 ? path.substr(5, kStaticPathLimit) : std::string();
  return path == "/" ? "/index.html" : path;
}

std::string ContentTypeFor(const std::string& path) {
  static const std::pair<const char*, const char*> kTypes[] = {
      {".html", "text/html"}, {".htm", "text/html"}, {".txt", "text/plain"},
      {".png", "image/png"},  {".gif", "image/gif"}, {".jpg", "image/jpeg"},
      {".xml", "text/xml; charset=\"utf-8\""},       {".swf", "application/x-shockwave-flash"}};
  const std::size_t dot = path.rfind('.');
  const std::string extension = dot == std::string::npos ? std::string() : path.substr(dot);
  for (const auto& [suffix, type] : kTypes) {
    if (extension == suffix) return type;
  }
  return "application/octet-stream";
}

std::string StaticFileHeader(const std::string& contentType, std::int64_t size, const std::string& serverSignature) {
  return "HTTP/1.0 200 OK \r\nPragma: no-cache\r\nCache-control: no-cache\r\nServer: " + serverSignature +
         "\r\nAccept-Ranges: none\r\nEXT:\r\nConnection: close\r\nContent-Type: " + contentType +
         "\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
}

FileReplyEnd SendFileReply(std::string header, std::int64_t length,
                           const std::function<long(char*, std::size_t)>& read,
                           const std::function<bool(const char*, std::size_t)>& send) {
  // The header goes out with the first piece of the file; large files are sent piece by piece.
  std::string block = std::move(header);
  std::vector<char> chunk(kFileChunkBytes);
  std::int64_t left = length;
  for (;;) {
    const long count =
        left > 0 ? read(chunk.data(), static_cast<std::size_t>(std::min<std::int64_t>(left, kFileChunkBytes))) : 0;
    if (count > 0) {
      block.append(chunk.data(), static_cast<std::size_t>(count));
      left -= count;
    }
    if (!block.empty() && !send(block.data(), block.size())) return FileReplyEnd::SendFailed;
    block.clear();
    if (left == 0) return FileReplyEnd::Complete;
    if (count <= 0) return FileReplyEnd::FileShort;
  }
}

void SendStaticFile(ClientThread& client, const std::string& requestPath) {
  const std::string relative = MapStaticPath(requestPath);
  const std::string folder = StaticFolder();
  const std::string fileName = JoinWithSeparator(folder, relative);
  platform::InputFile file;
  if (HasForbiddenStep(relative) || !platform::IsFile(fileName) ||
      !LiesInside(fileName, folder) || !file.Open(fileName) || file.Size() < 0) {
    SendReply(client, 404);
    return;
  }
  const std::int64_t size = file.Size();
  const FileReplyEnd end = SendFileReply(
      StaticFileHeader(ContentTypeFor(relative), size, ServerSignature()), size,
      [&file](char* buffer, std::size_t count) { return file.Read(buffer, count); },
      [&client](const char* data, std::size_t count) {
        return platform::SendAll(client.clientSocket.Get(), data, count);
      });
  // Padding would hand the client bytes that are not the file's; ending early tells it the reply is short.
  if (end == FileReplyEnd::FileShort) client.Log("] Error - static file shrank while sent, reply cut short");
}
