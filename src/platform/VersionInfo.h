#pragma once
#include <cstdint>
#include <string>

namespace platform {

// The product version of a program file as its four 16-bit parts; false when it has none.
bool ReadProductVersion(const std::string& file, std::uint16_t (&parts)[4]);

}  // namespace platform
