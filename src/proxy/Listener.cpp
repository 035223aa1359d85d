#include "proxy/Listener.h"

#include <exception>
#include <memory>

#include "netutil/HostInfo.h"
#include "platform/Socket.h"
#include "platform/SuspendableThread.h"
#include "platform/Thread.h"
#include "proxy/ClientProcedure.h"
#include "proxy/ClientThread.h"
#include "proxy/ProxyLog.h"

namespace {

constexpr int kListenBacklog = 100;
// A failed accept (descriptor limit, a connection reset before it was taken) is not a
// connection; pausing keeps such a failure from spinning the listener.
constexpr unsigned kAcceptFailurePauseMs = 100;

bool IsListenPort(int port) { return port >= 1 && port <= 65535; }

// Builds the connection object and starts its thread, which logs its handle, serves the connection
// and then frees the object; false when no thread could be started.
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

// Waits for the next connection and hands it to a thread of its own; false when the accept failed.
bool AcceptOneConnection(platform::SocketHandle listener, const std::string& multicastInterface,
                         bool transcoderEnabled) {
  // Between two connections is where the service may pause this thread: it holds no lock there, and
  // new connections wait in the backlog meanwhile.
  if (!platform::WaitForConnection(listener)) return false;
  platform::Socket client = platform::Accept(listener);
  if (!client.Valid()) return false;
  LogProxyMessage("New connection, creating new thread");
  if (!StartClientThread(std::move(client), transcoderEnabled, multicastInterface)) {
    LogProxyMessage("Error creating thread, connection closed");
  }
  return true;
}

}  // namespace

std::string ChooseListenAddress(const std::string& localAddressText, const std::string& httpInterface) {
  if (httpInterface.empty() || localAddressText.find(httpInterface) == std::string::npos) return "0.0.0.0";
  return httpInterface;
}

void RunProxyListener(const std::string& multicastInterface, const std::string& httpInterface, int httpPort,
                      bool transcoderEnabled) {
  const std::string listenAddress = ChooseListenAddress(LocalAddressText(), httpInterface);
  LogProxyMessage("Start proxy");
  const std::uint32_t address = platform::InetAddr(listenAddress);

  if (!platform::StartSockets()) {
    LogProxyMessage("Error at WSAStartup!");
    return;
  }
  platform::Socket listener = platform::CreateTcpSocket();
  if (!listener.Valid()) {
    LogProxyMessage("Error creating socket!");
    platform::StopSockets();
    return;
  }
  // A port that does not fit fails like a taken one, rather than wrapping round to another port.
  if (!IsListenPort(httpPort) || !platform::BindIPv4(listener.Get(), address, static_cast<std::uint16_t>(httpPort))) {
    LogProxyMessage("Error binding listen socket at port " + std::to_string(httpPort) + " !");
    listener.Close();
    platform::StopSockets();
    return;
  }
  if (!platform::Listen(listener.Get(), kListenBacklog)) {
    const int error = platform::LastSocketError();
    LogProxyMessage("Listen error #" + std::to_string(error));
    listener.Close();
    platform::StopSockets();
    return;
  }
  LogProxyMessage("Start listening at " + listenAddress + ":" + std::to_string(httpPort) + " (MultiCast at " +
                  multicastInterface + ")");

  for (;;) {
    try {
      if (!AcceptOneConnection(listener.Get(), multicastInterface, transcoderEnabled)) {
        platform::SleepMilliseconds(kAcceptFailurePauseMs);
      }
    } catch (const std::exception&) {
      // Out of memory between two connections: the one at hand is closed, the next may fare better.
      platform::SleepMilliseconds(kAcceptFailurePauseMs);
    }
  }
}
