#pragma once
// Where a VLC installation is looked for, which folder is taken, and which libvlc generation it offers.
// Plain decisions over plain data; the binding (VlcWrap) asks the machine and passes the answers in.
#include <functional>
#include <string>
#include <vector>

// The generations of the libvlc interface, by the code the player switches on.
enum VlcApiLevelCode : int {
  kVlcLevelClassic = 8,    // "VLC_" verbs on an object id, no libvlccore
  kVlcLevelException = 9,  // "libvlc_" entries with a trailing error record, playlist playback
  kVlcLevelMedia = 11,     // media and media-player entries (1.1)
  kVlcLevelModern = 12,    // as 11, crop and aspect ratio through the player (2.0 on)
};

// Reads one string value below HKEY_LOCAL_MACHINE: "" when the key or the value is missing or not a plain string.
using RegistryStringReader = std::function<std::string(const std::string& key, const std::string& value)>;

// The two registry values that name VLC folders, as text ("" when absent).
struct VlcRegistryValues {
  std::string installDir;       // VLC's own installation folder
  std::string playerUninstall;  // the uninstall command of the sibling player, which ships a VLC of its own
};

VlcRegistryValues ReadVlcRegistryValues(const RegistryStringReader& read);

// Everything the search depends on.
struct VlcLookupInputs {
  std::string programFolder;  // the program file's folder, ending in the separator
  char separator = '\\';
  VlcRegistryValues registry;
  std::vector<std::string> systemFolders;  // the system's library folders, ending in the separator
};

// The folders to try, in order: the program's folder and eleven folders relative to it, VLC's "InstallDir", the
// sibling player's folder (left out when it is the program's folder), then the system's library folders.
std::vector<std::string> VlcSearchFolders(const VlcLookupInputs& inputs);

using FileExistsTest = std::function<bool(const std::string& path)>;

// A folder holds a usable VLC when it has the library and no ".skip" marker.
bool IsUsableVlcFolder(const std::string& folder, const std::string& libraryFile, const FileExistsTest& exists);

// The first usable folder of the list, "" when none is.
std::string FirstUsableVlcFolder(const std::vector<std::string>& folders, const std::string& libraryFile,
                                 const FileExistsTest& exists);

// The generation: 8 without libvlccore, 11 for 1.1, 12 for every major version from 2 on, 9 for anything else
// (1.0, an unreadable version).
int DecideVlcApiLevel(bool coreExists, const std::string& versionText);
