#pragma once
// The settings file beside the program: five lines of plain text, no keys.
#include <string>
#include <vector>

#include "base/TextUtil.h"

struct ProxySettings {
  std::string multicastInterface;  // line 1: interface list
  std::string httpInterface;       // line 2: listener address
  std::string httpPort;            // line 3: listener port, decimal text
  std::string transcoderEnabled;   // line 4: "1" = on
  std::string transcoderProfile;   // line 5: transcoding parameters
};

// What the proxy runner hands to the listener.
struct ListenerSettings {
  std::string multicastInterface = "0.0.0.0";
  std::string httpInterface = "0.0.0.0";
  int httpPort = 81;
  bool transcoderEnabled = false;
};

// The settings file of a program file, and of the running program.
std::string SettingsFileFor(const std::string& programPath);
std::string SettingsFile();

// Present when its attributes can be read and it is not a folder.
bool SettingsFileExists(const std::string& fileName);

// Lines split at CR LF, CR or LF; the text ends at the first NUL.
std::vector<std::string> SplitSettingsLines(const std::string& contents);
// Line number (1-based) of a settings file, read anew; empty when the file has fewer lines or cannot be read.
std::string ReadSettingsLine(const std::string& fileName, int lineNumber);

// The file's bytes: the five lines, each ended by CR LF.
std::string SettingsText(const ProxySettings& settings);
// Replaces the file whole (platform::ReplaceWholeFile); false, with the file as it was, when that fails.
bool WriteSettingsFile(const std::string& fileName, const ProxySettings& settings);

// Lines 1 to 4 of the file converted for the listener, or the built-in values when it does not exist.
ListenerSettings ReadListenerSettings(const std::string& fileName);
