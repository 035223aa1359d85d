#include "transcoder/VlcEntries.h"

#include "netutil/InterfaceSelect.h"

namespace {

using G = VlcEntryGroup;
constexpr bool kCore = true;
constexpr bool kLib = false;
constexpr bool kUnused = true;
constexpr bool kUsed = false;

// clang-format off
constexpr VlcEntry kEntries[] = {
    {kVideoSetDeinterlace,     G::kA, kLib, kUsed, "libvlc_video_set_deinterlace"},
    {kNew,                     G::kB, kLib, kUsed, "libvlc_new"},
    {kRelease,                 G::kB, kLib, kUsed, "libvlc_release"},
    {kGetVersion,              G::kB, kLib, kUsed, "libvlc_get_version"},
    {kMediaNewPath,            G::kB, kLib, kUsed, "libvlc_media_new,libvlc_media_new_path"},
    {kMediaNewLocation,        G::kB, kLib, kUsed, "libvlc_media_new,libvlc_media_new_location"},
    {kMediaRelease,            G::kB, kLib, kUsed, "libvlc_media_release"},
    {kMediaAddOption,          G::kB, kLib, kUsed, "libvlc_media_add_option"},
    {kMediaPlayerNew,          G::kB, kLib, kUsed, "libvlc_media_player_new"},
    {kMediaPlayerNewFromMedia, G::kB, kLib, kUsed, "libvlc_media_player_new_from_media"},
    {kMediaPlayerRelease,      G::kB, kLib, kUsed, "libvlc_media_player_release"},
    {kMediaPlayerGetMedia,     G::kB, kLib, kUnused, "libvlc_media_player_get_media"},
    {kMediaPlayerGetLength,    G::kB, kLib, kUnused, "libvlc_media_player_get_length"},
    {kMediaPlayerGetTime,      G::kB, kLib, kUnused, "libvlc_media_player_get_time"},
    {kMediaPlayerGetPosition,  G::kB, kLib, kUnused, "libvlc_media_player_get_position"},
    {kMediaPlayerSetPosition,  G::kB, kLib, kUnused, "libvlc_media_player_set_position"},
    {kMediaPlayerGetRate,      G::kB, kLib, kUnused, "libvlc_media_player_get_rate"},
    {kMediaPlayerSetRate,      G::kB, kLib, kUnused, "libvlc_media_player_set_rate"},
    {kMediaPlayerGetState,     G::kB, kLib, kUsed, "libvlc_media_player_get_state"},
    {kMediaPlayerStop,         G::kB, kLib, kUsed, "libvlc_media_player_stop"},
    {kMediaPlayerPause,        G::kB, kLib, kUnused, "libvlc_media_player_pause"},
    {kMediaPlayerPlay,         G::kB, kLib, kUsed, "libvlc_media_player_play"},
    {kAudioGetMute,            G::kB, kLib, kUsed, "libvlc_audio_get_mute"},
    {kAudioSetMute,            G::kB, kLib, kUsed, "libvlc_audio_set_mute"},
    {kAudioGetVolume,          G::kB, kLib, kUnused, "libvlc_audio_get_volume"},
    {kAudioSetVolume,          G::kB, kLib, kUsed, "libvlc_audio_set_volume"},
    {kAudioGetTrackCount,      G::kB, kLib, kUnused, "libvlc_audio_get_track_count"},
    {kAudioGetTrack,           G::kB, kLib, kUnused, "libvlc_audio_get_track"},
    {kAudioSetTrack,           G::kB, kLib, kUnused, "libvlc_audio_set_track"},
    {kVideoTakeSnapshot,       G::kB, kLib, kUnused, "libvlc_video_take_snapshot"},
    {kMediaPlayerSetHwnd,      G::kB, kLib, kUsed, "libvlc_video_set_parent,libvlc_media_player_set_hwnd"},
    {kVideoSetAspectRatio,     G::kB, kLib, kUsed, "libvlc_video_set_aspect_ratio"},
    {kVideoSetCropGeometry,    G::kB, kLib, kUsed, "libvlc_video_set_crop_geometry"},
    {kAddIntf,                 G::kB, kLib, kUnused, "libvlc_add_intf"},
    {kObjectFindName,          G::kB, kCore, kUnused, "vlc_object_find_name"},
    {kGetLogVerbosity,         G::kB, kLib, kUnused, "libvlc_get_log_verbosity"},
    {kSetLogVerbosity,         G::kB, kLib, kUsed, "libvlc_set_log_verbosity"},
    {kLogOpen,                 G::kB, kLib, kUsed, "libvlc_log_open"},
    {kLogClose,                G::kB, kLib, kUsed, "libvlc_log_close"},
    {kLogCount,                G::kB, kLib, kUnused, "libvlc_log_count"},
    {kLogClear,                G::kB, kLib, kUnused, "libvlc_log_clear"},
    {kLogGetIterator,          G::kB, kLib, kUnused, "libvlc_log_get_iterator"},
    {kLogIteratorFree,         G::kB, kLib, kUnused, "libvlc_log_iterator_free"},
    {kLogIteratorHasNext,      G::kB, kLib, kUnused, "libvlc_log_iterator_has_next"},
    {kLogIteratorNext,         G::kB, kLib, kUnused, "libvlc_log_iterator_next"},
    {kExceptionClear,          G::kC, kLib, kUsed, "libvlc_exception_clear"},
    {kPlaylistAddExtended,     G::kC, kLib, kUsed, "libvlc_playlist_add_extended"},
    {kPlaylistClear,           G::kC, kLib, kUsed, "libvlc_playlist_clear"},
    {kPlaylistPlay,            G::kC, kLib, kUsed, "libvlc_playlist_play"},
    {kPlaylistGetMediaPlayer,  G::kC, kLib, kUsed, "libvlc_playlist_get_media_player"},
    {kClassicAddIntf,          G::kD, kLib, kUnused, "VLC_AddIntf"},
    {kClassicAddTarget,        G::kD, kLib, kUsed, "VLC_AddTarget"},
    {kClassicCleanUp,          G::kD, kLib, kUsed, "VLC_CleanUp"},
    {kClassicCreate,           G::kD, kLib, kUsed, "VLC_Create"},
    {kClassicDestroy,          G::kD, kLib, kUsed, "VLC_Destroy"},
    {kClassicError,            G::kD, kLib, kUsed, "VLC_Error"},
    {kClassicInit,             G::kD, kLib, kUsed, "VLC_Init"},
    {kClassicIsPlaying,        G::kD, kLib, kUnused, "VLC_IsPlaying"},
    {kClassicLengthGet,        G::kD, kLib, kUnused, "VLC_LengthGet"},
    {kClassicPause,            G::kD, kLib, kUnused, "VLC_Pause"},
    {kClassicPlay,             G::kD, kLib, kUnused, "VLC_Play"},
    {kClassicPlaylistClear,    G::kD, kLib, kUnused, "VLC_PlaylistClear"},
    {kClassicPositionGet,      G::kD, kLib, kUnused, "VLC_PositionGet"},
    {kClassicPositionSet,      G::kD, kLib, kUnused, "VLC_PositionSet"},
    {kClassicSpeedFaster,      G::kD, kLib, kUnused, "VLC_SpeedFaster"},
    {kClassicSpeedSlower,      G::kD, kLib, kUnused, "VLC_SpeedSlower"},
    {kClassicStop,             G::kD, kLib, kUsed, "VLC_Stop"},
    {kClassicTimeGet,          G::kD, kLib, kUnused, "VLC_TimeGet"},
    {kClassicTimeSet,          G::kD, kLib, kUnused, "VLC_TimeSet"},
    {kClassicVariableGet,      G::kD, kLib, kUnused, "VLC_VariableGet"},
    {kClassicVariableSet,      G::kD, kLib, kUsed, "VLC_VariableSet"},
    {kClassicVersion,          G::kD, kLib, kUsed, "VLC_Version"},
    {kClassicVolumeGet,        G::kD, kLib, kUnused, "VLC_VolumeGet"},
    {kClassicVolumeMute,       G::kD, kLib, kUsed, "VLC_VolumeMute"},
    {kClassicVolumeSet,        G::kD, kLib, kUsed, "VLC_VolumeSet"},
    {kCurrentObject,           G::kD, kLib, kUsed, "vlc_current_object"},
    {kVarSet,                  G::kE, kCore, kUsed, "__var_Set,var_Set"},
    {kVarGet,                  G::kE, kCore, kUnused, "__var_Get,var_Get"},
    {kVarChange,               G::kE, kCore, kUsed, "__var_Change,var_Change"},
    {kObjectFind,              G::kF, kCore, kUsed, "__vlc_object_find,vlc_object_find"},
};
// clang-format on

constexpr bool RowsFollowTheIds() {
  for (int i = 0; i < kVlcEntryCount; ++i) {
    if (kEntries[i].id != i) return false;
  }
  return true;
}
static_assert(sizeof kEntries / sizeof kEntries[0] == kVlcEntryCount, "one row per entry id");
static_assert(RowsFollowTheIds(), "rows in the order of their ids");

}  // namespace

const VlcEntry* VlcEntryTable() { return kEntries; }

bool VlcGroupApplies(VlcEntryGroup group, int level) {
  switch (group) {
    case G::kA:
      return level >= kVlcLevelMedia;
    case G::kB:
      return level >= kVlcLevelException;
    case G::kC:
      return level == kVlcLevelException;
    case G::kD:
      return level == kVlcLevelClassic;
    case G::kE:
      return true;
    case G::kF:
      return level < kVlcLevelModern;
  }
  return false;
}

bool UsesVlcCore(bool fromCore, int level) { return fromCore && level >= kVlcLevelException; }

std::string MissingVlcEntryText(const char* names) { return std::string(names) + ","; }

platform::LibraryFunction ResolveVlcEntry(const char* names, const VlcExportLookup& lookup) {
  const std::string list = std::string(names) + ",";
  for (int i = 0;; ++i) {
    const std::string name = TrimControl(ListField(list, ',', i));
    if (name.empty()) return nullptr;
    if (const platform::LibraryFunction function = lookup(name)) return function;
  }
}
