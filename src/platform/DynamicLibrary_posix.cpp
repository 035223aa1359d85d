#include "platform/DynamicLibrary.h"

#include <climits>
#include <dlfcn.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

bool IsFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string SharedLibraryFileName(const std::string& baseName, int interfaceVersion) {
  return baseName + ".so." + std::to_string(interfaceVersion);
}

std::vector<std::string> SystemLibraryFolders() {
  // The dynamic linker tells its own search path: LD_LIBRARY_PATH, then the system's folders (on Debian
  // with the multiarch ones). Asked through the handle of the program itself.
  void* self = dlopen(nullptr, RTLD_NOW);
  if (self == nullptr) return {};
  std::vector<std::string> folders;
  Dl_serinfo size{};
  if (dlinfo(self, RTLD_DI_SERINFOSIZE, &size) == 0 && size.dls_size >= sizeof(Dl_serinfo)) {
    std::unique_ptr<char[]> buffer(new char[size.dls_size]);
    auto* info = reinterpret_cast<Dl_serinfo*>(buffer.get());
    *info = size;
    if (dlinfo(self, RTLD_DI_SERINFO, info) == 0) {
      for (unsigned i = 0; i < info->dls_cnt; ++i) {
        const std::string folder = WithSeparator(info->dls_serpath[i].dls_name);
        bool seen = false;
        for (const std::string& known : folders) seen = seen || known == folder;
        if (!seen) folders.push_back(folder);
      }
    }
  }
  dlclose(self);
  return folders;
}

std::string LibraryVersionText(const std::string& /*resourceFile*/, const std::string& libraryFile,
                               const std::string& versionFunction) {
  void* handle = dlopen(libraryFile.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return std::string();
  std::string text;
  using VersionFunction = const char* (*)();
  const auto function = reinterpret_cast<VersionFunction>(dlsym(handle, versionFunction.c_str()));
  if (function != nullptr) {
    const char* version = function();
    if (version != nullptr) text = version;
  }
  dlclose(handle);
  return text;
}

std::string CurrentDirectory() {
  char folder[PATH_MAX];
  return getcwd(folder, sizeof folder) != nullptr ? std::string(folder) : std::string();
}

bool ChangeCurrentDirectory(const std::string& folder) { return chdir(folder.c_str()) == 0; }

bool DynamicLibrary::Open(const std::string& fileName) {
  Close();
  std::string path = fileName;
  if (fileName.find('/') == std::string::npos) {
    // By its full path, not "./name": a library that finds its own plug-ins beside itself reads the name it was
    // loaded under, and a relative one would stop fitting once the current directory changes back.
    const std::string folder = CurrentDirectory();
    if (!folder.empty() && IsFile(WithSeparator(folder) + fileName)) path = WithSeparator(folder) + fileName;
  }
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  return handle_ != nullptr;
}

LibraryFunction DynamicLibrary::Find(const std::string& name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<LibraryFunction>(dlsym(handle_, name.c_str()));
}

void DynamicLibrary::Unload(void* handle) { dlclose(handle); }

}  // namespace platform
