#pragma once
// The root redirect, the status page and the files of the static folder.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "proxy/ClientThread.h"

// The program path with ".Html" in place of its extension.
std::string StaticFolderFor(const std::string& programPath);
std::string StaticFolder();

// host and hostPort as the request's "Host:" header named them.
void SendRootRedirect(ClientThread& client, const std::string& host, const std::string& hostPort);
// Where "/" leads: the site when site, else the status page, on the host the request named, or on
// arrivedAt ("address:port" the connection came in on) when it named none.
std::string RootRedirectLocation(const std::string& host, const std::string& hostPort, const std::string& arrivedAt,
                                 bool site);
// "host:port" by which the client reaches this proxy: the "Host:" header's, or arrivedAt when it named none.
std::string ClientSideAuthority(const std::string& host, const std::string& hostPort, const std::string& arrivedAt);
void SendStatusPage(ClientThread& client);
// The transcoder's log as plain text, oldest line first; an empty page when it has none.
void SendTranscoderStatus(ClientThread& client);
// requestPath begins with "/html/".
void SendStaticFile(ClientThread& client, const std::string& requestPath);

std::string StatusReplyText(const std::string& logText, const std::string& serverSignature);
// The path below the folder: "../" removed, "/html" dropped, at most 1024 characters, "/" -> "/index.html".
std::string MapStaticPath(const std::string& requestPath);
std::string ContentTypeFor(const std::string& path);
std::string StaticFileHeader(const std::string& contentType, std::int64_t size, const std::string& serverSignature);

enum class FileReplyEnd { Complete, FileShort, SendFailed };
// Sends header, then exactly length bytes that read supplies (a count, 0 at the end, -1 on failure)
// through send, piece by piece: a file that grew is cut at length, one that shrank ends short.
FileReplyEnd SendFileReply(std::string header, std::int64_t length,
                           const std::function<long(char*, std::size_t)>& read,
                           const std::function<bool(const char*, std::size_t)>& send);
