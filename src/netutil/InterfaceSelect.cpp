#include "netutil/InterfaceSelect.h"

#include <vector>

#include "base/TextUtil.h"
#include "platform/Text.h"

namespace {

constexpr std::size_t kMaskLimit = 256;

}  // namespace

bool MatchesMask(const std::string& text, const std::string& mask) {
  const std::string t = platform::LowerCaseText(text);
  const std::string m = platform::LowerCaseText(mask);
  // Greedy match with one backtrack point per "*": linear in practice, never exponential.
  std::size_t ti = 0, mi = 0, starMask = std::string::npos, starText = 0;
  while (ti < t.size()) {
    // A "*" of the mask is a wildcard before anything else, even facing a "*" of the text.
    if (mi < m.size() && m[mi] == '*') {
      starMask = mi++;
      starText = ti;
    } else if (mi < m.size() && (m[mi] == '?' || m[mi] == t[ti])) {
      ++ti;
      ++mi;
    } else if (starMask != std::string::npos) {
      mi = starMask + 1;
      ti = ++starText;
    } else {
      return false;
    }
  }
  while (mi < m.size() && m[mi] == '*') ++mi;
  return mi == m.size();
}

std::string ListField(const std::string& text, char delimiter, int index) {
  std::size_t start = 0;
  for (int i = 0; i < index; ++i) {
    const std::size_t next = text.find(delimiter, start);
    if (next == std::string::npos) return std::string();
    start = next + 1;
  }
  const std::size_t end = text.find(delimiter, start);
  return end == std::string::npos ? std::string() : text.substr(start, end - start);
}

std::string TrimControl(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsBlankOrControl(text[first])) ++first;
  while (last > first && IsBlankOrControl(text[last - 1])) --last;
  return text.substr(first, last - first);
}

std::string SelectMulticastInterface(const std::string& interfaceList, const std::string& group) {
  if (interfaceList.find(',') == std::string::npos) return interfaceList;
  const std::string list = interfaceList + ",";
  std::string result;
  for (int index = 0;; ++index) {
    const std::string item = TrimControl(ListField(list, ',', index));
    if (item.empty()) break;
    const std::size_t at = item.find('@');
    if (at == std::string::npos) {
      result = item;
    } else if (MatchesMask(group, item.substr(at + 1, kMaskLimit))) {
      result = item.substr(0, at);
    }
  }
  return result;
}

bool IsDottedAddress(const std::string& text) {
  int parts = 0;
  std::size_t position = 0;
  while (true) {
    std::size_t digits = 0;
    int value = 0;
    while (position + digits < text.size() && text[position + digits] >= '0' && text[position + digits] <= '9') {
      value = value * 10 + (text[position + digits] - '0');
      if (++digits > 3) return false;
    }
    if (digits == 0 || value > 255) return false;
    position += digits;
    ++parts;
    if (position == text.size()) return parts == 4;
    if (text[position] != '.' || parts == 4) return false;
    ++position;
  }
}
