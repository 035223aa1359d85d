/* Stand-ins for libvlc and libvlccore of VLC 3: every entry the binding looks up at level 12, under the names
   VLC 3 exports, doing nothing. The binding tests load them from folders of their own. STAND_IN_VERSION is the
   text libvlc_get_version returns; without it the function is missing, as the version is then. */
#ifdef _WIN32
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif
/* Every entry answers with an object that points to itself: a player can be made and driven over them, and an
   answer read as a number is never the error state. */
static void* standInObject = &standInObject;
#define ENTRY(name) \
  EXPORT void* name(void) { return &standInObject; }

#if defined(STAND_IN_CLASSIC)
/* The generation before libvlccore: every entry in libvlc itself. */
ENTRY(VLC_AddIntf)
ENTRY(VLC_AddTarget)
ENTRY(VLC_CleanUp)
ENTRY(VLC_Create)
ENTRY(VLC_Destroy)
ENTRY(VLC_Error)
ENTRY(VLC_Init)
ENTRY(VLC_IsPlaying)
ENTRY(VLC_LengthGet)
ENTRY(VLC_Pause)
ENTRY(VLC_Play)
ENTRY(VLC_PlaylistClear)
ENTRY(VLC_PositionGet)
ENTRY(VLC_PositionSet)
ENTRY(VLC_SpeedFaster)
ENTRY(VLC_SpeedSlower)
ENTRY(VLC_Stop)
ENTRY(VLC_TimeGet)
ENTRY(VLC_TimeSet)
ENTRY(VLC_VariableGet)
ENTRY(VLC_VariableSet)
ENTRY(VLC_Version)
ENTRY(VLC_VolumeGet)
ENTRY(VLC_VolumeMute)
ENTRY(VLC_VolumeSet)
ENTRY(vlc_current_object)
ENTRY(__var_Set)
ENTRY(__var_Get)
ENTRY(__var_Change)
ENTRY(__vlc_object_find)
#elif defined(STAND_IN_CORE)
ENTRY(vlc_object_find_name)
ENTRY(var_Set)
ENTRY(var_Get)
ENTRY(var_Change)
#else
#ifdef STAND_IN_VERSION
EXPORT const char* libvlc_get_version(void) { return STAND_IN_VERSION; }
#endif
#ifndef STAND_IN_WITHOUT_DEINTERLACE
ENTRY(libvlc_video_set_deinterlace)
#endif
ENTRY(libvlc_new)
ENTRY(libvlc_release)
ENTRY(libvlc_media_new_path)
ENTRY(libvlc_media_new_location)
ENTRY(libvlc_media_release)
ENTRY(libvlc_media_add_option)
ENTRY(libvlc_media_player_new)
ENTRY(libvlc_media_player_new_from_media)
ENTRY(libvlc_media_player_release)
ENTRY(libvlc_media_player_get_media)
ENTRY(libvlc_media_player_get_length)
ENTRY(libvlc_media_player_get_time)
ENTRY(libvlc_media_player_get_position)
ENTRY(libvlc_media_player_set_position)
ENTRY(libvlc_media_player_get_rate)
ENTRY(libvlc_media_player_set_rate)
ENTRY(libvlc_media_player_get_state)
ENTRY(libvlc_media_player_stop)
ENTRY(libvlc_media_player_pause)
ENTRY(libvlc_media_player_play)
ENTRY(libvlc_audio_get_mute)
ENTRY(libvlc_audio_set_mute)
ENTRY(libvlc_audio_get_volume)
ENTRY(libvlc_audio_set_volume)
ENTRY(libvlc_audio_get_track_count)
ENTRY(libvlc_audio_get_track)
ENTRY(libvlc_audio_set_track)
ENTRY(libvlc_video_take_snapshot)
ENTRY(libvlc_media_player_set_hwnd)
ENTRY(libvlc_video_set_aspect_ratio)
ENTRY(libvlc_video_set_crop_geometry)
ENTRY(libvlc_add_intf)
ENTRY(libvlc_get_log_verbosity)
ENTRY(libvlc_set_log_verbosity)
ENTRY(libvlc_log_open)
ENTRY(libvlc_log_close)
ENTRY(libvlc_log_count)
ENTRY(libvlc_log_clear)
ENTRY(libvlc_log_get_iterator)
ENTRY(libvlc_log_iterator_free)
ENTRY(libvlc_log_iterator_has_next)
ENTRY(libvlc_log_iterator_next)
#endif
