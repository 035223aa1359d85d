#pragma once
// The root redirect, the status page and the files of the static folder.
#include <cstdint>
#include <string>

#include "proxy/ClientThread.h"

// The program path with ".Html" in place of its extension.
std::string StaticFolderFor(const std::string& programPath);
std::string StaticFolder();

void SendRootRedirect(ClientThread& client);
void SendStatusPage(ClientThread& client);
void SendStaticFile(ClientThread& client);

std::string StatusReplyText(const std::string& logText, const std::string& serverSignature);
// The path below the folder: "../" removed, "/html" dropped, at most 1024 characters, "/" -> "/index.html".
std::string MapStaticPath(const std::string& requestPath);
std::string ContentTypeFor(const std::string& path);
std::string StaticFileHeader(const std::string& contentType, std::int64_t size, const std::string& serverSignature);
