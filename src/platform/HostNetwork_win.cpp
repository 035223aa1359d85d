#include "platform/HostNetwork.h"

#include "platform/Socket.h"
#include "platform/WindowsHeaders.h"

namespace platform {

namespace {

// One use of the socket library for the length of a call; the library counts its users.
class SocketLibraryUse {
 public:
  SocketLibraryUse() : started_(StartSockets()) {}
  SocketLibraryUse(const SocketLibraryUse&) = delete;
  SocketLibraryUse& operator=(const SocketLibraryUse&) = delete;
  ~SocketLibraryUse() {
    if (started_) StopSockets();
  }
  bool Started() const { return started_; }

 private:
  bool started_;
};

// Enough for any real host; only a broken answer would make the list grow past it.
constexpr std::size_t kMostInterfaces = 4096;

}  // namespace

std::vector<InterfaceEntry> ListInterfaces() {
  std::vector<InterfaceEntry> interfaces;
  SocketLibraryUse library;
  if (!library.Started()) return interfaces;
  Socket probe = CreateTcpSocket();
  if (!probe.Valid()) return interfaces;

  // The call does not say how much room it needs, only that it had too little: grow until it fits.
  std::vector<INTERFACE_INFO> records(16);
  DWORD bytes = 0;
  for (;;) {
    const DWORD room = static_cast<DWORD>(records.size() * sizeof(INTERFACE_INFO));
    if (WSAIoctl(static_cast<SOCKET>(probe.Get()), SIO_GET_INTERFACE_LIST, nullptr, 0, records.data(), room, &bytes,
                 nullptr, nullptr) == 0) {
      break;
    }
    const int error = WSAGetLastError();
    if ((error != WSAEFAULT && error != WSAENOBUFS) || records.size() >= kMostInterfaces) return interfaces;
    records.resize(records.size() * 2);
  }

  const std::size_t count = bytes / sizeof(INTERFACE_INFO);
  for (std::size_t i = 0; i < count && i < records.size(); ++i) {
    InterfaceEntry entry;
    entry.address = records[i].iiAddress.AddressIn.sin_addr.s_addr;
    entry.loopback = (records[i].iiFlags & IFF_LOOPBACK) != 0;
    interfaces.push_back(entry);
  }
  return interfaces;
}

bool ReadTcpTable(std::vector<TcpRow>& rows) {
  rows.clear();
  ULONG size = 0;
  if (GetTcpTable(nullptr, &size, TRUE) != ERROR_INSUFFICIENT_BUFFER || size == 0) return false;
  // ULONGLONG elements keep the table aligned for its DWORD fields. Connections made between the size query and
  // the read outgrow the buffer; the call then gives the new size, and a few tries are enough.
  std::vector<ULONGLONG> buffer;
  MIB_TCPTABLE* table = nullptr;
  DWORD result = ERROR_INSUFFICIENT_BUFFER;
  for (int attempt = 0; attempt < 5 && result == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
    buffer.assign((size + sizeof(ULONGLONG) - 1) / sizeof(ULONGLONG), 0);
    table = reinterpret_cast<MIB_TCPTABLE*>(buffer.data());
    result = GetTcpTable(table, &size, TRUE);
  }
  if (result != NO_ERROR) return false;

  rows.reserve(table->dwNumEntries);
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    TcpRow row;
    row.state = static_cast<int>(table->table[i].dwState);
    row.localPort = ntohs(static_cast<u_short>(table->table[i].dwLocalPort));
    rows.push_back(row);
  }
  return true;
}

}  // namespace platform
