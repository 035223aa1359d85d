#include "transcoder/VlcLocate.h"

#include "base/TextUtil.h"

namespace {

// Relative to the program's folder, written with "\" for the separator.
const char* const kRelativeFolders[] = {
    "",         "Vlc\\",     "Vlc8\\",     "Vlc10\\",     "Vlc11\\",
    "..\\Vlc\\", "..\\Vlc8\\", "..\\Vlc10\\", "..\\Vlc11\\", "..\\VideoLAN\\Vlc\\",
    "..\\VideoLAN\\", "..\\..\\Programs\\VideoLAN\\",
};

std::string WithSeparator(std::string folder, char separator) {
  if (!folder.empty() && folder.back() != separator) folder += separator;
  return folder;
}

// Everything up to and including the last "\", "/" or ":"; "" when there is none.
std::string FolderPart(const std::string& path) {
  const std::size_t end = path.find_last_of("\\/:");
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

}  // namespace

VlcRegistryValues ReadVlcRegistryValues(const RegistryStringReader& read) {
  VlcRegistryValues values;
  values.installDir = read("Software\\VideoLAN\\VLC", "InstallDir");
  values.playerUninstall = read("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumora_Player",
                                "UninstallString");
  return values;
}

std::vector<std::string> VlcSearchFolders(const VlcLookupInputs& inputs) {
  std::vector<std::string> folders;
  for (const char* relative : kRelativeFolders) {
    std::string folder = relative;
    for (char& c : folder) {
      if (c == '\\') c = inputs.separator;
    }
    folders.push_back(inputs.programFolder + folder);
  }
  const std::string installFolder = WithSeparator(inputs.registry.installDir, inputs.separator);
  if (!installFolder.empty()) folders.push_back(installFolder);
  // The player's uninstaller may sit in the program's own folder, which was the first one tried.
  const std::string playerFolder = WithSeparator(FolderPart(inputs.registry.playerUninstall), inputs.separator);
  if (!playerFolder.empty() && playerFolder != inputs.programFolder) folders.push_back(playerFolder);
  for (const std::string& folder : inputs.systemFolders) folders.push_back(folder);
  return folders;
}

bool IsUsableVlcFolder(const std::string& folder, const std::string& libraryFile, const FileExistsTest& exists) {
  return exists(folder + libraryFile) && !exists(folder + ".skip");
}

std::string FirstUsableVlcFolder(const std::vector<std::string>& folders, const std::string& libraryFile,
                                 const FileExistsTest& exists) {
  for (const std::string& folder : folders) {
    if (IsUsableVlcFolder(folder, libraryFile, exists)) return folder;
  }
  return std::string();
}

int DecideVlcApiLevel(bool coreExists, const std::string& versionText) {
  if (!coreExists) return kVlcLevelClassic;
  if (StartsWith(versionText, "1.1.")) return kVlcLevelMedia;
  // The major version: digits closed by ".". Every release from 2.0 on (3.0 included) has the level-12 entries,
  // some under their newer names.
  std::size_t digits = 0;
  while (digits < versionText.size() && versionText[digits] >= '0' && versionText[digits] <= '9') ++digits;
  if (digits > 0 && digits < versionText.size() && versionText[digits] == '.' &&
      ParseInteger(versionText.substr(0, digits)) >= 2) {
    return kVlcLevelModern;
  }
  return kVlcLevelException;
}
