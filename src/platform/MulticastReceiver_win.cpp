#include "platform/MulticastReceiver.h"

#include <atomic>
#include <cstring>

#include "platform/WindowsHeaders.h"

namespace platform {
namespace {

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

}  // namespace

// Windows delivers a group to sockets bound to the joining interface's address (or any). Such a
// socket also gets every other group joined on the host for the same port (wine hands out all of
// them), so each datagram's destination is asked for and checked on receipt.
bool BindMulticastReceiver(SocketHandle socket, std::uint32_t /*group*/, std::uint32_t interfaceAddress,
                           std::uint16_t port) {
  const SOCKET handle = static_cast<SOCKET>(socket);
  const DWORD on = TRUE;
  return FindReceiveMessage(handle) &&
         setsockopt(handle, IPPROTO_IP, IP_PKTINFO, reinterpret_cast<const char*>(&on), sizeof on) == 0 &&
         BindIPv4(socket, interfaceAddress, port);
}

int ReceiveDatagram(SocketHandle socket, std::uint32_t group, void* buffer, std::size_t size) {
  WSABUF data;
  data.len = static_cast<ULONG>(size);
  data.buf = static_cast<char*>(buffer);
  alignas(WSACMSGHDR) char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))];
  WSAMSG message{};
  message.lpBuffers = &data;
  message.dwBufferCount = 1;
  message.Control.len = sizeof control;
  message.Control.buf = control;
  DWORD received = 0;
  if (receiveMessage.load()(static_cast<SOCKET>(socket), &message, &received, nullptr, nullptr) == SOCKET_ERROR) {
    return WSAGetLastError() == WSAETIMEDOUT ? 0 : -1;
  }
  // Another group's datagram, or one whose destination is unknown, is not this client's.
  return DestinationOf(message) == group ? static_cast<int>(received) : 0;
}

}  // namespace platform
