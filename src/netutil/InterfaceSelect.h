#pragma once
// The interface list that maps multicast groups to local interfaces:
// "192.168.0.1, 192.168.1.2@233.7.*.*" joins 233.7.x.x on 192.168.1.2 and everything else on 192.168.0.1.
#include <string>

// Wildcard match of the whole text: "*" any run of characters, "?" exactly one; letters without case.
bool MatchesMask(const std::string& text, const std::string& mask);

// Field index (0-based) between delimiters; a field not followed by the delimiter is empty.
std::string ListField(const std::string& text, char delimiter, int index);

// Removes leading and trailing bytes 1 to 32 (and NUL).
std::string TrimControl(const std::string& text);

// The interface for a group: a text without "," as it stands; otherwise the last entry that applies.
std::string SelectMulticastInterface(const std::string& interfaceList, const std::string& group);

// Four decimal numbers from 0 to 255 separated by dots, nothing else.
bool IsDottedAddress(const std::string& text);
