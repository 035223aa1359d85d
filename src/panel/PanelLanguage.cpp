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
