#include "platform/MulticastReceiver.h"

#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>

#include "platform/PosixSupport.h"

namespace platform {
namespace {

// recvmmsg fills one slot per datagram, and a slot must hold the largest datagram whole. Each slot
// is a head, which holds a whole datagram of a usual stream (seven transport stream packets, with an
// RTP header or without), and a tail for the rest of a larger one. The heads lie together, so a
// usual stream keeps only the pages of the batch that its longest beat fills resident; the tails are
// address space that only large datagrams ever touch. The slots hold a longest beat of an 8 Mbit/s
// stream, so that it goes out in one receive and one send.
constexpr std::size_t kSlots = 32;
constexpr std::size_t kHeadBytes = 1536;
constexpr std::size_t kTailBytes = 65536 - kHeadBytes;

char* Head(char* storage, std::size_t slot) { return storage + slot * kHeadBytes; }
char* Tail(char* storage, std::size_t slot) { return storage + kSlots * kHeadBytes + slot * kTailBytes; }

}  // namespace

DatagramBatch::DatagramBatch() : storage_(new char[kSlots * (kHeadBytes + kTailBytes)]) {
  taken_.reserve(2 * kSlots);
  sizes_.reserve(kSlots);
}
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
  const bool bound = multicast ? BindGroupAddress(static_cast<int>(socket), group, port)
                               : BindIPv4(socket, htonl(INADDR_ANY), port);
  // Bound to the group, the socket already gets that group alone; the option only adds that groups other
  // sockets join stay out. Where it is unknown (qemu-user answers ENOPROTOOPT) the bind's filter suffices.
  return bound && (DeliverOnlyOwnGroups(socket) || errno == ENOPROTOOPT);
}

// The socket is bound to the group itself, so every datagram it gets was sent to the group.
bool ReceiveDatagrams(SocketHandle socket, std::uint32_t /*group*/, DatagramBatch& batch) {
  batch.taken_.clear();
  batch.sizes_.clear();
  batch.full_ = false;
  char* storage = batch.storage_.get();
  iovec parts[kSlots][2];
  mmsghdr messages[kSlots] = {};
  for (std::size_t i = 0; i < kSlots; ++i) {
    parts[i][0] = iovec{Head(storage, i), kHeadBytes};
    parts[i][1] = iovec{Tail(storage, i), kTailBytes};
    messages[i].msg_hdr.msg_iov = parts[i];
    messages[i].msg_hdr.msg_iovlen = 2;
  }
  // MSG_WAITFORONE: the first datagram is waited for (up to SO_RCVTIMEO), the rest only taken.
  const int count =
      RetryOnEintr([&] { return recvmmsg(static_cast<int>(socket), messages, kSlots, MSG_WAITFORONE, nullptr); });
  if (count < 0) return errno == EAGAIN || errno == EWOULDBLOCK;
  for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
    const std::size_t size = messages[i].msg_len;
    if (size == 0) continue;
    batch.sizes_.push_back(size);
    batch.taken_.push_back(ByteRange{Head(storage, i), size < kHeadBytes ? size : kHeadBytes});
    if (size > kHeadBytes) batch.taken_.push_back(ByteRange{Tail(storage, i), size - kHeadBytes});
  }
  batch.full_ = static_cast<std::size_t>(count) == kSlots;
  return true;
}

}  // namespace platform
