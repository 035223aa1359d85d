// Large-file offsets for 32-bit builds too; must precede every include.
#define _FILE_OFFSET_BITS 64

#include "platform/Files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/TextUtil.h"
#include "platform/PosixSupport.h"

namespace platform {
namespace {

// The file a write to path lands in: links followed to their end, also when that end does not exist yet.
std::string LinkedFile(const std::string& path) {
  std::string file = path;
  constexpr int kMostLinks = 40;  // as the kernel follows before it gives up with ELOOP
  for (int link = 0; link < kMostLinks; ++link) {
    char target[PATH_MAX];
    const ssize_t length = readlink(file.c_str(), target, sizeof target);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) break;
    const std::string next(target, static_cast<std::size_t>(length));
    // A relative target is relative to the link's own folder.
    file = next[0] == '/' ? next : file.substr(0, file.rfind('/') + 1) + next;
  }
  return file;
}

}  // namespace

std::string ProgramPath() {
  std::string path(256, '\0');
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", &path[0], path.size());
    if (length < 0) return std::string();
    // readlink truncates silently: a result that fills the buffer may be cut short.
    if (static_cast<std::size_t>(length) < path.size()) {
      path.resize(static_cast<std::size_t>(length));
      return path;
    }
    path.resize(path.size() * 2);
  }
}

FileKind GetFileKind(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return FileKind::Missing;
  return S_ISDIR(info.st_mode) ? FileKind::Directory : FileKind::File;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  // Read to the end rather than by the size: /proc files report a size of 0.
  const UniqueFd fd(RetryOnEintr([&] { return open(path.c_str(), O_RDONLY | O_CLOEXEC); }));
  if (!fd.Valid()) return false;
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t count = RetryOnEintr([&] { return read(fd.Get(), buffer, sizeof buffer); });
    if (count < 0) return false;
    if (count == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(count));
  }
  contents.swap(bytes);
  return true;
}

bool WriteWholeFile(const std::string& path, const std::string& contents) {
  UniqueFd fd(RetryOnEintr([&] { return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666); }));
  return fd.Valid() && WriteAll(fd.Get(), contents) && fd.CloseChecked();
}

bool ReplaceWholeFile(const std::string& path, const std::string& contents) {
  // Through a link to its file: replacing the link itself would part the file from its other names.
  const std::string file = LinkedFile(path);
  const std::string fresh = file + "." + std::to_string(getpid()) + ".new";
  struct stat old {};
  const bool existed = stat(file.c_str(), &old) == 0;
  UniqueFd fd(RetryOnEintr([&] { return open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666); }));
  if (!fd.Valid()) return false;
  // On disk before the rename, so that a crash cannot leave the new name on bytes not yet written.
  const bool replaced = (!existed || fchmod(fd.Get(), old.st_mode & 07777) == 0) && WriteAll(fd.Get(), contents) &&
                        fsync(fd.Get()) == 0 && fd.CloseChecked() && rename(fresh.c_str(), file.c_str()) == 0;
  if (!replaced) {
    const int error = errno;
    unlink(fresh.c_str());
    errno = error;
  }
  return replaced;
}

bool AppendToFile(const std::string& path, const std::string& bytes) {
  UniqueFd fd(RetryOnEintr([&] { return open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600); }));
  if (!fd.Valid()) return false;
  return WriteAll(fd.Get(), bytes) && fd.CloseChecked();
}

std::string RuntimeFileFor(const std::string& programPath, const std::string& extension) {
  const std::string name = ReplaceExtension(programPath.substr(programPath.rfind('/') + 1), extension);
  return PrivateRuntimePath(name);
}

std::string ResolvedPath(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::string();
  std::string result(resolved);
  std::free(resolved);
  return result;
}

char PathSeparator() { return '/'; }

bool InputFile::Open(const std::string& path) {
  Close();
  // "e": close on exec, so programs started later do not inherit the descriptor.
  file_ = std::fopen(path.c_str(), "rbe");
  if (file_ == nullptr) return false;
  // fopen takes a folder here, unlike on Windows; it is not a file to read.
  struct stat info {};
  if (fstat(fileno(file_), &info) != 0 || S_ISDIR(info.st_mode)) {
    Close();
    return false;
  }
  return true;
}

std::int64_t InputFile::Size() const {
  if (file_ == nullptr) return -1;
  struct stat info {};
  if (fstat(fileno(file_), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<std::int64_t>(info.st_size);
}


bool DeleteFileAt(const std::string& path) { return unlink(path.c_str()) == 0; }

}  // namespace platform
