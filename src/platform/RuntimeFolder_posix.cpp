#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/PosixSupport.h"

namespace platform {
namespace {

// The folder when it is ours alone (a directory, not a link, owned by us, writable by nobody else); else empty.
std::string PrivateFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return std::string();
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid() ||
      (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return std::string();
  }
  return path;
}

std::string RuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') {
    std::string folder = PrivateFolder(std::string(runtime) + "/corvane");
    if (!folder.empty()) return folder;
  }
  return PrivateFolder("/tmp/corvane-" + std::to_string(geteuid()));
}

}  // namespace

std::string PrivateRuntimePath(const std::string& name) {
  const std::string folder = RuntimeFolder();
  if (folder.empty()) return std::string();
  std::string file = name;
  for (char& c : file) {
    if (c == '/' || c == '\0') c = '_';
  }
  // Neither "", "." nor ".." may name the folder itself or its parent.
  if (file.empty() || file[0] == '.') file.insert(0, 1, '_');
  return folder + "/" + file;
}

}  // namespace platform
