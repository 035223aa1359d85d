// Feeds arbitrary text through the playlist rewriter: every line of the input is in the output, the
// same or rewritten, and a line that was not an address stays as it was.
#include <cstddef>
#include <cstdint>
#include <string>

#include "proxy/Playlist.h"

namespace {

std::size_t CountLines(const std::string& text) {
  std::size_t lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string playlist(reinterpret_cast<const char*>(data), size);
  const std::string rewritten = RewritePlaylist(playlist, "192.168.0.5:7781");
  if (CountLines(rewritten) != CountLines(playlist)) __builtin_trap();
  if (rewritten.size() < playlist.size()) __builtin_trap();
  if (playlist.find("://") == std::string::npos && rewritten != playlist) __builtin_trap();
  return 0;
}
