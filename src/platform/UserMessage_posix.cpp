#include "platform/UserMessage.h"

#include <cstdio>

namespace platform {

void ShowUserMessage(std::uintptr_t /*owner*/, const std::string& text, const std::string& caption,
                     MessageIcon /*icon*/) {
  const std::string line = (caption.empty() ? text : caption + ": " + text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

void ReportToUser(const std::string& /*caption*/, const std::string& text) {
  const std::string line = text + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

bool HasInteractiveDesktop() { return true; }

}  // namespace platform
