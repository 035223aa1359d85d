#include "transcoder/VlcPlayerRules.h"

#include <cmath>

#include "base/TextUtil.h"
#include "netutil/InterfaceSelect.h"
#include "transcoder/VlcLocate.h"

std::string DefaultVlcConfigFile(const std::string& programPath) { return ReplaceExtension(programPath, ".Vlc.ini"); }

std::string VlcPluginPathArgument(bool librariesBesideProgram, const std::string& vlcFolder) {
  return librariesBesideProgram ? "--plugin-path=..\\plugins" : "--plugin-path=" + vlcFolder + "plugins";
}

std::vector<std::string> VlcExtraArguments(const std::string& extraArgs) {
  std::vector<std::string> arguments;
  if (extraArgs.empty()) return arguments;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = extraArgs.find(',', start);
    arguments.push_back("--" + extraArgs.substr(start, comma - start));
    if (comma == std::string::npos) return arguments;
    start = comma + 1;
  }
}

std::vector<std::string> VlcInstanceArguments(int level, const std::string& pluginPathArgument,
                                              const std::string& vlcFolder, const std::string& configUtf8,
                                              const std::string& extraArgs) {
  const std::string config = "--config=" + configUtf8;
  std::vector<std::string> arguments;
  if (level == kVlcLevelModern) {
    // libvlc 2.0 dropped "--plugin-path" (it finds its plugins beside itself) and says so on every start; its
    // messages reach the transcoder through the log callback, never its own console printer.
    arguments = {config, "--no-osd", "--no-media-library", "--no-video-title-show", "--quiet"};
  } else if (level == kVlcLevelMedia) {
    arguments = {pluginPathArgument, config, "--no-osd", "--no-media-library", "--no-video-title-show"};
  } else if (level == kVlcLevelException) {
    arguments = {pluginPathArgument, "--no-plugins-cache", config, "--no-osd", "--no-media-library"};
  } else {
    return {vlcFolder, "--no-plugins-cache", config, "--no-osd"};
  }
  for (std::string& extra : VlcExtraArguments(extraArgs)) arguments.push_back(std::move(extra));
  return arguments;
}

std::string VlcErrorText(int number, const std::string& text) { return "Error " + std::to_string(number) + " : " + text; }

std::string ShortVlcVersion(const std::string& versionText) {
  const std::size_t blank = versionText.find(' ', 1);
  return blank == std::string::npos ? versionText : versionText.substr(0, blank);
}

int VlcVolumeToSend(int level, const std::string& shortVersion, int volume) {
  if (level != kVlcLevelModern || !StartsWith(shortVersion, "2.0.")) return volume;
  if (volume <= 0) return 0;
  return static_cast<int>(std::lround(200.0 * std::sqrt(volume / 200.0)));
}

bool VlcMuteState(int mode, bool currentlyMuted) { return mode == -1 ? !currentlyMuted : mode != 0; }

bool IsVlcFilePath(const std::string& mrl) {
  return MatchesMask(mrl, "\\\\*") || MatchesMask(mrl, "?:\\*");
}

bool TakesOwnMulticastMembership(int level, const std::string& interfaceAddress, const std::string& mrl) {
  return (level == kVlcLevelModern || interfaceAddress.empty()) && mrl.find("://@") != std::string::npos;
}

std::string VlcCropGeometry(int level, const std::string& geometry) {
  return level == kVlcLevelModern && geometry == "auto" ? std::string() : geometry;
}
