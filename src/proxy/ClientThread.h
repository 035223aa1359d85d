#pragma once
// One accepted connection, as the thread that serves it sees it.
#include <cstdint>
#include <string>

#include "platform/Socket.h"

// A client that takes no data for this long has stopped reading: the reply or stream to it ends,
// which frees its thread (and an open file).
inline constexpr int kClientSendTimeoutMilliseconds = 10000;

struct ClientThread {
  std::uint64_t threadHandle = 0;  // names the connection in its log lines
  std::string clientAddress;
  platform::Socket clientSocket;
  platform::Socket multicastSocket;  // created with the connection, used by a stream request
  bool transcoder = false;
  std::string interfaceText;  // the configured list, then the interface chosen for the group
  // The stream a stream request asked for, as decided for it (Router.h).
  std::string groupAddress;
  std::string groupPortText;
  std::uint16_t groupPort = 0;
  std::string sourceAddress;  // the one sender taken, empty for every sender
  bool rtp = false;           // the client gets the RTP packets' payloads alone

  // Logs "PROXY message : [handle, address" + message; messages begin with "] ".
  void Log(const std::string& message) const;
};

// The body of a connection's thread: names the thread in the log, then serve (ServeClient). Whatever serve
// throws (out of memory, for one) ends this connection alone, with a log line; the proxy serves on.
void RunClientThread(ClientThread& client, void (*serve)(ClientThread&));

// The connection's own log prefix: "PROXY message : [" + handle + ", " + address.
std::string ConnectionLogPrefix(std::uint64_t threadHandle, const std::string& clientAddress);
