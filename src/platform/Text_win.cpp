#include "platform/Text.h"

#include <climits>

#include "platform/WinText.h"
#include "platform/WindowsHeaders.h"

namespace platform {

namespace {

std::wstring WideFrom(const std::string& text, UINT codePage) {
  if (text.empty() || text.size() > INT_MAX) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
  return wide;
}

// usedDefault, when given, reports a character that the code page cannot hold.
std::string NarrowFrom(const std::wstring& wide, UINT codePage, BOOL* usedDefault) {
  if (wide.empty() || wide.size() > INT_MAX) return std::string();
  const int size = static_cast<int>(wide.size());
  // UTF-8 takes neither the default-character report nor best-fit mapping.
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int length = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, usedDefault);
  if (length <= 0) return std::string();
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), size, text.data(), length, nullptr, usedDefault);
  return text;
}

}  // namespace

std::wstring WideFromUtf8(const std::string& text) { return WideFrom(text, CP_UTF8); }

std::string Utf8FromWide(const std::wstring& text) { return NarrowFrom(text, CP_UTF8, nullptr); }

std::string LowerCaseText(const std::string& text) {
  std::string lower = text;
  if (!lower.empty() && lower.size() <= MAXDWORD) CharLowerBuffA(lower.data(), static_cast<DWORD>(lower.size()));
  return lower;
}

std::uint16_t SystemDefaultLanguageId() { return GetSystemDefaultLangID(); }

std::string Utf8FromSystemCodePage(const std::string& text) { return Utf8FromWide(WideFrom(text, CP_ACP)); }

bool SystemCodePageFromUtf8(const std::string& utf8, std::string& text) {
  // A system whose code page is UTF-8 itself takes the text as it is (and refuses the default-character report).
  if (GetACP() == CP_UTF8) {
    text = utf8;
    return true;
  }
  const std::wstring wide = WideFromUtf8(utf8);
  BOOL usedDefault = FALSE;
  text = NarrowFrom(wide, CP_ACP, &usedDefault);
  // Anything that came out empty from non-empty input was lost on the way.
  return !usedDefault && text.empty() == utf8.empty();
}

}  // namespace platform
