#pragma once
// One libvlc player behind operations that look the same on every libvlc generation: options kept for every new
// media, play, stop, volume, mute and the picture settings. libvlc's errors after creation are cleared and
// ignored; libvlc's own rewriting of its configuration file at shutdown is undone.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "platform/Socket.h"
#include "transcoder/VlcOptions.h"
#include "transcoder/VlcWrap.h"

// What the older generations fill in on a failure: a number, then the text.
struct VlcErrorRecord {
  std::int32_t number;
  const char* text;
};

// The membership the player holds itself so that the host announces the group on the chosen interface.
struct VlcMulticastJoin {
  platform::Socket Socket;  // holds the membership; invalid for none
  std::string Mrl;
  std::string Interface;
};

// One message of libvlc's own, as its log callback hands it over: the level (2 notice, 3 warning, 4 error), the
// module that wrote it (empty when unknown) and the text. Called on libvlc's threads.
using VlcLogSink = std::function<void(int level, const std::string& module, const std::string& text)>;

class TVLCPlugin {
 public:
  // Binds libvlc through binding and creates the instance; State() is -1 when that failed. drawable is the video
  // window (0 for none); an empty configFile names the program's path with ".Vlc.ini"; extraArgs are libvlc
  // switches without their "--", separated by ",".
  TVLCPlugin(std::uintptr_t drawable, const std::string& configFile, const std::string& extraArgs,
             VlcBinding& binding = ProcessVlcBinding());
  TVLCPlugin(const TVLCPlugin&) = delete;
  TVLCPlugin& operator=(const TVLCPlugin&) = delete;
  virtual ~TVLCPlugin();

  void SetOption(const std::string& name, const std::string& value);
  std::string GetOption(const std::string& name) const;
  // Replaces the current media with mrl and starts it; position counts only for the oldest generation.
  void Play(const std::string& mrl, int position);
  void Stop();
  void SetVolume(int volume);
  // -1 toggles, 0 unmutes, any other value mutes.
  void SetMute(int mode);
  std::string GetVersionText();
  void* GetMediaPlayer();
  void SetCrop(const std::string& geometry);
  void SetAspectRatio(const std::string& ratio);
  void SetDeinterlace(const std::string& mode);
  bool ClearError();
  // The current media player has reached libvlc's error state: the source or the output could not be opened.
  bool HasFailed();

  // Where libvlc's messages go from now on; without a sink they are dropped. Only libvlc from 2.1 on hands its
  // messages over; older ones keep them to themselves.
  void SetLogSink(VlcLogSink sink);
  // The log callback's target, on libvlc's threads.
  void TakeLogMessage(int level, const std::string& module, const std::string& text);

  int GetState() const { return State; }
  const std::string& GetCurrentMrl() const { return CurrentMrl; }

 private:
  bool Create(const std::string& extraArgs);
  bool CreateInstance(const std::string& extraArgs);
  bool CreateClassic();
  void PlayMedia(const std::vector<std::string>& options, const std::string& mrl);
  void PlayPlaylist(const std::vector<std::string>& options, const std::string& mrl);
  void LeaveOwnGroup();
  void SetVideoVariable(const char* name, const std::string& value);
  int Level() const { return binding_.ApiLevel(); }

  // A "libvlc_" entry, called with the error record last and followed by ClearError; nothing when unbound.
  template <typename Result = void, typename... Args>
  Result Vlc(VlcEntryId id, Args... args);
  // The classic and core entries, which take no error record.
  template <typename Result = void, typename... Args>
  Result Core(VlcEntryId id, Args... args);

  VlcBinding& binding_;
  std::mutex logSinkLock_;
  VlcLogSink logSink_;

  std::string CurrentMrl;
  std::string VersionText;
  void* LibvlcObject = nullptr;
  void* Instance = nullptr;
  void* MediaPlayer = nullptr;
  void* Media = nullptr;
  void* Log = nullptr;
  VlcErrorRecord ErrorRecord{0, nullptr};
  std::uintptr_t Drawable = 0;
  std::string ConfigFile;
  VlcOptionStore Options;  // OptionNames and OptionEntries, kept together
  int Volume = 40;
  bool Muted = false;
  VlcMulticastJoin MulticastJoin;
  bool Busy = false;
  int State = 0;
};
