#include "proxy/ClientThread.h"

#include "proxy/ProxyLog.h"

std::string ConnectionLogPrefix(std::uint64_t threadHandle, const std::string& clientAddress) {
  return std::string(kLogPrefix) + "[" + std::to_string(threadHandle) + ", " + clientAddress;
}

void ClientThread::Log(const std::string& message) const {
  ProxyLog().Append(ConnectionLogPrefix(threadHandle, clientAddress) + message);
}
