#include "platform/Process.h"

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstring>
#include <ctime>

namespace platform {
namespace {

// strerror_r is the GNU one (returning the text) or the POSIX one (filling the buffer), depending on the
// C library and its feature macros; these two overloads take whichever the build sees.
[[maybe_unused]] const char* ErrorTextOf(const char* gnuResult, const char*) { return gnuResult; }
[[maybe_unused]] const char* ErrorTextOf(int posixResult, const char* buffer) { return posixResult == 0 ? buffer : nullptr; }

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc && argv != nullptr && argv[i] != nullptr; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}

void InitialiseProcess() {
  // Only the date and time formats follow the user's locale; number parsing and character classes stay "C".
  std::setlocale(LC_TIME, "");
  tzset();
  // A client that disconnects must fail a send, not end the process.
  std::signal(SIGPIPE, SIG_IGN);
}

std::string LastErrorText() {
  const int error = errno;
  char buffer[256] = {};
  const char* text = ErrorTextOf(strerror_r(error, buffer, sizeof buffer), buffer);
  if (text == nullptr || text[0] == '\0') return "error " + std::to_string(error);
  return text;
}

}  // namespace platform
