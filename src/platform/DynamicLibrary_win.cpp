#include "platform/DynamicLibrary.h"

#include <cstdio>

#include "platform/VersionInfo.h"
#include "platform/WindowsHeaders.h"

namespace platform {

std::string SharedLibraryFileName(const std::string& baseName, int /*interfaceVersion*/) { return baseName + ".dll"; }

std::vector<std::string> SystemLibraryFolders() { return {}; }

std::string LibraryVersionText(const std::string& resourceFile, const std::string& /*libraryFile*/,
                               const std::string& /*versionFunction*/) {
  std::uint16_t parts[4] = {};
  if (!ReadProductVersion(resourceFile, parts)) return std::string();
  char text[32];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", parts[0], parts[1], parts[2], parts[3]);
  return text;
}

std::string CurrentDirectory() {
  const DWORD size = GetCurrentDirectoryA(0, nullptr);
  if (size == 0) return std::string();
  std::string folder(size, '\0');
  const DWORD length = GetCurrentDirectoryA(size, &folder[0]);
  if (length == 0 || length >= size) return std::string();
  folder.resize(length);
  return folder;
}

bool ChangeCurrentDirectory(const std::string& folder) { return SetCurrentDirectoryA(folder.c_str()) != FALSE; }

bool DynamicLibrary::Open(const std::string& fileName) {
  Close();
  handle_ = LoadLibraryA(fileName.c_str());
  return handle_ != nullptr;
}

LibraryFunction DynamicLibrary::Find(const std::string& name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<LibraryFunction>(GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()));
}

void DynamicLibrary::Unload(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }

}  // namespace platform
