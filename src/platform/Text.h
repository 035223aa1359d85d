#pragma once
#include <cstdint>
#include <string>

namespace platform {

// Lower-cases single-byte text the way the system does for its ANSI code page
// (CharLowerBuffA on Windows, the C library's tolower elsewhere).
std::string LowerCaseText(const std::string& text);

// The language of the system's user interface as a Windows language identifier (0x0419 Russian, 0x0409
// English US...): GetSystemDefaultLangID on Windows; elsewhere from the locale variables LC_ALL,
// LC_MESSAGES and LANG, the first one set deciding; locales other than Russian, Ukrainian and
// Belarusian give 0x0409.
std::uint16_t SystemDefaultLanguageId();

// Single-byte text in the system's ANSI code page (the settings file, system messages) to UTF-8 and
// back. Elsewhere than on Windows the bytes stay as they are. The way back returns false when a
// character has no equivalent in the code page; text then holds the best the code page can do.
std::string Utf8FromSystemCodePage(const std::string& text);
bool SystemCodePageFromUtf8(const std::string& utf8, std::string& text);

}  // namespace platform
