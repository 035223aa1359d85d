#include "proxy/TranscoderHandOff.h"

#include "proxy/Replies.h"

// This build has no transcoder process yet, so a hand-off always finds none running.
void HandOffToTranscoder(ClientThread& client) {
  SendReply(client, 400);
  client.Log("] Error - transcoder not running, redirect not sent");
}
