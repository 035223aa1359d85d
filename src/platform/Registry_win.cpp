#include "platform/Registry.h"

#include <algorithm>

#include "platform/WinHandles.h"

namespace platform {
namespace {

HKEY RootKey(RegistryRoot) { return HKEY_LOCAL_MACHINE; }

bool Accepted(DWORD type, bool plainToo) { return type == REG_EXPAND_SZ || (plainToo && type == REG_SZ); }

std::string ReadStringValue(RegistryRoot root, const std::string& subkey, const std::string& valueName,
                            const std::string& defaultText, bool plainToo) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(RootKey(root), subkey.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return defaultText;
  const ScopedRegistryKey key(opened);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      !Accepted(type, plainToo)) {
    return defaultText;
  }
  std::string text(size, '\0');
  if (size > 0 && (RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, &type,
                                    reinterpret_cast<BYTE*>(&text[0]), &size) != ERROR_SUCCESS ||
                   !Accepted(type, plainToo))) {
    return defaultText;
  }
  // Stored with its terminating NUL as a rule; a value written without one is taken whole.
  text.resize(std::min<std::size_t>(size, text.size()));
  const std::size_t end = text.find('\0');
  return end == std::string::npos ? text : text.substr(0, end);
}

}  // namespace

std::string ReadRegistryExpandString(RegistryRoot root, const std::string& subkey, const std::string& valueName,
                                     const std::string& defaultText) {
  return ReadStringValue(root, subkey, valueName, defaultText, false);
}

std::string ReadRegistryString(RegistryRoot root, const std::string& subkey, const std::string& valueName) {
  return ReadStringValue(root, subkey, valueName, std::string(), true);
}

}  // namespace platform
