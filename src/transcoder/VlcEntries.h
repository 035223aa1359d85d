#pragma once
// The libvlc entry points the player may call, as one table over four generations of the interface.
// A generation is bound as a whole: every entry of every group it needs must be found, or none is used.
#include <cstddef>
#include <functional>
#include <string>

#include "platform/DynamicLibrary.h"
#include "transcoder/VlcLocate.h"

// Which generations need an entry.
enum class VlcEntryGroup {
  kA,  // level 11 and up
  kB,  // level 9 and up
  kC,  // level 9 only
  kD,  // level 8 only
  kE,  // every level
  kF,  // below level 12
};

// One entry per row of the table, in table order; the value is the row's index.
enum VlcEntryId : int {
  kVideoSetDeinterlace,
  kNew, kRelease, kGetVersion, kMediaNewPath, kMediaNewLocation, kMediaRelease, kMediaAddOption, kMediaPlayerNew,
  kMediaPlayerNewFromMedia, kMediaPlayerRelease, kMediaPlayerGetMedia, kMediaPlayerGetLength, kMediaPlayerGetTime,
  kMediaPlayerGetPosition, kMediaPlayerSetPosition, kMediaPlayerGetRate, kMediaPlayerSetRate, kMediaPlayerGetState,
  kMediaPlayerStop, kMediaPlayerPause, kMediaPlayerPlay, kAudioGetMute, kAudioSetMute, kAudioGetVolume,
  kAudioSetVolume, kAudioGetTrackCount, kAudioGetTrack, kAudioSetTrack, kVideoTakeSnapshot, kMediaPlayerSetHwnd,
  kVideoSetAspectRatio, kVideoSetCropGeometry, kAddIntf, kObjectFindName, kGetLogVerbosity, kSetLogVerbosity,
  kLogOpen, kLogClose, kLogCount, kLogClear, kLogGetIterator, kLogIteratorFree, kLogIteratorHasNext,
  kLogIteratorNext,
  kExceptionClear, kPlaylistAddExtended, kPlaylistClear, kPlaylistPlay, kPlaylistGetMediaPlayer,
  kClassicAddIntf, kClassicAddTarget, kClassicCleanUp, kClassicCreate, kClassicDestroy, kClassicError, kClassicInit,
  kClassicIsPlaying, kClassicLengthGet, kClassicPause, kClassicPlay, kClassicPlaylistClear, kClassicPositionGet,
  kClassicPositionSet, kClassicSpeedFaster, kClassicSpeedSlower, kClassicStop, kClassicTimeGet, kClassicTimeSet,
  kClassicVariableGet, kClassicVariableSet, kClassicVersion, kClassicVolumeGet, kClassicVolumeMute,
  kClassicVolumeSet, kCurrentObject,
  kVarSet, kVarGet, kVarChange,
  kObjectFind,
  kVlcEntryCount
};

struct VlcEntry {
  VlcEntryId id;
  VlcEntryGroup group;
  // Looked up in libvlccore rather than libvlc, from level 9 on.
  bool fromCore;
  // Bound, and therefore required, but never called by the player.
  bool neverCalled;
  // Alternative export names, most preferred first, separated by ",".
  const char* names;
};

// The whole table, in binding order (groups A to F).
const VlcEntry* VlcEntryTable();
constexpr std::size_t kVlcEntryTableSize = kVlcEntryCount;

// Whether a generation binds the entries of a group.
bool VlcGroupApplies(VlcEntryGroup group, int level);

// Whether an entry marked fromCore is looked up in libvlccore at this level (level 8 has no libvlccore).
bool UsesVlcCore(bool fromCore, int level);

// The text shown when none of an entry's names is exported: the name list with a "," appended.
std::string MissingVlcEntryText(const char* names);

using VlcExportLookup = std::function<platform::LibraryFunction(const std::string& name)>;

// The address of the first of the entry's names that lookup finds, each name trimmed of blanks; the list ends at
// its first empty name. Null when none is found.
platform::LibraryFunction ResolveVlcEntry(const char* names, const VlcExportLookup& lookup);
