#pragma once
// The proxy's fixed HTTP/1.0 replies.
#include <string>

#include "proxy/ClientThread.h"

// Header that precedes stream data and answers HEAD requests.
std::string StreamReplyHeader(const std::string& serverSignature);
// The reply for 200, 302, 400 and 404; empty for any other code.
std::string ReplyText(int code, const std::string& location, const std::string& serverSignature);
// Sends ReplyText with the process's signature on the client socket.
void SendReply(ClientThread& client, int code, const std::string& location = std::string());
