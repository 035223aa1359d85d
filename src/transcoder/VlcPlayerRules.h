#pragma once
// The player's small decisions, apart from libvlc: arguments, volume, mute, media kind, own membership, texts.
#include <string>
#include <vector>

// The configuration file libvlc is given when the creator names none: the program's path with ".Vlc.ini".
std::string DefaultVlcConfigFile(const std::string& programPath);

// "--plugin-path=..\plugins" when both libraries sit in the program's own folder, else the VLC folder's "plugins".
std::string VlcPluginPathArgument(bool librariesBesideProgram, const std::string& vlcFolder);

// "--" + each comma-separated field of extraArgs, taken as it is; none for an empty text.
std::vector<std::string> VlcExtraArguments(const std::string& extraArgs);

// The instance's arguments for a level (the level-8 list starts with the VLC folder in the program name's place
// and takes no extra arguments; level 12 has no plugin path and keeps libvlc quiet on the console). configUtf8 is
// the configuration file's path in UTF-8.
std::vector<std::string> VlcInstanceArguments(int level, const std::string& pluginPathArgument,
                                              const std::string& vlcFolder, const std::string& configUtf8,
                                              const std::string& extraArgs);

// "Error " + number + " : " + text, the text of the "VLC Error" message.
std::string VlcErrorText(int number, const std::string& text);

// libvlc's version text up to the first blank after its first character ("3.0.21 Vetinari" -> "3.0.21").
std::string ShortVlcVersion(const std::string& versionText);

// The volume sent to the player. libvlc 2.0 at level 12 takes it on a square-root scale: 200 * sqrt(volume / 200),
// rounded (40 -> 89, 200 -> 200). A negative volume counts as 0.
int VlcVolumeToSend(int level, const std::string& shortVersion, int volume);

// Mute mode -1 toggles the current state, 0 unmutes, any other value mutes.
bool VlcMuteState(int mode, bool currentlyMuted);

// A network path ("\\server\...") or a drive path ("C:\...") is opened as a file; anything else as a location.
bool IsVlcFilePath(const std::string& mrl);

// The player takes its own membership of a multicast source ("...://@...") at level 12, and at every level when
// no receiving interface is set; otherwise libvlc's own interface option does the job.
bool TakesOwnMulticastMembership(int level, const std::string& interfaceAddress, const std::string& mrl);

// The crop geometry handed to the player: level 12 knows no "auto", it wants "".
std::string VlcCropGeometry(int level, const std::string& geometry);
