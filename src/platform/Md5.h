#pragma once
#include <array>
#include <string>

namespace platform {

// MD5 of the bytes; false when the crypto provider fails.
bool Md5Digest(const std::string& data, std::array<unsigned char, 16>& digest);

}  // namespace platform
