#pragma once
// Small text helpers shared by every module.
#include <string>

// Optional "+" or "-", then decimal digits up to the first other character; no digits give 0.
// Values beyond the int range saturate.
int ParseInteger(const std::string& text);

// Integer value of text as decimal text ("0080" -> "80", "" -> "0").
std::string NormaliseNumberText(const std::string& text);

bool StartsWith(const std::string& text, const std::string& prefix);

// text between double quotes, as command lines carry a path.
inline std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Every occurrence of from, left to right, replaced by to; what a replacement wrote is not searched again.
std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to);

// Blanks and the control bytes below them.
inline bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

// Equal when ASCII letters are folded to lower case; other bytes compare exactly.
bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b);

// path with everything from the last "." of its file name replaced by extension;
// a file name without "." gets extension appended.
std::string ReplaceExtension(const std::string& path, const std::string& extension);
