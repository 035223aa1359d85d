#include "platform/LocalTime.h"

#include <vector>

#include "platform/WindowsHeaders.h"

namespace platform {

namespace {

// Both format calls answer the length they need (terminator included) when given no buffer.
template <typename Format>
std::string FormatWith(Format format) {
  const int needed = format(nullptr, 0);
  if (needed <= 0) return {};
  std::vector<char> text(static_cast<std::size_t>(needed));
  const int written = format(text.data(), needed);
  if (written <= 0) return {};
  return std::string(text.data(), static_cast<std::size_t>(written - 1));
}

}  // namespace

std::string LocalDateTimeText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::string date = FormatWith([&now](char* buffer, int size) {
    return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, buffer, size);
  });
  const std::string time = FormatWith([&now](char* buffer, int size) {
    return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, buffer, size);
  });
  return date + " " + time;
}

}  // namespace platform
