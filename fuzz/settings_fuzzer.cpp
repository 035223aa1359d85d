// The settings reader and the interface-list rules over arbitrary file contents.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "netutil/InterfaceSelect.h"
#include "settings/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string contents(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = SplitSettingsLines(contents);
  std::size_t total = 0;
  for (const std::string& line : lines) total += line.size();
  if (total > size) __builtin_trap();
  if (lines.size() >= 3) (void)ParseInteger(lines[2]);
  if (lines.size() >= 2) {
    (void)SelectMulticastInterface(lines[0], lines[1]);
    (void)MatchesMask(lines[1], lines[0]);
  }
  return 0;
}
