#include "platform/Text.h"

#include "platform/WindowsHeaders.h"

namespace platform {

std::string LowerCaseText(const std::string& text) {
  std::string lower = text;
  if (!lower.empty() && lower.size() <= MAXDWORD) CharLowerBuffA(lower.data(), static_cast<DWORD>(lower.size()));
  return lower;
}

}  // namespace platform
