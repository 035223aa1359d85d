#pragma once
// Small text helpers shared by every module.
#include <string>

// Optional "+" or "-", then decimal digits up to the first other character; no digits give 0.
// Values beyond the int range saturate.
int ParseInteger(const std::string& text);

bool StartsWith(const std::string& text, const std::string& prefix);

// Equal when ASCII letters are folded to lower case; other bytes compare exactly.
bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b);

// path with everything from the last "." of its file name replaced by extension;
// a file name without "." gets extension appended.
std::string ReplaceExtension(const std::string& path, const std::string& extension);
