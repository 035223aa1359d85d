#include "platform/Text.h"

#include <cstdlib>

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

std::uint16_t SystemDefaultLanguageId() {
  constexpr std::uint16_t kEnglish = 0x0409;
  // The first variable that is set and not empty names the locale of messages, as setlocale reads them.
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || value[0] == '\0') continue;
    // "ru_RU.UTF-8", "uk_UA", "be_BY@latin", "ru": the language is the part before "_", "." or "@".
    const std::string locale = value;
    const std::string language = locale.substr(0, locale.find_first_of("_.@"));
    if (language == "ru") return 0x0419;
    if (language == "uk") return 0x0422;
    if (language == "be") return 0x0423;
    return kEnglish;
  }
  return kEnglish;
}

std::string Utf8FromSystemCodePage(const std::string& text) { return text; }

bool SystemCodePageFromUtf8(const std::string& utf8, std::string& text) {
  text = utf8;
  return true;
}

}  // namespace platform
