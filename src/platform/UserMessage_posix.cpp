#include "platform/UserMessage.h"

#include <cstdio>

namespace platform {

void ShowUserMessage(const std::string&, const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
}

}  // namespace platform
