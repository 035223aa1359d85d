#include "proxy/ClientProcedure.h"

#include <chrono>

#include "base/TextUtil.h"
#include "platform/Files.h"
#include "netutil/InterfaceSelect.h"
#include "proxy/Relay.h"
#include "proxy/Replies.h"
#include "proxy/RequestHead.h"
#include "proxy/Router.h"
#include "proxy/StaticSite.h"
#include "proxy/TranscoderHandOff.h"

namespace {

// Takes exactly the head from the socket, so that nothing after it is read: the bytes are looked
// at in place and only those up to the head's end are taken. A client must send its whole head
// within kHeadTimeoutMilliseconds; one that stays silent frees its thread.
bool ReadRequestHead(ClientThread& client, RequestHead& head) {
  const platform::SocketHandle socket = client.clientSocket.Get();
  platform::SetReceiveTimeout(socket, kHeadTimeoutMilliseconds);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHeadTimeoutMilliseconds);
  HeadReader reader;
  char chunk[2048];
  while (reader.GetState() == HeadReader::State::Reading) {
    const int available = platform::Peek(socket, chunk, sizeof chunk);
    if (available <= 0 || std::chrono::steady_clock::now() > deadline) return false;
    int used = 0;
    while (used < available && reader.Feed(chunk[used++]) == HeadReader::State::Reading) {
    }
    for (int taken = 0; taken < used;) {
      const int count = platform::Receive(socket, chunk, static_cast<std::size_t>(used - taken));
      if (count <= 0) return false;
      taken += count;
    }
  }
  if (reader.GetState() != HeadReader::State::Complete) return false;
  head = reader.Head();
  platform::SetReceiveTimeout(socket, 0);
  return true;
}

// Every connection ends here, whichever way it went.
void EndConnection(ClientThread& client) {
  client.clientSocket.Close();
  client.Log("] Connection closed, thread terminated");
  client.firstRequestLine.clear();
  client.multicastSocket.Close();
}

// Streams, HEAD answers and malformed requests.
void ServeStreamRequest(ClientThread& client) {
  if (IsHeadRequest(client.firstRequestLine)) {
    SendReply(client, 200);
    client.Log("] Thread terminating, HEAD-responce");
    return;
  }
  if (client.requestPath.empty() || client.groupAddress.empty() || client.groupPortText.empty()) {
    SendReply(client, 400);
    client.Log("] Thread terminating, unknown HTTP-request");
    return;
  }
  client.Log("] Source: " + client.groupAddress + ":" + client.groupPortText);
  client.interfaceText = SelectMulticastInterface(client.interfaceText, client.groupAddress);
  if (client.transcoder || client.groupAddress == "tv") {
    HandOffToTranscoder(client);
    return;
  }
  RelayStream(client);
}

void RouteRequest(ClientThread& client) {
  const std::string path = ExtractRequestPath(client.firstRequestLine);
  if (path.empty()) {
    ServeStreamRequest(client);
    return;
  }
  client.requestPath = NormaliseRequestPath(path);
  // The folder only matters to paths under "/html/"; streams need not look for it.
  const bool staticFolder = StartsWith(client.requestPath, "/html/") &&
                            platform::GetFileKind(StaticFolder()) == platform::FileKind::Directory;
  switch (RoutePath(client.requestPath, staticFolder)) {
    case Route::RootRedirect:
      SendRootRedirect(client);
      client.Log("] Redirect to status or html sent");
      return;
    case Route::Status:
      SendStatusPage(client);
      client.Log("] Thread terminating, HTTP-status data sent");
      return;
    case Route::StaticFile:
      SendStaticFile(client);
      client.Log("] Thread terminating, static html data sent");
      return;
    case Route::Stream: {
      const StreamTarget target = ParseStreamPath(client.requestPath);
      client.groupAddress = target.group;
      client.groupPortText = target.portText;
      client.groupPort = target.port;
      ServeStreamRequest(client);
      return;
    }
    case Route::NotFound:
      SendReply(client, 404);
      client.Log("] Thread terminating, unknown GET-request");
      return;
  }
}

}  // namespace

void ServeClient(ClientThread& client) {
  RequestHead head;
  if (!ReadRequestHead(client, head)) {
    client.Log("] Thread terminating, no data from socket");
    EndConnection(client);
    return;
  }
  client.firstRequestLine = head.firstLine;
  client.host = head.host;
  client.hostPort = head.hostPort;
  client.Log("] Request: " + RequestLineForLog(client.firstRequestLine));
  RouteRequest(client);
  EndConnection(client);
}
