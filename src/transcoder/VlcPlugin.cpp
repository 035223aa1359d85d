#include "transcoder/VlcPlugin.h"

#include <cstdarg>
#include <cstdio>
#include <type_traits>
#include <vector>

#include "base/TextUtil.h"
#include "netutil/GroupJoin.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/Thread.h"
#include "transcoder/VlcPlayerRules.h"

namespace {

// libvlc's variable value: a union of eight bytes, passed by value.
union VlcValue {
  std::int64_t number;
  const char* text;
  float fraction;
};

constexpr int kLogVerbosity = 2;
constexpr int kPlayerErrorState = 7;
constexpr int kVideoOutputObject = -9;
constexpr int kFindAnywhere = 3;
constexpr int kClearChoices = 0x22;
constexpr int kAddChoice = 0x20;
constexpr int kClassicAppendAndGo = 12;
constexpr unsigned kPlayerReleasePause = 50;
constexpr unsigned kPlaylistClearPause = 500;

// libvlc_log_set's callback: the message is formatted here, while its arguments are valid.
using VlcLogCallback = void (*)(void* data, int level, const void* context, const char* format, va_list arguments);
using VlcLogSet = void (*)(void* instance, VlcLogCallback callback, void* data);
using VlcLogGetContext = void (*)(const void* context, const char** module, const char** file, unsigned* line);

VlcLogGetContext logGetContext = nullptr;

void OnVlcLog(void* data, int level, const void* context, const char* format, va_list arguments) {
  char text[1024];
  va_list copy;
  va_copy(copy, arguments);
  const int length = std::vsnprintf(text, sizeof text, format != nullptr ? format : "", copy);
  va_end(copy);
  if (length < 0) return;
  const char* module = nullptr;
  if (logGetContext != nullptr && context != nullptr) logGetContext(context, &module, nullptr, nullptr);
  static_cast<TVLCPlugin*>(data)->TakeLogMessage(level, module != nullptr ? module : "", text);
}

VlcValue TextValue(const std::string& text) {
  VlcValue value{};
  value.text = text.c_str();
  return value;
}

}  // namespace

template <typename Result, typename... Args>
Result TVLCPlugin::Vlc(VlcEntryId id, Args... args) {
  const platform::LibraryFunction entry = binding_.Entry(id);
  if (entry == nullptr) return Result();
  const auto function = reinterpret_cast<Result (*)(Args..., VlcErrorRecord*)>(entry);
  if constexpr (std::is_void_v<Result>) {
    function(args..., &ErrorRecord);
    ClearError();
  } else {
    const Result result = function(args..., &ErrorRecord);
    ClearError();
    return result;
  }
}

template <typename Result, typename... Args>
Result TVLCPlugin::Core(VlcEntryId id, Args... args) {
  const platform::LibraryFunction entry = binding_.Entry(id);
  if (entry == nullptr) return Result();
  return reinterpret_cast<Result (*)(Args...)>(entry)(args...);
}

TVLCPlugin::TVLCPlugin(std::uintptr_t drawable, const std::string& configFile, const std::string& extraArgs,
                       VlcBinding& binding)
    : binding_(binding), Drawable(drawable), ConfigFile(configFile) {
  if (ConfigFile.empty()) ConfigFile = DefaultVlcConfigFile(platform::ProgramPath());
  if (binding_.BindVlcApi() != 0) {
    State = -1;
    return;
  }
  if (!Create(extraArgs)) {
    // A classic failure's number stays in State only until it is shown.
    const bool classic = Level() == kVlcLevelClassic;
    const int number = classic ? State : ErrorRecord.number;
    const char* const error = classic ? Core<const char*>(kClassicError, number) : ErrorRecord.text;
    const std::string text = error != nullptr ? error : "";
    State = -1;
    ShowVlcMessage(Drawable, VlcErrorText(number, text), "VLC Error");
  }
}

bool TVLCPlugin::Create(const std::string& extraArgs) {
  if (Level() == kVlcLevelClassic) return CreateClassic();
  return CreateInstance(extraArgs);
}

