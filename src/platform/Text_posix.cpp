#include "platform/Text.h"

namespace platform {

std::string LowerCaseText(const std::string& text) {
  // tolower in the "C" locale, which the process keeps for character classes: ASCII letters only, so the
  // result does not depend on the user's locale or on multi-byte encodings.
  std::string result = text;
  for (char& c : result) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 'A' && byte <= 'Z') c = static_cast<char>(byte - 'A' + 'a');
  }
  return result;
}

}  // namespace platform
