#include "proxy/ClientThread.h"

#include <exception>
#include <memory>
#include <new>

#include "platform/Thread.h"
#include "proxy/ClientProcedure.h"
#include "proxy/ProxyLog.h"

std::string ConnectionLogPrefix(std::uint64_t threadHandle, const std::string& clientAddress) {
  return std::string(kLogPrefix) + "[" + std::to_string(threadHandle) + ", " + clientAddress;
}

void ClientThread::Log(const std::string& message) const {
  ProxyLog().Append(ConnectionLogPrefix(threadHandle, clientAddress) + message);
}

namespace {

// Closes the connection even when there is no memory left to say so.
void EndFailedConnection(ClientThread& client, const char* reason) noexcept {
  client.clientSocket.Close();
  client.multicastSocket.Close();
  try {
    client.Log(std::string("] Thread terminating, ") + reason);
    client.Log("] Connection closed, thread terminated");
  } catch (const std::exception&) {
  }
}

}  // namespace

bool StartClientThread(platform::Socket clientSocket, bool transcoder, const std::string& multicastInterface) {
  auto client = std::make_shared<ClientThread>();
  client->clientAddress = platform::PeerAddressText(clientSocket.Get()).substr(0, 1024);
  client->clientSocket = std::move(clientSocket);
  client->transcoder = transcoder;
  client->interfaceText = multicastInterface;
  client->multicastSocket = platform::CreateUdpSocket();
  // The thread owns the connection from here on; if no thread starts, the shared pointer
  // releases it here and both sockets close. The new thread names itself in the log, so the
  // listener goes back to accepting without waiting for it to be scheduled.
  return platform::StartDetachedThread([client](std::uint64_t threadHandle) {
    client->threadHandle = threadHandle;
    RunClientThread(*client, ServeClient);
  });
}

void RunClientThread(ClientThread& client, void (*serve)(ClientThread&)) {
  try {
    LogProxyMessage("New thread handle is " + std::to_string(client.threadHandle));
    serve(client);
  } catch (const std::bad_alloc&) {
    EndFailedConnection(client, "out of memory");
  } catch (const std::exception& failure) {
    EndFailedConnection(client, failure.what());
  }
}