bool TVLCPlugin::CreateInstance(const std::string& extraArgs) {
  const std::string folder = platform::ProgramFolder();
  const bool besideProgram = platform::IsFile(folder + VlcLibraryFile()) && platform::IsFile(folder + VlcCoreFile());
  const std::vector<std::string> arguments =
      VlcInstanceArguments(Level(), VlcPluginPathArgument(besideProgram, binding_.GetVlcFolder()),
                           binding_.GetVlcFolder(), platform::Utf8FromSystemCodePage(ConfigFile), extraArgs);
  std::vector<const char*> vector;
  for (const std::string& argument : arguments) vector.push_back(argument.c_str());
  vector.push_back(nullptr);
  Instance = Vlc<void*>(kNew, static_cast<int>(arguments.size()), vector.data());
  if (Instance == nullptr) return false;
  LibvlcObject = *static_cast<void**>(Instance);
  if (LibvlcObject == nullptr) return false;
  if (Level() >= kVlcLevelMedia) {
    MediaPlayer = Vlc<void*>(kMediaPlayerNew, Instance);
  } else if (Drawable != 0) {
    Vlc(kMediaPlayerSetHwnd, Instance, Drawable);
  }
  Vlc(kSetLogVerbosity, Instance, kLogVerbosity);
  Log = Vlc<void*>(kLogOpen, Instance);
  // From 2.1 on libvlc hands its messages to a callback instead of printing them on the console.
  if (const auto logSet = reinterpret_cast<VlcLogSet>(binding_.Optional("libvlc_log_set"))) {
    logGetContext = reinterpret_cast<VlcLogGetContext>(binding_.Optional("libvlc_log_get_context"));
    logSet(Instance, OnVlcLog, this);
  }
  return true;
}

bool TVLCPlugin::CreateClassic() {
  State = Core<int>(kClassicCreate);
  const std::string config = "--config=" + platform::Utf8FromSystemCodePage(ConfigFile);
  const std::string folder = binding_.GetVlcFolder();
  const char* vector[] = {folder.c_str(), "--no-plugins-cache", config.c_str(), "--no-osd", nullptr};
  int result = Core<int>(kClassicInit, State, 4, vector);
  if (result < 0) {
    State = result;
    return false;
  }
  LibvlcObject = Core<void*>(kCurrentObject, State);
  if (LibvlcObject == nullptr) return false;
  if (Drawable != 0) {
    VlcValue value{};
    value.number = static_cast<std::int64_t>(Drawable);
    result = Core<int>(kClassicVariableSet, State, "drawable", value);
    if (result < 0) {
      State = result;
      return false;
    }
  }
  return true;
}

TVLCPlugin::~TVLCPlugin() {
  Options.Clear();
  std::string contents;
  // A file that is there but cannot be read is the user's all the same: it is neither replaced nor deleted.
  const bool existed = platform::IsFile(ConfigFile);
  const bool unreadable = existed && !platform::ReadWholeFile(ConfigFile, contents);
  // After a failed creation only what was made is released.
  if (Level() >= kVlcLevelException) {
    if (Log != nullptr) Vlc(kLogClose, Log);
    if (Instance != nullptr) Vlc(kRelease, Instance);
  } else if (Level() == kVlcLevelClassic && State > 0) {
    Core<int>(kClassicCleanUp, State);
    Core<int>(kClassicDestroy, State);
  }
  // libvlc writes its configuration as it shuts down; what was there before is put back.
  if (unreadable) return;
  if (!contents.empty()) {
    platform::WriteWholeFile(ConfigFile, contents);
  } else {
    platform::DeleteFileAt(ConfigFile);
  }
}

void TVLCPlugin::SetLogSink(VlcLogSink sink) {
  const std::lock_guard<std::mutex> hold(logSinkLock_);
  logSink_ = std::move(sink);
}

void TVLCPlugin::TakeLogMessage(int level, const std::string& module, const std::string& text) {
  const std::lock_guard<std::mutex> hold(logSinkLock_);
  if (logSink_) logSink_(level, module, text);
}

