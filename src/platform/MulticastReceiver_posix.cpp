#include "platform/MulticastReceiver.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include "platform/PosixSupport.h"

namespace platform {
namespace {

// recvmmsg fills one slot per datagram, and a slot must hold the largest datagram whole. The slots
// are address space: only the pages that datagrams reach are ever made resident.
constexpr std::size_t kSlots = 16;
constexpr std::size_t kSlotBytes = 65536;

}  // namespace

DatagramBatch::DatagramBatch() : storage_(new char[kSlots * kSlotBytes]) { taken_.reserve(kSlots); }
DatagramBatch::~DatagramBatch() = default;

// Linux delivers nothing to a socket bound to a unicast interface address, and everything for the
// port to one bound to the any address. Binding the group address itself gives exactly that group.
bool BindMulticastReceiver(SocketHandle socket, std::uint32_t group, std::uint32_t interfaceAddress,
                           std::uint16_t port) {
  // The interface must still be a local address, as it would have to be for the bind elsewhere.
  if (interfaceAddress != htonl(INADDR_ANY)) {
    Socket probe = CreateUdpSocket();
    if (!probe.Valid() || !BindIPv4(probe.Get(), interfaceAddress, 0)) return false;
  }
  // A group that is no multicast address is refused by the join, not here.
  const bool multicast = IN_MULTICAST(ntohl(group));
  return BindIPv4(socket, multicast ? group : htonl(INADDR_ANY), port) && DeliverOnlyOwnGroups(socket);
}

// The socket is bound to the group itself, so every datagram it gets was sent to the group.
bool ReceiveDatagrams(SocketHandle socket, std::uint32_t /*group*/, DatagramBatch& batch) {
  batch.taken_.clear();
  batch.full_ = false;
  iovec slots[kSlots];
  mmsghdr messages[kSlots] = {};
  for (std::size_t i = 0; i < kSlots; ++i) {
    slots[i].iov_base = batch.storage_.get() + i * kSlotBytes;
    slots[i].iov_len = kSlotBytes;
    messages[i].msg_hdr.msg_iov = &slots[i];
    messages[i].msg_hdr.msg_iovlen = 1;
  }
  // MSG_WAITFORONE: the first datagram is waited for (up to SO_RCVTIMEO), the rest only taken.
  const int count =
      RetryOnEintr([&] { return recvmmsg(static_cast<int>(socket), messages, kSlots, MSG_WAITFORONE, nullptr); });
  if (count < 0) return errno == EAGAIN || errno == EWOULDBLOCK;
  for (int i = 0; i < count; ++i) {
    const char* data = static_cast<const char*>(slots[i].iov_base);
    if (messages[i].msg_len > 0) batch.taken_.push_back(ByteRange{data, messages[i].msg_len});
  }
  batch.full_ = static_cast<std::size_t>(count) == kSlots;
  return true;
}

}  // namespace platform
