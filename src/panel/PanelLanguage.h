#pragma once
// The control panel speaks Russian on Russian, Ukrainian and Belarusian systems and English elsewhere.
// All texts of the panel are UTF-8 here; the window converts them at its edge.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

enum class PanelLanguage { English, Russian };

// 0x0419 Russian, 0x0422 Ukrainian and 0x0423 Belarusian give Russian; every other identifier English.
PanelLanguage LanguageOfLanguageId(std::uint16_t languageId);
// The rule applied to the system's default language (the system's, not the user's).
PanelLanguage SystemPanelLanguage();

// A text in both languages; russian may equal english.
struct LocalizedText {
  const char* russian;
  const char* english;
};

const char* TextIn(const LocalizedText& text, PanelLanguage language);

using Placeholders = std::initializer_list<std::pair<const char*, std::string>>;

// pattern with every "{name}" of the list replaced by its value, in one pass: a value is not searched again.
std::string FillPlaceholders(const std::string& pattern, Placeholders values);
// The text in the language, filled in.
std::string TextWith(const LocalizedText& text, PanelLanguage language, Placeholders values);