void TVLCPlugin::SetOption(const std::string& name, const std::string& value) {
  if (Level() == kVlcLevelClassic) {
    const VlcClassicVariable variable = ClassicVlcVariable(name, value);
    VlcValue converted{};
    if (variable.kind == VlcClassicVariable::Kind::kFloat) converted.fraction = static_cast<float>(variable.number);
    if (variable.kind == VlcClassicVariable::Kind::kInteger) converted.number = variable.integer;
    if (variable.kind == VlcClassicVariable::Kind::kText) converted.text = variable.text.c_str();
    Core<int>(kClassicVariableSet, State, variable.name.c_str(), converted);
    Options.SetClassic(name, value);
    return;
  }
  const VlcOptionChange change = PlanVlcOption(name, value, Level(), MediaPlayer != nullptr);
  switch (change.action) {
    case VlcOptionAction::kSetParentWindow:
      Vlc(kMediaPlayerSetHwnd, Instance, static_cast<std::uintptr_t>(ParseInteger(value)));
      return;
    case VlcOptionAction::kSetPlayerWindow:
      Drawable = static_cast<std::uintptr_t>(ParseInteger(value));
      Vlc(kMediaPlayerSetHwnd, MediaPlayer, Drawable);
      return;
    case VlcOptionAction::kStore:
      Options.Set(change.name, change.value);
      return;
  }
}

std::string TVLCPlugin::GetOption(const std::string& name) const { return Options.Get(name); }

void TVLCPlugin::Play(const std::string& mrl, int position) {
  if (State == -1) return;
  if (Level() >= kVlcLevelMedia && Busy) return;
  Busy = true;
  LeaveOwnGroup();
  MulticastJoin.Interface = GetOption("miface-addr");
  const std::vector<std::string> options = Options.MediaOptions();
  if (Level() >= kVlcLevelMedia) {
    PlayMedia(options, mrl);
  } else if (Level() == kVlcLevelException) {
    PlayPlaylist(options, mrl);
  } else {
    Core<int>(kClassicAddTarget, State, mrl.c_str(), static_cast<const char**>(nullptr), 0, kClassicAppendAndGo,
              position);
    Options.Clear();
  }
  if (TakesOwnMulticastMembership(Level(), MulticastJoin.Interface, mrl)) {
    MulticastJoin.Mrl = mrl;
    MulticastJoin.Socket = JoinGroupOnInterfaces(mrl, MulticastJoin.Interface);
  }
  Busy = false;
}

void TVLCPlugin::PlayMedia(const std::vector<std::string>& options, const std::string& mrl) {
  Stop();
  if (MediaPlayer != nullptr) Vlc(kMediaPlayerRelease, MediaPlayer);
  MediaPlayer = nullptr;
  if (Media != nullptr) Vlc(kMediaRelease, Media);
  Media = nullptr;
  platform::SleepMilliseconds(kPlayerReleasePause);
  CurrentMrl = mrl;
  Media = Vlc<void*>(IsVlcFilePath(mrl) ? kMediaNewPath : kMediaNewLocation, Instance, mrl.c_str());
  for (const std::string& option : options) Vlc(kMediaAddOption, Media, option.c_str());
  MediaPlayer = Vlc<void*>(kMediaPlayerNewFromMedia, Media);
  if (Drawable != 0) Vlc(kMediaPlayerSetHwnd, MediaPlayer, Drawable);
  SetVolume(Volume);
  SetMute(Muted ? 1 : 0);
  if (Level() == kVlcLevelModern) {
    if (!GetOption("crop").empty()) SetCrop(GetOption("crop"));
    if (!GetOption("aspect-ratio").empty()) SetAspectRatio(GetOption("aspect-ratio"));
    if (GetOption("deinterlace") == "1") SetDeinterlace(GetOption("deinterlace-mode"));
  }
  Vlc<int>(kMediaPlayerPlay, MediaPlayer);
}

void TVLCPlugin::PlayPlaylist(const std::vector<std::string>& options, const std::string& mrl) {
  Stop();
  Vlc(kPlaylistClear, Instance);
  platform::SleepMilliseconds(kPlaylistClearPause);
  CurrentMrl = mrl;
  std::vector<const char*> array;
  for (const std::string& option : options) array.push_back(option.c_str());
  const int id = Vlc<int>(kPlaylistAddExtended, Instance, mrl.c_str(), mrl.c_str(), static_cast<int>(array.size()),
                          array.data());
  Vlc(kPlaylistPlay, Instance, id, 0, static_cast<const char**>(nullptr));
}

void TVLCPlugin::LeaveOwnGroup() {
  if (MulticastJoin.Socket.Valid() && !MulticastJoin.Mrl.empty()) {
    LeaveGroupOnInterfaces(MulticastJoin.Mrl, MulticastJoin.Interface, MulticastJoin.Socket);
  }
}

