#include "panel/PanelLanguage.h"

#include "platform/Text.h"

PanelLanguage LanguageOfLanguageId(std::uint16_t languageId) {
  switch (languageId) {
    case 0x0419:
    case 0x0422:
    case 0x0423:
      return PanelLanguage::Russian;
    default:
      return PanelLanguage::English;
  }
}

PanelLanguage SystemPanelLanguage() { return LanguageOfLanguageId(platform::SystemDefaultLanguageId()); }

const char* TextIn(const LocalizedText& text, PanelLanguage language) {
  return language == PanelLanguage::Russian ? text.russian : text.english;
}

std::string FillPlaceholders(const std::string& pattern, Placeholders values) {
  std::string filled;
  for (std::size_t i = 0; i < pattern.size();) {
    bool replaced = false;
    for (const auto& [name, value] : values) {
      if (pattern.compare(i, std::char_traits<char>::length(name), name) != 0) continue;
      filled += value;
      i += std::char_traits<char>::length(name);
      replaced = true;
      break;
    }
    if (!replaced) filled += pattern[i++];
  }
  return filled;
}

std::string TextWith(const LocalizedText& text, PanelLanguage language, Placeholders values) {
  return FillPlaceholders(TextIn(text, language), values);
}
