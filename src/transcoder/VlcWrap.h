#pragma once
// libvlc, found and bound at run time. The program does not link libvlc: the first player creation finds a VLC
// installation, loads its two libraries, decides the interface generation they offer and resolves every entry
// point that generation needs. A failed attempt leaves nothing loaded, and the next player creation starts over.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/DynamicLibrary.h"
#include "transcoder/VlcEntries.h"
#include "transcoder/VlcLocate.h"

// The libvlc file names of this platform.
std::string VlcLibraryFile();
std::string VlcCoreFile();

// Shows a message to the person at the machine.
using VlcMessageSink = std::function<void(const std::string& text)>;

// One search, load and binding of libvlc with its state. The process keeps one (ProcessVlcBinding); tests make
// their own over folders of their own.
class VlcBinding {
 public:
  VlcBinding(VlcLookupInputs inputs, VlcMessageSink showMessage);
  VlcBinding(const VlcBinding&) = delete;
  VlcBinding& operator=(const VlcBinding&) = delete;

  // Searches the folders in order; on a find sets the folder. Decides the level whatever the outcome.
  bool LocateVlc();
  // The folder of the last find, searching first when there is none yet.
  std::string GetVlcFolder();
  // Loads the libraries when not loaded yet: 0, or -1 when libvlc could not be loaded.
  int LoadVlc();
  // Resolves one entry by its alternative names into function: 0, -1 (libvlc not loadable) or -2 (missing, with a
  // message naming it).
  int BindVlcEntry(const char* names, platform::LibraryFunction& function, bool fromCore);
  // Loads and binds the whole table for the level, once: 0, -1 or -2.
  int BindVlcApi();

  // The generation code, set by every search (0 before the first).
  int ApiLevel() const { return level_; }
  int LoadError() const { return loadError_; }
  // The folder of the last find, "" when none (or after a failed binding).
  const std::string& Folder() const { return folder_; }
  // A bound entry, null when its group is not bound at this level or nothing is bound.
  platform::LibraryFunction Entry(VlcEntryId id) const { return entries_[id]; }
  // An entry outside the table that only some generations export (libvlc's log callback); null when libvlc is not
  // loaded or does not export it.
  platform::LibraryFunction Optional(const char* name) const { return libvlc_.IsOpen() ? libvlc_.Find(name) : nullptr; }

  // The registry values for the searches from now on (the transcoder reads them at its start).
  void SetRegistryValues(const VlcRegistryValues& values) { inputs_.registry = values; }

 private:
  void Unload();

  VlcLookupInputs inputs_;
  VlcMessageSink showMessage_;
  platform::DynamicLibrary libvlc_;
  platform::DynamicLibrary core_;  // not used at level 8, which has no libvlccore
  std::string folder_;
  int level_ = 0;
  int loadError_ = 0;
  bool bound_ = false;
  platform::LibraryFunction entries_[kVlcEntryCount] = {};
};

// The lookup inputs of the running program: its own folder and the system's library folders, no registry values.
VlcLookupInputs ProgramVlcLookupInputs();

// The two registry values as the machine holds them (below HKEY_LOCAL_MACHINE; none on Linux).
VlcRegistryValues ReadMachineVlcRegistry();

// Where the binding's and the player's messages go: a message box (ShowUserMessage) until a route is set. The
// transcoder sets one that logs them when nobody could close a box.
using VlcMessageRoute = void (*)(const std::string& text, const std::string& caption);
void SetVlcMessageRoute(VlcMessageRoute route);
void ShowVlcMessage(std::uintptr_t owner, const std::string& text, const std::string& caption);

// The process's binding. Once bound, libvlc stays loaded until the process ends.
VlcBinding& ProcessVlcBinding();
