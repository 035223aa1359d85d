#include "settings/Settings.h"

#include "platform/Files.h"

std::string SettingsFileFor(const std::string& programPath) { return ReplaceExtension(programPath, ".ini"); }

std::string SettingsFile() { return SettingsFileFor(platform::ProgramPath()); }

bool SettingsFileExists(const std::string& fileName) {
  return platform::IsFile(fileName);
}

std::vector<std::string> SplitSettingsLines(const std::string& contents) {
  const std::string text = contents.substr(0, contents.find('\0'));
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // A lone LF ends a line too: a file written with a Linux editor reads as the same five lines.
    if (text[i] != '\r' && text[i] != '\n') {
      line += text[i];
      continue;
    }
    lines.push_back(line);
    line.clear();
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string ReadSettingsLine(const std::string& fileName, int lineNumber) {
  std::string contents;
  if (lineNumber < 1 || !platform::ReadWholeFile(fileName, contents)) return std::string();
  const std::vector<std::string> lines = SplitSettingsLines(contents);
  return static_cast<std::size_t>(lineNumber) <= lines.size() ? lines[lineNumber - 1] : std::string();
}

std::string SettingsText(const ProxySettings& settings) {
  std::string text;
  for (const std::string* value : {&settings.multicastInterface, &settings.httpInterface, &settings.httpPort,
                                   &settings.transcoderEnabled, &settings.transcoderProfile}) {
    text += *value;
    text += "\r\n";
  }
  return text;
}

bool WriteSettingsFile(const std::string& fileName, const ProxySettings& settings) {
  return platform::ReplaceWholeFile(fileName, SettingsText(settings));
}

ListenerSettings ReadListenerSettings(const std::string& fileName) {
  ListenerSettings settings;
  if (!SettingsFileExists(fileName)) return settings;
  std::string contents;
  platform::ReadWholeFile(fileName, contents);  // unreadable reads as empty lines
  std::vector<std::string> lines = SplitSettingsLines(contents);
  lines.resize(4);
  settings.multicastInterface = lines[0];
  settings.httpInterface = lines[1];
  settings.httpPort = ParseInteger(lines[2]);
  settings.transcoderEnabled = lines[3] == "1";
  return settings;
}
