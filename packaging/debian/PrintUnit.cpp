// Prints the systemd unit of the installed program: the same text that "/install" writes, so the
// package and a hand installation cannot drift apart.
#include <cstdio>
#include <string>

#include "base/ProcessValues.h"
#include "service/SystemdUnit.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s PROGRAM-PATH\n", argv[0]);
    return 2;
  }
  const std::string unit = platform::SystemdUnitText(kProductTitle, argv[1], "/service");
  if (unit.empty()) return 1;
  std::fputs(unit.c_str(), stdout);
  return 0;
}
