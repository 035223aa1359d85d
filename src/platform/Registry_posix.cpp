#include "platform/Registry.h"

namespace platform {

std::string ReadRegistryExpandString(RegistryRoot, const std::string&, const std::string&,
                                     const std::string& defaultText) {
  return defaultText;
}

std::string ReadRegistryString(RegistryRoot, const std::string&, const std::string&) { return std::string(); }

}  // namespace platform
