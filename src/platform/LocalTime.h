#pragma once
// The local date and time in the user's own formats.
#include <string>

namespace platform {

// "date time" of one reading of the local clock: the user's short date and time formats
// (GetDateFormatA/GetTimeFormatA on Windows, the locale's %x and %X elsewhere).
std::string LocalDateTimeText();

}  // namespace platform
