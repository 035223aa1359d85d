#include "platform/MulticastReceiver.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/HostNetwork.h"
#include "platform/WindowsHeaders.h"

namespace platform {
namespace {

// Bytes waiting on the socket (FIONREAD), -1 when that cannot be asked.
long BytesAvailable(SocketHandle socket) {
  u_long count = 0;
  if (ioctlsocket(static_cast<SOCKET>(socket), FIONREAD, &count) != 0) return -1;
  return static_cast<long>(count);
}

constexpr std::size_t kDatagramBytes = 65536;
// Datagrams are received one after the other into one run of memory, each while what is left still
// holds the largest possible one, so that a batch goes out as a single piece.
constexpr std::size_t kBatchBytes = 2 * kDatagramBytes;

// WSARecvMsg is reached through a pointer that the socket provider hands out; it is the same for
// every IPv4 datagram socket, so the first one found serves the whole process.
std::atomic<LPFN_WSARECVMSG> receiveMessage{nullptr};

bool FindReceiveMessage(SOCKET socket) {
  if (receiveMessage.load() != nullptr) return true;
  GUID id = WSAID_WSARECVMSG;
  LPFN_WSARECVMSG found = nullptr;
  DWORD size = 0;
  if (WSAIoctl(socket, SIO_GET_EXTENSION_FUNCTION_POINTER, &id, sizeof id, &found, sizeof found, &size, nullptr,
               nullptr) != 0 ||
      found == nullptr) {
    return false;
  }
  receiveMessage.store(found);
  return true;
}

// The destination address that IP_PKTINFO attached to a received datagram, 0 when none came.
std::uint32_t DestinationOf(WSAMSG& message) {
  for (WSACMSGHDR* header = WSA_CMSG_FIRSTHDR(&message); header != nullptr;
       header = WSA_CMSG_NXTHDR(&message, header)) {
    if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
      IN_PKTINFO info;
      std::memcpy(&info, WSA_CMSG_DATA(header), sizeof info);
      return info.ipi_addr.s_addr;
    }
  }
  return 0;
}

enum class Receipt { Datagram, TimedOut, Failed };

// One datagram into buffer, waiting at most the socket's receive time-out. received is 0 for an
// empty datagram and for one that was not sent to group, which is dropped.
Receipt ReceiveOne(SocketHandle socket, std::uint32_t group, char* buffer, std::size_t& received) {
  WSABUF data;
  data.len = static_cast<ULONG>(kDatagramBytes);
  data.buf = buffer;
  alignas(WSACMSGHDR) char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))];
  WSAMSG message{};
  message.lpBuffers = &data;
  message.dwBufferCount = 1;
  message.Control.len = sizeof control;
  message.Control.buf = control;
  DWORD count = 0;
  if (receiveMessage.load()(static_cast<SOCKET>(socket), &message, &count, nullptr, nullptr) == SOCKET_ERROR) {
    return WSAGetLastError() == WSAETIMEDOUT ? Receipt::TimedOut : Receipt::Failed;
  }
  // Another group's datagram, or one whose destination is unknown, is not this client's.
  received = DestinationOf(message) == group ? count : 0;
  return Receipt::Datagram;
}

// Windows refuses to bind to an address that is no interface's; wine lets the bind pass and fails only
// the join. So the address is looked for among the interfaces first (when they can be listed), and the
// answer is the bind's everywhere.
bool IsInterfaceAddress(std::uint32_t address) {
  if (address == htonl(INADDR_ANY)) return true;
  const std::vector<InterfaceEntry> interfaces = ListInterfaces();
  return interfaces.empty() || std::any_of(interfaces.begin(), interfaces.end(),
                                           [address](const InterfaceEntry& entry) { return entry.address == address; });
}

}  // namespace

DatagramBatch::DatagramBatch() : storage_(new char[kBatchBytes]) {}
DatagramBatch::~DatagramBatch() = default;

// Windows delivers a group to sockets bound to the joining interface's address (or any). Such a
// socket also gets every other group joined on the host for the same port (wine hands out all of
// them), so each datagram's destination is asked for and checked on receipt.
bool BindMulticastReceiver(SocketHandle socket, std::uint32_t /*group*/, std::uint32_t interfaceAddress,
                           std::uint16_t port) {
  const SOCKET handle = static_cast<SOCKET>(socket);
  const DWORD on = TRUE;
  return IsInterfaceAddress(interfaceAddress) && FindReceiveMessage(handle) &&
         setsockopt(handle, IPPROTO_IP, IP_PKTINFO, reinterpret_cast<const char*>(&on), sizeof on) == 0 &&
         BindIPv4(socket, interfaceAddress, port);
}

bool ReceiveDatagrams(SocketHandle socket, std::uint32_t group, DatagramBatch& batch) {
  batch.taken_.clear();
  batch.sizes_.clear();
  batch.full_ = false;
  std::size_t filled = 0;
  for (bool first = true;; first = false) {
    if (kBatchBytes - filled < kDatagramBytes) {
      batch.full_ = true;
      break;
    }
    // Winsock has no "do not wait" for one call: after the first receive the queue is asked instead.
    if (!first) {
      const long waiting = BytesAvailable(socket);
      if (waiting < 0) return false;
      if (waiting == 0) break;
    }
    std::size_t received = 0;
    const Receipt receipt = ReceiveOne(socket, group, batch.storage_.get() + filled, received);
    if (receipt == Receipt::Failed) return false;
    if (receipt == Receipt::TimedOut) break;
    if (received > 0) batch.sizes_.push_back(received);
    filled += received;
  }
  if (filled > 0) batch.taken_.push_back(ByteRange{batch.storage_.get(), filled});
  return true;
}

}  // namespace platform
