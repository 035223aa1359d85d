#include "proxy/ClientProcedure.h"

#include <chrono>

#include "base/TextUtil.h"
#include "platform/Files.h"
#include "proxy/Playlist.h"
#include "proxy/Relay.h"
#include "proxy/Replies.h"
#include "proxy/RequestHead.h"
#include "proxy/Router.h"
#include "proxy/StaticSite.h"
#include "proxy/TranscoderHandOff.h"
#include "platform/TunerInput.h"

namespace {

// Takes exactly the head from the socket, so that nothing after it is read: the bytes are looked
// at in place and only those up to the head's end are taken. A client must send its whole head
// within kHeadTimeoutMilliseconds of connecting: each wait gets only the time that is left, so a
// client that trickles its bytes cannot stretch the limit.
bool ReadRequestHead(ClientThread& client, RequestHead& head) {
  using Clock = std::chrono::steady_clock;
  const platform::SocketHandle socket = client.clientSocket.Get();
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kHeadTimeoutMilliseconds);
  HeadReader reader;
  char chunk[2048];
  while (reader.GetState() == HeadReader::State::Reading) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    // A time-out of 0 would mean none at all.
    if (left <= 0 || !platform::SetReceiveTimeout(socket, static_cast<int>(left))) return false;
    const int available = platform::Peek(socket, chunk, sizeof chunk);
    if (available <= 0) return false;
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
  client.multicastSocket.Close();
}

// One of the fixed replies, then its log line.
void Answer(ClientThread& client, int code, const char* message) {
  SendReply(client, code);
  client.Log(message);
}

void CarryOut(ClientThread& client, const RequestHead& head, const RequestDecision& decision) {
  switch (decision.action) {
    case RequestAction::RootRedirect:
      SendRootRedirect(client, head.host, head.hostPort);
      client.Log("] Redirect to status or html sent");
      return;
    case RequestAction::StatusPage:
      SendStatusPage(client);
      client.Log("] Thread terminating, HTTP-status data sent");
      return;
    case RequestAction::TranscoderStatus:
      SendTranscoderStatus(client);
      client.Log("] Thread terminating, transcoder status sent");
      return;
    case RequestAction::StaticFile:
      SendStaticFile(client, decision.path);
      client.Log("] Thread terminating, static html data sent");
      return;
    case RequestAction::Playlist:
      client.Log(SendPlaylist(client, head.host, head.hostPort, StartsWith(head.firstLine, "HEAD")));
      return;
    case RequestAction::NotFound:
      return Answer(client, 404, "] Thread terminating, unknown GET-request");
    case RequestAction::HeadReply:
      return Answer(client, 200, "] Thread terminating, HEAD-responce");
    case RequestAction::BadRequest:
      return Answer(client, 400, "] Thread terminating, unknown HTTP-request");
    case RequestAction::TranscoderHandOff:
    case RequestAction::Relay:
      client.Log("] Source: " + (decision.source.empty() ? std::string() : decision.source + "@") + decision.group +
                 ":" + decision.groupPortText);
      client.groupAddress = decision.group;
      client.sourceAddress = decision.source;
      client.rtp = decision.kind == StreamKind::Rtp;
      client.groupPortText = decision.groupPortText;
      client.groupPort = decision.groupPort;
      client.interfaceText = decision.interfaceText;
      if (decision.action == RequestAction::Relay) {
        RelayStream(client);
      } else if (decision.group == "tv" && !platform::HasTunerCaptureInput()) {
        // The transcoder could only fail to open the tuner, and the player would be sent to a port nobody serves.
        Answer(client, 400, "] Error - no TV tuner input on this system, request refused");
      } else {
        HandOffToTranscoder(client, head.host, head.hostPort);
      }
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
  client.Log("] Request: " + RequestLineForLog(head.firstLine));
  platform::SetSendTimeout(client.clientSocket.Get(), kClientSendTimeoutMilliseconds);
  const RequestDecision decision = DecideRequest(head, client.interfaceText, client.transcoder, [] {
    return platform::GetFileKind(StaticFolder()) == platform::FileKind::Directory;
  });
  CarryOut(client, head, decision);
  EndConnection(client);
}
