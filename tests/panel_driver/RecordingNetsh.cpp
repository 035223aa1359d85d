// Stands in for the system's netsh.exe beside the program under test: appends its whole command line to
// netsh-calls.txt in its own folder and exits with the number in netsh-exit.txt there (0 without it).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  folder.erase(folder.find_last_of('\\') + 1);

  if (std::FILE* calls = std::fopen((folder + "netsh-calls.txt").c_str(), "ab")) {
    std::fprintf(calls, "%s\n", GetCommandLineA());
    std::fclose(calls);
  }
  int code = 0;
  if (std::FILE* exit = std::fopen((folder + "netsh-exit.txt").c_str(), "rb")) {
    if (std::fscanf(exit, "%d", &code) != 1) code = 0;
    std::fclose(exit);
  }
  return code;
}
