#include "proxy/Relay.h"

#include <atomic>
#include <chrono>

#include "platform/MulticastReceiver.h"
#include "platform/PauseTimer.h"
#include "platform/Socket.h"
#include "proxy/RelayLoop.h"
#include "proxy/Replies.h"
#include "proxy/RtpSource.h"

namespace {

constexpr int kSocketReceiveBufferBytes = 4194304;

// Streams being forwarded in the process: the load that sets the length of their beat.
std::atomic<int> flowingStreams{0};

class FlowingStream {
 public:
  FlowingStream() { ++flowingStreams; }
  ~FlowingStream() { --flowingStreams; }
  FlowingStream(const FlowingStream&) = delete;
  FlowingStream& operator=(const FlowingStream&) = delete;
};

class MulticastSource : public DatagramSource {
 public:
  MulticastSource(platform::SocketHandle socket, std::uint32_t group) : socket_(socket), group_(group) {}
  TakenDatagrams Receive() override {
    TakenDatagrams taken;
    taken.failed = !platform::ReceiveDatagrams(socket_, group_, batch_);
    taken.pieces = batch_.Taken().data();
    taken.count = batch_.Taken().size();
    taken.full = batch_.Full();
    taken.sizes = batch_.Sizes().data();
    taken.datagrams = batch_.Sizes().size();
    return taken;
  }

 private:
  platform::SocketHandle socket_;
  std::uint32_t group_;
  platform::DatagramBatch batch_;
};

class ClientSink : public StreamSink {
 public:
  explicit ClientSink(platform::SocketHandle socket) : socket_(socket) {}
  bool Send(const platform::ByteRange* pieces, std::size_t count) override {
    return platform::SendAllGathered(socket_, pieces, count);
  }

 private:
  platform::SocketHandle socket_;
};

std::int64_t NowMicroseconds() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

class SteadyClock : public RelayClock {
 public:
  std::int64_t NowMicroseconds() override { return ::NowMicroseconds(); }
  void Pause(std::int64_t microseconds) override { timer_.Pause(static_cast<unsigned>(microseconds)); }

 private:
  platform::PauseTimer timer_;
};

// The client's membership: the whole group, or with a source only that sender's datagrams.
struct Membership {
  platform::SocketHandle socket;
  std::uint32_t group;
  std::uint32_t source;  // 0 for every sender
  std::uint32_t interfaceAddress;

  bool Join() const {
    return source == 0 ? platform::JoinGroup(socket, group, interfaceAddress)
                       : platform::JoinSourceGroup(socket, group, source, interfaceAddress);
  }
  void Leave() const {
    if (source == 0) {
      platform::LeaveGroup(socket, group, interfaceAddress);
    } else {
      platform::LeaveSourceGroup(socket, group, source, interfaceAddress);
    }
  }
};

}  // namespace

void RelayStream(ClientThread& client) {
  // An empty interface text means no particular interface, as "0.0.0.0" does.
  const std::uint32_t interfaceAddress =
      platform::InetAddr(client.interfaceText.empty() ? std::string("0.0.0.0") : client.interfaceText);
  const std::uint32_t group = platform::InetAddr(client.groupAddress);
  const platform::SocketHandle socket = client.multicastSocket.Get();
  const bool sourceSpecific = !client.sourceAddress.empty();
  const Membership membership{socket, group, sourceSpecific ? platform::InetAddr(client.sourceAddress) : 0,
                              interfaceAddress};

  if (!platform::SetReuseAddress(socket, true)) {
    client.Log("] Thread terminating, SO_REUSEADRR socket error");
    return;
  }
  if (!platform::BindMulticastReceiver(socket, group, interfaceAddress, client.groupPort)) {
    client.Log("] Thread terminating, BIND socket error");
    return;
  }
  if (!platform::SetReceiveBufferSize(socket, kSocketReceiveBufferBytes)) {
    client.Log("] Thread terminating, SO_RCVBUF socket error");
    return;
  }
  std::int64_t joinTime = NowMicroseconds();
  if (!membership.Join()) {
    client.Log(sourceSpecific ? "] Thread terminating, IP_ADD_SOURCE_MEMBERSHIP socket error"
                              : "] Thread terminating, IP_ADD_MEMBERSHIP socket error");
    return;
  }
  if (!platform::SetReceiveTimeout(socket, kIdlePollMilliseconds)) {
    client.Log("] Thread terminating, FIONREAD socket error");
    membership.Leave();
    return;
  }
  const platform::SocketHandle clientSocket = client.clientSocket.Get();
  // Each send carries all that came in one beat; Nagle's algorithm would only hold it back until the
  // client's delayed acknowledgement (tens of milliseconds).
  platform::SetNoDelay(clientSocket, true);
  platform::SetSendTimeout(clientSocket, kClientSendTimeoutMilliseconds);
  SendReply(client, 200);

  MulticastSource datagrams(socket, group);
  RtpSource payloads(datagrams, [&client] { client.Log("] Dropping datagrams that are not RTP"); });
  DatagramSource& source = client.rtp ? static_cast<DatagramSource&>(payloads) : datagrams;
  ClientSink sink(clientSocket);
  SteadyClock clock;
  const FlowingStream flowing;
  GatherLoad load;
  load.streams = [] { return flowingStreams.load(std::memory_order_relaxed); };
  load.receiveBufferBytes = platform::ReceiveBufferSize(socket);
  const RelayEnd end = ForwardDatagrams(source, sink, clock, [&] {
    if (joinTime == 0) return;
    client.Log("] First data from " + client.groupAddress + ":" + client.groupPortText + " recieved after " +
               std::to_string((NowMicroseconds() - joinTime + 500) / 1000) + " ms");
    joinTime = 0;
  }, load);

  switch (end) {
    case RelayEnd::Silence:
      client.Log("] Thread terminating, drops counter overflow");
      break;
    case RelayEnd::ReceiveFailed:
      client.multicastSocket.Close();
      client.Log("] Thread terminating, nothing recieved from socket");
      break;
    case RelayEnd::ClientGone:
      client.multicastSocket.Close();
      client.Log("] Thread terminating, client closed socket");
      break;
  }
  if (client.multicastSocket.Valid()) membership.Leave();
}
