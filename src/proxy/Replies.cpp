#include "proxy/Replies.h"

#include "platform/Socket.h"
#include "base/ProcessValues.h"

std::string StreamReplyHeader(const std::string& serverSignature) {
  return "HTTP/1.0 200 OK \r\n"
         "Pragma: no-cache\r\n"
         "Cache-control: no-cache\r\n"
         "Accept-Ranges: none\r\n"
         "Connection: close\r\n"
         "Content-Type: video/mpeg\r\n"
         "EXT:\r\n"
         "ContentFeatures.dlna.org: DLNA.ORG_PN=MPEG_TS_SD_EU_ISO;DLNA.ORG_OP=00;DLNA.ORG_CI=0;"
         "DLNA.ORG_FLAGS=61F00000000000000000000000000000\r\n"
         "TransferMode.dlna.org: Streaming\r\n"
         "Server: " +
         serverSignature + "\r\n\r\n";
}

std::string ReplyText(int code, const std::string& location, const std::string& serverSignature) {
  switch (code) {
    case 200:
      return StreamReplyHeader(serverSignature);
    case 302:
      return "HTTP/1.0 302 OK \r\nLocation: " + location + "\r\n\r\n";
    case 400:
      return "HTTP/1.0 400 Bad Request\r\n\r\n";
    case 404:
      return "HTTP/1.0 404 Not Found\r\nContent-type: text/plain\r\nServer: " + serverSignature + "\r\n\r\n";
    default:
      return std::string();
  }
}

void SendReply(ClientThread& client, int code, const std::string& location) {
  const std::string reply = ReplyText(code, location, ServerSignature());
  if (!reply.empty()) platform::SendAll(client.clientSocket.Get(), reply.data(), reply.size());
}
