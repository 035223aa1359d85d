#include "transcoder/VlcWrap.h"

#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/UserMessage.h"

namespace {

constexpr const char* kVersionFunction = "libvlc_get_version";

VlcMessageRoute messageRoute = nullptr;

}  // namespace

std::string VlcLibraryFile() { return platform::SharedLibraryFileName("libvlc", 5); }
std::string VlcCoreFile() { return platform::SharedLibraryFileName("libvlccore", 9); }

VlcBinding::VlcBinding(VlcLookupInputs inputs, VlcMessageSink showMessage)
    : inputs_(std::move(inputs)), showMessage_(std::move(showMessage)) {}

bool VlcBinding::LocateVlc() {
  const std::string found = FirstUsableVlcFolder(VlcSearchFolders(inputs_), VlcLibraryFile(), platform::IsFile);
  if (!found.empty()) folder_ = found;
  // Without a folder the names alone are tried, relative to the current directory.
  const std::string core = folder_ + VlcCoreFile();
  const bool coreExists = platform::IsFile(core);
  const std::string version =
      coreExists ? platform::LibraryVersionText(core, folder_ + VlcLibraryFile(), kVersionFunction) : std::string();
  level_ = DecideVlcApiLevel(coreExists, version);
  return !found.empty();
}

std::string VlcBinding::GetVlcFolder() {
  if (folder_.empty()) LocateVlc();
  return folder_;
}

int VlcBinding::LoadVlc() {
  if (!libvlc_.IsOpen()) {
    // libvlccore first: libvlc's own need for it is then met by the copy beside it, not by another one that the
    // system's search happens to find.
    core_.Open(VlcCoreFile());
    libvlc_.Open(VlcLibraryFile());
    if ((!libvlc_.IsOpen() || !core_.IsOpen()) && LocateVlc()) {
      if (!core_.IsOpen() && platform::IsFile(folder_ + VlcCoreFile())) core_.Open(folder_ + VlcCoreFile());
      if (!libvlc_.IsOpen() && platform::IsFile(folder_ + VlcLibraryFile())) libvlc_.Open(folder_ + VlcLibraryFile());
    }
  }
  if (libvlc_.IsOpen()) return 0;
  core_.Close();
  folder_.clear();
  loadError_ = -1;
  return -1;
}

int VlcBinding::BindVlcEntry(const char* names, platform::LibraryFunction& function, bool fromCore) {
  if (!libvlc_.IsOpen()) {
    const int loaded = LoadVlc();
    if (loaded != 0) return loaded;
  }
  const platform::DynamicLibrary& module = UsesVlcCore(fromCore, level_) ? core_ : libvlc_;
  function = ResolveVlcEntry(names, [&module](const std::string& name) { return module.Find(name); });
  if (function != nullptr) return 0;
  showMessage_(MissingVlcEntryText(names));
  loadError_ = -2;
  return -2;
}

int VlcBinding::BindVlcApi() {
  if (bound_) return 0;
  loadError_ = 0;
  // From the VLC folder, loads by name alone and the libraries' own dependencies resolve there. A failed change
  // leaves the search as it is.
  const std::string previous = platform::CurrentDirectory();
  const std::string folder = GetVlcFolder();
  if (!folder.empty()) platform::ChangeCurrentDirectory(folder);
  if (LoadVlc() == 0) {
    const VlcEntry* table = VlcEntryTable();
    for (std::size_t i = 0; i < kVlcEntryTableSize; ++i) {
      // A missing entry does not stop the others: each one missing is named.
      if (VlcGroupApplies(table[i].group, level_)) BindVlcEntry(table[i].names, entries_[i], table[i].fromCore);
    }
  }
  const int result = loadError_;
  if (!previous.empty()) platform::ChangeCurrentDirectory(previous);
  if (result == 0) {
    bound_ = true;
  } else {
    Unload();
    folder_.clear();
  }
  return result;
}

void VlcBinding::Unload() {
  for (platform::LibraryFunction& entry : entries_) entry = nullptr;
  libvlc_.Close();
  core_.Close();
}

VlcLookupInputs ProgramVlcLookupInputs() {
  VlcLookupInputs inputs;
  inputs.separator = platform::PathSeparator();
  inputs.programFolder = platform::ProgramFolder();
  inputs.systemFolders = platform::SystemLibraryFolders();
  return inputs;
}

VlcRegistryValues ReadMachineVlcRegistry() {
  return ReadVlcRegistryValues([](const std::string& key, const std::string& value) {
    return platform::ReadRegistryString(platform::RegistryRoot::LocalMachine, key, value);
  });
}

void SetVlcMessageRoute(VlcMessageRoute route) { messageRoute = route; }

void ShowVlcMessage(std::uintptr_t owner, const std::string& text, const std::string& caption) {
  if (messageRoute != nullptr) {
    messageRoute(text, caption);
  } else {
    platform::ShowUserMessage(owner, text, caption,
                              caption.empty() ? platform::MessageIcon::kNone : platform::MessageIcon::kExclamation);
  }
}

VlcBinding& ProcessVlcBinding() {
  // Never destroyed: a bound libvlc stays loaded for the process, and its threads may run until the very end.
  static VlcBinding* const binding =
      new VlcBinding(ProgramVlcLookupInputs(), [](const std::string& text) { ShowVlcMessage(0, text, std::string()); });
  return *binding;
}
