/* Stand-ins for libvlc and libvlccore of one interface generation (STAND_IN_GENERATION: 8, 9, 11 or 12, the
   default), exporting the entries the binding looks up at that level under the names that generation used.
   STAND_IN_VERSION is the text libvlc_get_version returns; without it the function is missing, as the version is
   then. STAND_IN_CORE makes libvlccore.

   Every exported entry records its call in order, one line each: its name, then the arguments that matter, objects
   by a label ("i1" the first instance, "m2" the second media, "p1", "l1", "r1" the root object, "v1" a video
   output; "null", or "released p1" for one already released). stand_in_calls() returns the record of this
   library; when the environment names a file in CORVANE_STAND_IN_RECORD, each line is appended to it as well, so
   that a test can follow a program that loaded the stand-ins. */
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

#ifndef STAND_IN_GENERATION
#define STAND_IN_GENERATION 12
#endif

/* An entry the player binds but never calls. */
#define ENTRY(name) \
  EXPORT void name(void) { Record(#name); }

static char calls[1 << 16];
static size_t callsUsed;

static void Record(const char* format, ...) {
  char line[2048];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  const size_t length = strlen(line);
  if (callsUsed + length + 2 <= sizeof calls) {
    memcpy(calls + callsUsed, line, length);
    callsUsed += length;
    calls[callsUsed++] = '\n';
    calls[callsUsed] = '\0';
  }
  const char* file = getenv("CORVANE_STAND_IN_RECORD");
  if (file != NULL && file[0] != '\0') {
    FILE* out = fopen(file, "a");
    if (out != NULL) {
      fprintf(out, "%s\n", line);
      fclose(out);
    }
  }
}

EXPORT const char* stand_in_calls(void) { return calls; }

/* Like libvlc, the stand-in writes its configuration file at shutdown: the file named by "--config=". */
static char configFile[1024];

static void NoteArguments(char* line, size_t size, int count, const char* const* arguments) {
  line[0] = '\0';
  for (int i = 0; i < count; ++i) {
    strncat(line, " ", size - strlen(line) - 1);
    strncat(line, arguments[i], size - strlen(line) - 1);
    if (strncmp(arguments[i], "--config=", 9) == 0) snprintf(configFile, sizeof configFile, "%s", arguments[i] + 9);
  }
}

static void WriteConfiguration(void) {
  FILE* out = configFile[0] != '\0' ? fopen(configFile, "w") : NULL;
  if (out != NULL) {
    fputs("# written by the stand-in at shutdown\n", out);
    fclose(out);
  }
}

/* libvlc's objects. An instance's first word is its root object, as in libvlc's own structure; libvlccore reads the
   label of a root object that libvlc made through the same layout. */
typedef struct StandInObject {
  struct StandInObject* first;
  char label[16];
  char released[32];
  int references;
  int muted;
  struct StandInObject* player; /* an instance's playlist player */
} StandInObject;

static StandInObject objects[256];
static int objectCount;
static int kindCounts[26];

static StandInObject* Make(char kind) {
  if (objectCount == (int)(sizeof objects / sizeof objects[0])) abort();
  StandInObject* object = &objects[objectCount++];
  snprintf(object->label, sizeof object->label, "%c%d", kind, ++kindCounts[kind - 'a']);
  snprintf(object->released, sizeof object->released, "released %s", object->label);
  object->references = 1;
  return object;
}

static const char* Label(const void* pointer) {
  if (pointer == NULL) return "null";
  for (int i = 0; i < objectCount; ++i) {
    if (pointer == &objects[i]) return objects[i].references > 0 ? objects[i].label : objects[i].released;
  }
  return ((const StandInObject*)pointer)->label;
}

static void Release(void* pointer) {
  StandInObject* object = (StandInObject*)pointer;
  for (int i = 0; i < objectCount; ++i) {
    if (object == &objects[i] && object->references > 0) --object->references;
  }
}

/* libvlc's variable value, eight bytes passed by value. */
typedef union {
  long long number;
  const char* text;
  float fraction;
} StandInValue;

#if STAND_IN_GENERATION == 8 || defined(STAND_IN_CORE)
/* Object variables: in libvlccore from the generation that has one, in libvlc before it. */
#if STAND_IN_GENERATION >= 12
#define VAR_SET var_Set
#define VAR_GET var_Get
#define VAR_CHANGE var_Change
#else
#define VAR_SET __var_Set
#define VAR_GET __var_Get
#define VAR_CHANGE __var_Change
#endif

EXPORT int VAR_SET(void* object, const char* name, StandInValue value) {
  Record("%s %s %s %s", __func__, Label(object), name, value.text);
  return 0;
}

EXPORT int VAR_GET(void* object, const char* name, StandInValue* value) {
  Record("%s %s %s", __func__, Label(object), name);
  value->number = 0;
  return 0;
}

EXPORT int VAR_CHANGE(void* object, const char* name, int action, StandInValue* value, StandInValue* text) {
  if (value != NULL && text != NULL) {
    Record("%s %s %s 0x%x %s %s", __func__, Label(object), name, action, value->text, text->text);
  } else {
    Record("%s %s %s 0x%x", __func__, Label(object), name, action);
  }
  return 0;
}

#if STAND_IN_GENERATION < 12
/* The running video output, found from the root object. */
EXPORT void* __vlc_object_find(void* object, int type, int mode) {
  static StandInObject* output;
  if (output == NULL) output = Make('v');
  Record("%s %s %d %d", __func__, Label(object), type, mode);
  return output;
}
#endif
#endif

#if defined(STAND_IN_CORE)
ENTRY(vlc_object_find_name)

#elif STAND_IN_GENERATION == 8
/* The generation before libvlccore: "VLC_" verbs on an object id, every entry in libvlc itself. */
static int IsNumberVariable(const char* name) {
  static const char* const numbers[] = {"drawable", "conf::dshow-caching", "conf::dshow-tuner-channel"};
  for (size_t i = 0; i < sizeof numbers / sizeof numbers[0]; ++i) {
    if (strcmp(name, numbers[i]) == 0) return 1;
  }
  return 0;
}

static int IsFractionVariable(const char* name) {
  return strcmp(name, "conf::contrast") == 0 || strcmp(name, "conf::brightness") == 0 ||
         strcmp(name, "conf::saturation") == 0 || strcmp(name, "conf::gamma") == 0;
}

EXPORT int VLC_Create(void) {
  Record("VLC_Create");
  return 1;
}

EXPORT int VLC_Init(int id, int count, const char* const* arguments) {
  char line[2048];
  NoteArguments(line, sizeof line, count, arguments);
  Record("VLC_Init %d%s", id, line);
  return 0;
}

EXPORT void* vlc_current_object(int id) {
  Record("vlc_current_object %d", id);
  return Make('r');
}

/* Like libvlc, which knows each variable's type, the stand-in knows the few kinds the tests set. */
EXPORT int VLC_VariableSet(int id, const char* name, StandInValue value) {
  if (IsNumberVariable(name)) {
    Record("VLC_VariableSet %d %s %lld", id, name, value.number);
  } else if (IsFractionVariable(name)) {
    Record("VLC_VariableSet %d %s %g", id, name, (double)value.fraction);
  } else {
    Record("VLC_VariableSet %d %s %s", id, name, value.text);
  }
  return 0;
}

EXPORT int VLC_AddTarget(int id, const char* mrl, const char** options, int count, int mode, int position) {
  Record("VLC_AddTarget %d %s %s %d %d %d", id, mrl, options == NULL ? "null" : "options", count, mode, position);
  return 0;
}

EXPORT int VLC_Stop(int id) {
  Record("VLC_Stop %d", id);
  return 0;
}

EXPORT int VLC_VolumeSet(int id, int volume) {
  Record("VLC_VolumeSet %d %d", id, volume);
  return 0;
}

EXPORT int VLC_VolumeMute(int id) {
  Record("VLC_VolumeMute %d", id);
  return 0;
}

EXPORT int VLC_CleanUp(int id) {
  Record("VLC_CleanUp %d", id);
  return 0;
}

EXPORT int VLC_Destroy(int id) {
  Record("VLC_Destroy %d", id);
  WriteConfiguration();
  return 0;
}

EXPORT const char* VLC_Version(void) {
  Record("VLC_Version");
  return "0.8.6 Janus";
}

EXPORT const char* VLC_Error(int number) {
  Record("VLC_Error %d", number);
  return "stand-in error";
}

ENTRY(VLC_AddIntf)
ENTRY(VLC_IsPlaying)
ENTRY(VLC_LengthGet)
ENTRY(VLC_Pause)
ENTRY(VLC_Play)
ENTRY(VLC_PlaylistClear)
ENTRY(VLC_PositionGet)
ENTRY(VLC_PositionSet)
ENTRY(VLC_SpeedFaster)
ENTRY(VLC_SpeedSlower)
ENTRY(VLC_TimeGet)
ENTRY(VLC_TimeSet)
ENTRY(VLC_VariableGet)
ENTRY(VLC_VolumeGet)

#else
/* libvlc from 1.0 on. The entries that took a trailing error record then take it here too, unread. */
#ifdef STAND_IN_VERSION
EXPORT const char* libvlc_get_version(void) {
  Record("libvlc_get_version");
  return STAND_IN_VERSION;
}
#endif

EXPORT void* libvlc_new(int count, const char* const* arguments) {
  char line[2048];
  NoteArguments(line, sizeof line, count, arguments);
  Record("libvlc_new%s%s", line, arguments[count] == NULL ? "" : " (no closing null)");
  StandInObject* instance = Make('i');
  instance->first = Make('r');
  return instance;
}

EXPORT void libvlc_release(void* instance) {
  Record("libvlc_release %s", Label(instance));
  Release(instance);
  WriteConfiguration();
}

#if STAND_IN_GENERATION >= 11
EXPORT void* libvlc_media_new_location(void* instance, const char* mrl) {
  Record("libvlc_media_new_location %s %s", Label(instance), mrl);
  return Make('m');
}

EXPORT void* libvlc_media_new_path(void* instance, const char* path) {
  Record("libvlc_media_new_path %s %s", Label(instance), path);
  return Make('m');
}
#else
EXPORT void* libvlc_media_new(void* instance, const char* mrl) {
  Record("libvlc_media_new %s %s", Label(instance), mrl);
  return Make('m');
}
#endif

EXPORT void libvlc_media_release(void* media) {
  Record("libvlc_media_release %s", Label(media));
  Release(media);
}

#if STAND_IN_GENERATION >= 12
/* libvlc's log callback: the stand-in hands one message over when an output chain asks for the encoder "nonsense",
   from the module that would refuse it (the context is the module's name). */
typedef void (*StandInLogCallback)(void* data, int level, const void* context, const char* format, va_list args);
static StandInLogCallback logCallback;
static void* logData;

EXPORT void libvlc_log_set(void* instance, StandInLogCallback callback, void* data) {
  Record("libvlc_log_set %s", Label(instance));
  logCallback = callback;
  logData = data;
}

EXPORT void libvlc_log_get_context(const void* context, const char** module, const char** file, unsigned* line) {
  if (module != NULL) *module = (const char*)context;
  if (file != NULL) *file = NULL;
  if (line != NULL) *line = 0;
}

static void Say(int level, const char* module, const char* format, ...) {
  if (logCallback == NULL) return;
  va_list arguments;
  va_start(arguments, format);
  logCallback(logData, level, module, format, arguments);
  va_end(arguments);
}
#endif

EXPORT void libvlc_media_add_option(void* media, const char* option) {
  Record("libvlc_media_add_option %s %s", Label(media), option);
#if STAND_IN_GENERATION >= 12
  if (strncmp(option, ":sout=", 6) == 0 && strstr(option, "vcodec=nonsense") != NULL) {
    Say(4, "stream_out_transcode", "cannot find video encoder (module:any fourcc:%s)", "nons");
  }
#endif
}

EXPORT void* libvlc_media_player_new(void* instance) {
  Record("libvlc_media_player_new %s", Label(instance));
  return Make('p');
}

EXPORT void* libvlc_media_player_new_from_media(void* media) {
  Record("libvlc_media_player_new_from_media %s", Label(media));
  return Make('p');
}

EXPORT void libvlc_media_player_release(void* player) {
  Record("libvlc_media_player_release %s", Label(player));
  Release(player);
}

EXPORT void libvlc_media_player_stop(void* player) { Record("libvlc_media_player_stop %s", Label(player)); }

EXPORT int libvlc_media_player_play(void* player) {
  Record("libvlc_media_player_play %s", Label(player));
  return 0;
}

/* Playing, never the error state. */
EXPORT int libvlc_media_player_get_state(void* player) {
  Record("libvlc_media_player_get_state %s", Label(player));
  return 3;
}

/* The volume and mute of a player, or of the instance in the generation without players of its own. */
EXPORT int libvlc_audio_get_mute(void* target) {
  Record("libvlc_audio_get_mute %s", Label(target));
  return target != NULL && ((StandInObject*)target)->muted;
}

EXPORT void libvlc_audio_set_mute(void* target, int muted) {
  Record("libvlc_audio_set_mute %s %d", Label(target), muted);
  if (target != NULL) ((StandInObject*)target)->muted = muted;
}

EXPORT int libvlc_audio_set_volume(void* target, int volume) {
  Record("libvlc_audio_set_volume %s %d", Label(target), volume);
  return 0;
}

#if STAND_IN_GENERATION >= 11
EXPORT void libvlc_media_player_set_hwnd(void* player, void* window) {
  Record("libvlc_media_player_set_hwnd %s %llu", Label(player), (unsigned long long)(size_t)window);
}
#else
EXPORT void libvlc_video_set_parent(void* instance, void* window) {
  Record("libvlc_video_set_parent %s %llu", Label(instance), (unsigned long long)(size_t)window);
}
#endif

EXPORT void libvlc_video_set_aspect_ratio(void* player, const char* ratio) {
  Record("libvlc_video_set_aspect_ratio %s %s", Label(player), ratio);
}

EXPORT void libvlc_video_set_crop_geometry(void* player, const char* geometry) {
  Record("libvlc_video_set_crop_geometry %s %s", Label(player), geometry);
}

#if STAND_IN_GENERATION >= 11 && !defined(STAND_IN_WITHOUT_DEINTERLACE)
EXPORT void libvlc_video_set_deinterlace(void* player, const char* mode) {
  Record("libvlc_video_set_deinterlace %s %s", Label(player), mode);
}
#endif

EXPORT void libvlc_set_log_verbosity(void* instance, unsigned level) {
  Record("libvlc_set_log_verbosity %s %u", Label(instance), level);
}

EXPORT void* libvlc_log_open(void* instance) {
  Record("libvlc_log_open %s", Label(instance));
  return Make('l');
}

EXPORT void libvlc_log_close(void* log) {
  Record("libvlc_log_close %s", Label(log));
  Release(log);
}

#if STAND_IN_GENERATION == 9
/* The generation that plays through the instance's playlist. */
EXPORT void libvlc_exception_clear(void* record) { Record("libvlc_exception_clear%s", record == NULL ? " null" : ""); }

EXPORT void libvlc_playlist_clear(void* instance) { Record("libvlc_playlist_clear %s", Label(instance)); }

EXPORT int libvlc_playlist_add_extended(void* instance, const char* mrl, const char* name, int count,
                                        const char* const* options) {
  char line[2048];
  NoteArguments(line, sizeof line, count, options);
  Record("libvlc_playlist_add_extended %s %s %s %d%s", Label(instance), mrl, name, count, line);
  return 5;
}

EXPORT void libvlc_playlist_play(void* instance, int id, int count, const char** options) {
  Record("libvlc_playlist_play %s %d %d %s", Label(instance), id, count, options == NULL ? "null" : "options");
  StandInObject* owner = (StandInObject*)instance;
  if (owner->player == NULL) owner->player = Make('p');
}

/* A reference of its own, for the caller to release. */
EXPORT void* libvlc_playlist_get_media_player(void* instance) {
  Record("libvlc_playlist_get_media_player %s", Label(instance));
  StandInObject* player = ((StandInObject*)instance)->player;
  if (player != NULL) ++player->references;
  return player;
}
#endif

ENTRY(libvlc_media_player_get_media)
ENTRY(libvlc_media_player_get_length)
ENTRY(libvlc_media_player_get_time)
ENTRY(libvlc_media_player_get_position)
ENTRY(libvlc_media_player_set_position)
ENTRY(libvlc_media_player_get_rate)
ENTRY(libvlc_media_player_set_rate)
ENTRY(libvlc_media_player_pause)
ENTRY(libvlc_audio_get_volume)
ENTRY(libvlc_audio_get_track_count)
ENTRY(libvlc_audio_get_track)
ENTRY(libvlc_audio_set_track)
ENTRY(libvlc_video_take_snapshot)
ENTRY(libvlc_add_intf)
ENTRY(libvlc_get_log_verbosity)
ENTRY(libvlc_log_count)
ENTRY(libvlc_log_clear)
ENTRY(libvlc_log_get_iterator)
ENTRY(libvlc_log_iterator_free)
ENTRY(libvlc_log_iterator_has_next)
ENTRY(libvlc_log_iterator_next)
#endif
