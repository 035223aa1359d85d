#include "panel/PanelSettingsFile.h"

#include "panel/SettingsCheck.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Text.h"

namespace {

constexpr LocalizedText kUnreadable{
    "Не удалось прочитать файл настроек \"{file}\" ({error}). Показаны значения по умолчанию.",
    "The settings file \"{file}\" could not be read ({error}). The default values are shown."};
constexpr LocalizedText kUnwritable{
    "Не удалось записать файл настроек \"{file}\" ({error}). Настройки не сохранены.",
    "The settings file \"{file}\" could not be written ({error}). The settings were not saved."};
constexpr LocalizedText kNotInCodePage{
    "Значение \"{value}\" содержит символы, которые нельзя сохранить в кодировке системы. Настройки не сохранены.",
    "The value \"{value}\" holds characters that the system's code page cannot store. The settings were not saved."};

// The system's texts (paths, error messages) are in its code page.
std::string SystemText(const std::string& text) { return platform::Utf8FromSystemCodePage(text); }

}  // namespace

SettingsLoad LoadPanelSettings(const std::string& fileName, PanelFields& fields, PanelLanguage language,
                               std::string& message) {
  message.clear();
  if (!SettingsFileExists(fileName)) return SettingsLoad::Missing;
  std::string contents;
  if (!platform::ReadWholeFile(fileName, contents)) {
    message = TextWith(kUnreadable, language,
                       {{"{file}", SystemText(fileName)}, {"{error}", SystemText(platform::LastErrorText())}});
    return SettingsLoad::Unreadable;
  }
  std::vector<std::string> lines = SplitSettingsLines(contents);
  for (std::string& line : lines) line = SystemText(line);
  LoadSettingsLines(fields, lines);
  return SettingsLoad::Loaded;
}

SaveResult SaveSettings(const std::string& fileName, const PanelFields& fields, PanelLanguage language) {
  SaveResult result;
  const FieldsCheck check = CheckPanelFields(fields, language);
  result.message = check.refusal;
  if (!result.message.empty()) return result;

  ProxySettings settings = SettingsFromFields(fields);
  for (std::string* value : {&settings.multicastInterface, &settings.httpInterface, &settings.httpPort,
                             &settings.transcoderEnabled, &settings.transcoderProfile}) {
    std::string stored;
    if (!platform::SystemCodePageFromUtf8(*value, stored)) {
      result.message = TextWith(kNotInCodePage, language, {{"{value}", *value}});
      return result;
    }
    *value = stored;
  }
  if (!WriteSettingsFile(fileName, settings)) {
    result.message = TextWith(kUnwritable, language,
                              {{"{file}", SystemText(fileName)}, {"{error}", SystemText(platform::LastErrorText())}});
    return result;
  }
  result.saved = true;
  result.message = check.warning;
  return result;
}
