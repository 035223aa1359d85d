#include "platform/LocalTime.h"

#include <ctime>

namespace platform {

std::string LocalDateTimeText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return std::string();
  // %x and %X follow LC_TIME, which InitialiseProcess takes from the user's environment.
  char text[256];
  const std::size_t length = std::strftime(text, sizeof text, "%x %X", &local);
  return std::string(text, length);
}

}  // namespace platform