void TVLCPlugin::Stop() {
  if (State == -1) return;
  LeaveOwnGroup();
  if (Level() == kVlcLevelClassic) {
    Core<int>(kClassicStop, State);
    return;
  }
  void* const player = GetMediaPlayer();
  if (player == nullptr) return;
  Vlc(kMediaPlayerStop, player);
  // The playlist handed out a reference of its own.
  if (Level() == kVlcLevelException) Vlc(kMediaPlayerRelease, player);
}

void TVLCPlugin::SetVolume(int volume) {
  Volume = volume;
  if (Level() >= kVlcLevelMedia) {
    const std::string version = Level() == kVlcLevelModern ? GetVersionText() : std::string();
    void* const player = GetMediaPlayer();
    if (player != nullptr) Vlc<int>(kAudioSetVolume, player, VlcVolumeToSend(Level(), version, volume));
  } else if (Level() == kVlcLevelException) {
    Vlc(kAudioSetVolume, Instance, volume);
  } else {
    Core<int>(kClassicVolumeSet, State, volume);
  }
}

void TVLCPlugin::SetMute(int mode) {
  if (Level() == kVlcLevelClassic) {
    Core<int>(kClassicVolumeMute, State);
    return;
  }
  void* const target = Level() == kVlcLevelException ? Instance : GetMediaPlayer();
  if (target == nullptr) return;
  Muted = VlcMuteState(mode, Vlc<int>(kAudioGetMute, target) != 0);
  Vlc(kAudioSetMute, target, Muted ? 1 : 0);
}

std::string TVLCPlugin::GetVersionText() {
  if (VersionText.empty()) {
    const char* text = Level() == kVlcLevelClassic ? Core<const char*>(kClassicVersion)
                                                    : Vlc<const char*>(kGetVersion);
    VersionText = ShortVlcVersion(text != nullptr ? text : "");
  }
  return VersionText;
}

void* TVLCPlugin::GetMediaPlayer() {
  if (Level() == kVlcLevelException) return Vlc<void*>(kPlaylistGetMediaPlayer, Instance);
  return MediaPlayer;
}

void TVLCPlugin::SetCrop(const std::string& geometry) {
  SetOption("crop", geometry);
  if (Level() == kVlcLevelClassic) return;
  if (Level() == kVlcLevelModern) {
    void* const player = GetMediaPlayer();
    const std::string sent = VlcCropGeometry(Level(), geometry);
    if (player != nullptr) Vlc(kVideoSetCropGeometry, player, sent.c_str());
    return;
  }
  SetVideoVariable("crop", geometry);
}

void TVLCPlugin::SetAspectRatio(const std::string& ratio) {
  if (Level() == kVlcLevelClassic) return;
  if (Level() == kVlcLevelModern) {
    void* const player = GetMediaPlayer();
    if (player != nullptr) Vlc(kVideoSetAspectRatio, player, ratio.c_str());
    return;
  }
  SetVideoVariable("aspect-ratio", ratio);
}

// Levels 9 and 11 change the running video output's variable, its list of choices first.
void TVLCPlugin::SetVideoVariable(const char* name, const std::string& value) {
  void* const output = Core<void*>(kObjectFind, LibvlcObject, kVideoOutputObject, kFindAnywhere);
  if (output == nullptr) return;
  Core<int>(kVarChange, output, name, kClearChoices, static_cast<VlcValue*>(nullptr), static_cast<VlcValue*>(nullptr));
  VlcValue choice = TextValue(value);
  VlcValue label = TextValue(value);
  Core<int>(kVarChange, output, name, kAddChoice, &choice, &label);
  Core<int>(kVarSet, output, name, TextValue(value));
}

void TVLCPlugin::SetDeinterlace(const std::string& mode) {
  if (Level() < kVlcLevelMedia) return;
  void* const player = GetMediaPlayer();
  if (player != nullptr) Vlc(kVideoSetDeinterlace, player, mode.c_str());
}

bool TVLCPlugin::ClearError() {
  if (Level() == kVlcLevelException) Core(kExceptionClear, &ErrorRecord);
  return true;
}

bool TVLCPlugin::HasFailed() {
  if (Level() < kVlcLevelMedia || MediaPlayer == nullptr) return false;
  return Vlc<int>(kMediaPlayerGetState, MediaPlayer) == kPlayerErrorState;
}
