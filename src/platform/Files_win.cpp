#include "platform/Files.h"

#include <io.h>

#include <climits>
#include <vector>

#include "base/TextUtil.h"
#include "platform/WinHandles.h"

namespace platform {

namespace {

// Beyond the longest path the system can name; a bigger answer is not a path.
constexpr DWORD kLongestPath = 32768;

}  // namespace

std::string ProgramPath() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
    if (length == 0) return {};
    // A full buffer means the name was cut short.
    if (length < size) return std::string(buffer.data(), length);
    if (size >= kLongestPath) return {};
    buffer.resize(size * 2);
  }
}

FileKind GetFileKind(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return FileKind::Missing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileKind::Directory : FileKind::File;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  // Shared for deletion too, so that a file being replaced meanwhile (ReplaceWholeFile) can be.
  ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  std::string result;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0) result.reserve(static_cast<std::size_t>(size.QuadPart));

  // Read to the end rather than to the size: the file may grow or shrink meanwhile.
  char piece[65536];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), piece, sizeof piece, &read, nullptr)) return false;
    if (read == 0) break;
    result.append(piece, read);
  }
  contents.swap(result);
  return true;
}

bool WriteWholeFile(const std::string& path, const std::string& contents) {
  if (contents.size() > MAXDWORD) return false;
  ScopedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  const DWORD size = static_cast<DWORD>(contents.size());
  DWORD written = 0;
  return WriteFile(file.Get(), contents.data(), size, &written, nullptr) && written == size;
}

bool ReplaceWholeFile(const std::string& path, const std::string& contents) {
  if (contents.size() > MAXDWORD) return false;
  const std::string fresh = path + "." + std::to_string(GetCurrentProcessId()) + ".new";
  ScopedHandle file(
      CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  const DWORD size = static_cast<DWORD>(contents.size());
  DWORD written = 0;
  // On disk before the move, so that a crash cannot leave the file's name on bytes not yet written.
  const bool replaced = WriteFile(file.Get(), contents.data(), size, &written, nullptr) && written == size &&
                        FlushFileBuffers(file.Get()) && file.Close() &&
                        MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!replaced) {
    file.Close();
    const DWORD error = GetLastError();
    DeleteFileA(fresh.c_str());
    SetLastError(error);
  }
  return replaced;
}

bool AppendToFile(const std::string& path, const std::string& bytes) {
  if (bytes.size() > MAXDWORD) return false;
  ScopedHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  const DWORD size = static_cast<DWORD>(bytes.size());
  DWORD written = 0;
  return WriteFile(file.Get(), bytes.data(), size, &written, nullptr) && written == size;
}

std::string RuntimeFileFor(const std::string& programPath, const std::string& extension) {
  return ReplaceExtension(programPath, extension);
}

std::string ResolvedPath(const std::string& path) {
  // Backup semantics lets the same call open folders as well as files.
  ScopedHandle file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.Valid()) return {};
  std::vector<char> buffer(MAX_PATH);
  DWORD length = 0;
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    length = GetFinalPathNameByHandleA(file.Get(), buffer.data(), size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return {};
    if (length < size) break;
    // Too small: the answer is the size needed, terminator included.
    if (length > kLongestPath) return {};
    buffer.resize(length);
  }
  std::string result(buffer.data(), length);
  // The call answers in the long-path form: \\?\C:\folder, \\?\UNC\server\share.
  if (result.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\\\" + result.substr(8);
  if (result.compare(0, 4, "\\\\?\\") == 0) return result.substr(4);
  return result;
}

char PathSeparator() { return '\\'; }

bool InputFile::Open(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "rb");
  return file_ != nullptr;
}

std::int64_t InputFile::Size() const {
  if (file_ == nullptr) return -1;
  // Asked of the open file itself, so the read position stays where it is.
  return _filelengthi64(_fileno(file_));
}


bool DeleteFileAt(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

}  // namespace platform
