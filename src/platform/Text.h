#pragma once
#include <string>

namespace platform {

// Lower-cases single-byte text the way the system does for its ANSI code page
// (CharLowerBuffA on Windows, the C library's tolower elsewhere).
std::string LowerCaseText(const std::string& text);

}  // namespace platform
