#include "base/TextUtil.h"

#include <climits>

int ParseInteger(const std::string& text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<int>(value);
}

std::string NormaliseNumberText(const std::string& text) { return std::to_string(ParseInteger(text)); }

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  std::string result;
  std::size_t start = 0;
  for (std::size_t found; (found = text.find(from, start)) != std::string::npos; start = found + from.size()) {
    result.append(text, start, found - start);
    result += to;
  }
  result.append(text, start, std::string::npos);
  return result;
}

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  const auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
  const std::size_t nameStart = path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1;
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return path + extension;
  return path.substr(0, dot) + extension;
}
