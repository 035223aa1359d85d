#include "platform/UserMessage.h"

#include <cstdio>

namespace platform {

void ShowUserMessage(std::uintptr_t /*owner*/, const std::string& text, const std::string& caption,
                     MessageIcon /*icon*/) {
  const std::string line = (caption.empty() ? text : caption + ": " + text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

void ReportToUser(const std::string& /*caption*/, const std::string& text) { WriteStandardErrorLine(text); }

bool WriteStandardErrorLine(const std::string& text) {
  const std::string line = text + "\n";
  const bool written = std::fwrite(line.data(), 1, line.size(), stderr) == line.size();
  return std::fflush(stderr) == 0 && written;
}

bool HasInteractiveDesktop() { return true; }

}  // namespace platform
