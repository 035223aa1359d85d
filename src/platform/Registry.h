#pragma once
// Reading the Windows registry. Linux has none: every read gives the default.
#include <string>

namespace platform {

enum class RegistryRoot { LocalMachine };

// The text of a REG_EXPAND_SZ value, up to its terminating NUL and not expanded. defaultText when the
// key or the value is missing or the value has another type: a REG_SZ value is not read.
std::string ReadRegistryExpandString(RegistryRoot root, const std::string& subkey, const std::string& valueName,
                                     const std::string& defaultText);

// The text of a REG_SZ or REG_EXPAND_SZ value, not expanded; "" when the key or the value is missing or the value
// has another type.
std::string ReadRegistryString(RegistryRoot root, const std::string& subkey, const std::string& valueName);

}  // namespace platform
