#include "platform/Shell.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <pthread.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <string>
#include <vector>

#include "platform/PosixSupport.h"

extern char** environ;

namespace platform {
namespace {

std::vector<std::string> BlankSeparatedWords(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (const char c : text) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

void* ReapChild(void* argument) {
  const auto child = static_cast<pid_t>(reinterpret_cast<std::intptr_t>(argument));
  RetryOnEintr([&] { return waitpid(child, nullptr, 0); });
  return nullptr;
}

// Starts file (searched in PATH when it has no "/") with argv, not waited for but reaped when it ends, so that no
// zombie stays behind. The child does not inherit this process's ignored SIGPIPE or its blocked signals.
void SpawnDetached(const char* file, std::vector<std::string> words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);

  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return;
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&attributes, &signals);
  sigaddset(&signals, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &signals);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  pid_t child = 0;
  const int spawned = posix_spawnp(&child, file, nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) return;

  pthread_attr_t threadAttributes;
  pthread_t reaper;
  if (pthread_attr_init(&threadAttributes) != 0) return;
  pthread_attr_setdetachstate(&threadAttributes, PTHREAD_CREATE_DETACHED);
  pthread_create(&reaper, &threadAttributes, ReapChild, reinterpret_cast<void*>(static_cast<std::intptr_t>(child)));
  pthread_attr_destroy(&threadAttributes);
}

}  // namespace

void ShellOpen(std::uintptr_t /*window*/, const std::string& target, const std::string& parameters) {
  std::vector<std::string> words{"xdg-open", target};
  for (std::string& word : BlankSeparatedWords(parameters)) words.push_back(std::move(word));
  SpawnDetached("xdg-open", std::move(words));
}

void StartProgram(const std::string& programPath, const std::string& argument) {
  SpawnDetached(programPath.c_str(), {programPath, argument});
}

}  // namespace platform
