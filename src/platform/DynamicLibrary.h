#pragma once
// Libraries loaded at run time, and what finding them needs.
#include <string>
#include <vector>

namespace platform {

// An exported function of unknown type; the caller casts it to the type it knows.
using LibraryFunction = void (*)();

// The file name of a shared library: "libvlc.dll" on Windows, "libvlc.so.5" (name and interface version) elsewhere.
std::string SharedLibraryFileName(const std::string& baseName, int interfaceVersion);

// The folders the system's library search covers by itself, each ending in the path separator, in search order.
// Windows gives none: programs there are found through their own folders and the registry.
std::vector<std::string> SystemLibraryFolders();

// The version a library states about itself, "" when it states none. Windows reads the product version in the
// version resource of resourceFile ("2.2.8.0"). Shared objects carry no such resource, so elsewhere libraryFile is
// loaded and its function versionFunction, of the form `const char* f(void)`, is asked ("3.0.21 Vetinari").
std::string LibraryVersionText(const std::string& resourceFile, const std::string& libraryFile,
                               const std::string& versionFunction);

// The process's current directory, "" when it cannot be read.
std::string CurrentDirectory();
bool ChangeCurrentDirectory(const std::string& folder);

// One loaded library, unloaded on destruction: the owner type of library handles on both platforms. A library
// kept for the whole process is simply never destroyed.
class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  DynamicLibrary(DynamicLibrary&& other) noexcept;
  DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;
  ~DynamicLibrary();

  // A path with a folder loads that file. A bare file name goes through the system's search, which on Windows
  // includes the current directory; elsewhere the current directory's copy is taken first for the same effect.
  // Dependencies are resolved by the system as usual. False when nothing was loaded.
  bool Open(const std::string& fileName);
  bool IsOpen() const;
  // Null when the library does not export the name.
  LibraryFunction Find(const std::string& name) const;
  void Close();

 private:
  // Frees a handle that Open obtained (FreeLibrary / dlclose).
  static void Unload(void* handle);

  void* handle_ = nullptr;  // the module handle, or the dlopen handle
};

}  // namespace platform
