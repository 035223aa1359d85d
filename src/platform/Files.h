#pragma once
// Files and the program's own path.
#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

// The running program's full file path (GetModuleFileNameA / /proc/self/exe).
std::string ProgramPath();

enum class FileKind { Missing, File, Directory };
FileKind GetFileKind(const std::string& path);

// The whole file, or false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& contents);
// Creates or truncates the file and writes the bytes in one write.
bool WriteWholeFile(const std::string& path, const std::string& contents);
// Writes the bytes to a new file beside the file (the file a link names, when it is a link) and puts that in
// the file's place, so that the file holds either its old bytes or all the new ones, whatever fails. A file
// that did not exist is made; on Linux one that did keeps its permission bits.
bool ReplaceWholeFile(const std::string& path, const std::string& contents);
// Adds the bytes at the file's end, creating it when missing; others may read it meanwhile.
bool AppendToFile(const std::string& path, const std::string& bytes);
// False when the file could not be deleted (a missing file included).
bool DeleteFileAt(const std::string& path);

// The absolute path with links and parent steps resolved, empty when the file does not exist.
std::string ResolvedPath(const std::string& path);
// A file that this user's running copies of the program share: beside the program with the extension in place of
// its own (Windows); elsewhere, where the program's folder is often not writable, the program file's name with the
// extension in the user's private runtime folder ("" when there is none).
std::string RuntimeFileFor(const std::string& programPath, const std::string& extension);
// The folder separator of the platform's own paths.
char PathSeparator();

// Present and not a folder.
inline bool IsFile(const std::string& path) { return GetFileKind(path) == FileKind::File; }

// The running program's folder, ending in the separator; empty when its path has none.
inline std::string ProgramFolder() {
  const std::string program = ProgramPath();
  return program.substr(0, program.rfind(PathSeparator()) + 1);
}

// A file opened for reading in pieces; closes on destruction.
class InputFile {
 public:
  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();
  bool Open(const std::string& path);
  // The size in bytes, -1 when unknown.
  std::int64_t Size() const;
  // Bytes read, 0 at the end, -1 on error.
  long Read(void* buffer, std::size_t size);

 private:
  void Close();

  std::FILE* file_ = nullptr;
};

}  // namespace platform
