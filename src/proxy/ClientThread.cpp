#include "proxy/ClientThread.h"

#include <exception>
#include <new>

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
