#pragma once
// UTF-8 and UTF-16 for the platform files that call the wide ("W") functions of Windows.
#include <string>

namespace platform {

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);

}  // namespace platform
