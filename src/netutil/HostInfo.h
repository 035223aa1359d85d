#pragma once
// Host information for the listener, the control panel and the transcoder. All silent on failure.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/HostNetwork.h"

// Dotted addresses of the non-loopback interfaces, in the platform's order.
std::vector<std::string> ListInterfaceAddresses();
// "|" + every interface address (loopback included) + "|" after each.
std::string LocalAddressText();
std::string LocalAddressTextOf(const std::vector<platform::InterfaceEntry>& interfaces);

// Established TCP connections whose local port is port; -1 when the table is unreadable or empty.
int CountEstablishedOnPort(int port);
int CountEstablishedIn(const std::vector<platform::TcpRow>& rows, int port);

// "%u.%u.%u.%u" of the file's product version, empty when it has none.
std::string GetProductVersionText(const std::string& fileName);

// 32 lower-case hex digits; empty for empty input or when the crypto provider fails.
std::string Md5Hex(const std::string& data);

// Hands a file or address to the desktop shell.
void OpenUrl(std::uintptr_t window, const std::string& target, const std::string& parameters);
