#include "platform/Registry.h"

namespace platform {

std::string ReadRegistryExpandString(RegistryRoot, const std::string&, const std::string&,
                                     const std::string& defaultText) {
  return defaultText;
}

}  // namespace platform
