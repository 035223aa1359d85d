#pragma once
// Binding and reading a socket that is to receive one multicast group.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Socket.h"

namespace platform {

// Binds the socket so that it receives the group's datagrams on port (host order) once it has
// joined the group on interfaceAddress (both network order). False when the interface is not a
// local address or the bind is refused.
bool BindMulticastReceiver(SocketHandle socket, std::uint32_t group, std::uint32_t interfaceAddress,
                           std::uint16_t port);

// Room for the datagrams that one receive takes, each one whole whatever its size (up to the 65507
// bytes an IPv4 datagram can carry); how it is laid out is the system's affair.
class DatagramBatch {
 public:
  DatagramBatch();
  ~DatagramBatch();
  DatagramBatch(const DatagramBatch&) = delete;
  DatagramBatch& operator=(const DatagramBatch&) = delete;

  // The bytes of the datagrams the last receive took, end to end in order of arrival, in one or more
  // pieces; valid until the next receive.
  const std::vector<ByteRange>& Taken() const { return taken_; }
  // The size of each of those datagrams, in the same order: where one ends and the next begins.
  const std::vector<std::size_t>& Sizes() const { return sizes_; }
  // True when the last receive stopped because the batch had no room left: more may be waiting.
  bool Full() const { return full_; }

 private:
  friend bool ReceiveDatagrams(SocketHandle socket, std::uint32_t group, DatagramBatch& batch);
  std::unique_ptr<char[]> storage_;
  std::vector<ByteRange> taken_;
  std::vector<std::size_t> sizes_;
  bool full_ = false;
};

// Waits at most the socket's receive time-out (SetReceiveTimeout) for a datagram, then takes every
// one already waiting, as many as the batch holds, without waiting again. Empty datagrams and those
// sent to another address than group (network order) are dropped. The batch is empty when nothing
// came in time; false when the socket failed.
bool ReceiveDatagrams(SocketHandle socket, std::uint32_t group, DatagramBatch& batch);

}  // namespace platform
