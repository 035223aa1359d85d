#include "panel/HelpText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The lines as a user sees them, blanks spelled out; "|" marks where each line ends.
std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line.substr(0, line.size() - 1) + "\r";
  return text;
}

TEST(HelpText, EnglishCharacterForCharacter) {
  const std::vector<std::string> expected = {
      "Usage examples|",
      "|",
      "   To view udp://@x.x.x.x:x UDP-stream through proxy |",
      "   use this URL http://127.0.0.1:7781/udp://@x.x.x.x:x |",
      "   or http://127.0.0.1:7781/udp/x.x.x.x:x |",
      "|",
      "   If you use Lumora Player just set|",
      "   Settings - Common - Network interface to \"127.0.0.1:7781\" |",
      "|",
      "   If you use IPTV app for Android you also just|",
      "   need to set 127.0.0.1 and port 7781 |",
      "|",
      "Command line switches|",
      "|",
      "   /user - run as regular application |",
      "   /cons - show console (only with /user) |",
      "   /install - install and start service |",
      "   /remove - stop and remove server |",
      "|",
      "Input box \"Multicast Interface\" supports list entry |",
      "|",
      "   Example: \"192.168.0.1, 192.168.1.2@233.7.*.*\" |",
      "   If multicast group matches mask 233.7.*.*, then |",
      "   interface 192.168.1.2 is selected, if not - 192.168.0.1 |",
  };
  EXPECT_EQ(HelpText(PanelLanguage::English, "127.0.0.1", "7781", "Multicast Interface"), Joined(expected));
}

TEST(HelpText, RussianCharacterForCharacter) {
  const std::vector<std::string> expected = {
      "Пример использования|",
      "|",
      "   Для просмотра UDP-потока udp://@x.x.x.x:x через прокси |",
      "   используйте адрес http://192.168.1.5:8080/udp://@x.x.x.x:x |",
      "   или http://192.168.1.5:8080/udp/x.x.x.x:x |",
      "|",
      "   Если вы используете Lumora Player достаточно указать в|",
      "   Настройки - Общие - Сетевой интерфейс \"192.168.1.5:8080\" |",
      "|",
      "   Если вы используете приложение IPTV для Android также|",
      "   достаточно указать в настройках 192.168.1.5 и порт 8080 |",
      "|",
      "Ключи командной строки|",
      "|",
      "   /user - запустить как обычное приложение |",
      "   /cons - показать консоль (только вместе с /user) |",
      "   /install - установить и запустить сервис |",
      "   /remove - остановить и удалить сервис |",
      "|",
      "Поле \"Интерфейс мультикаста\" поддерживает ввод списка |",
      "|",
      "   Пример: \"192.168.0.1, 192.168.1.2@233.7.*.*\" |",
      "   Если адрес группы подходит под маску 233.7.*.*, то |",
      "   выбирается интерфейс 192.168.1.2, иначе - 192.168.0.1 |",
  };
  EXPECT_EQ(HelpText(PanelLanguage::Russian, "192.168.1.5", "8080", "Интерфейс мультикаста"), Joined(expected));
}

TEST(HelpText, ValuesGoInAsGiven) {
  // An empty port leaves nothing between the colon and the slash, and nothing after the colon in line 8.
  const std::string text = HelpText(PanelLanguage::English, "10.0.0.7", "", "Multicast Interface");
  EXPECT_NE(text.find("\r   use this URL http://10.0.0.7:/udp://@x.x.x.x:x \r"), std::string::npos);
  EXPECT_NE(text.find("\r   or http://10.0.0.7:/udp/x.x.x.x:x \r"), std::string::npos);
  EXPECT_NE(text.find("Network interface to \"10.0.0.7:\" \r"), std::string::npos);
  EXPECT_EQ(text.find('\n'), std::string::npos);

  // A port typed with letters stays as typed; values that look like placeholders are not replaced again.
  const std::string odd = HelpText(PanelLanguage::English, "{P}", "80x", "{A}");
  EXPECT_NE(odd.find("http://{P}:80x/udp/"), std::string::npos);
  EXPECT_NE(odd.find("Input box \"{A}\" supports"), std::string::npos);
}

TEST(PanelLanguage, RussianUkrainianAndBelarusianSystemsGetRussian) {
  EXPECT_EQ(LanguageOfLanguageId(0x0419), PanelLanguage::Russian);
  EXPECT_EQ(LanguageOfLanguageId(0x0422), PanelLanguage::Russian);
  EXPECT_EQ(LanguageOfLanguageId(0x0423), PanelLanguage::Russian);
  for (const std::uint16_t other : {0x0409, 0x0407, 0x0809, 0x0000, 0x0418, 0x0424, 0xFFFF}) {
    EXPECT_EQ(LanguageOfLanguageId(other), PanelLanguage::English) << std::hex << other;
  }
  const LocalizedText save{"Сохранить", "Save"};
  EXPECT_STREQ(TextIn(save, PanelLanguage::Russian), "Сохранить");
  EXPECT_STREQ(TextIn(save, PanelLanguage::English), "Save");

  // Placeholders in any order, each as often as it occurs; unknown braces stay.
  const LocalizedText message{"{error}: {file} {x}", "{file} ({error}) {file}"};
  EXPECT_EQ(TextWith(message, PanelLanguage::English, {{"{file}", "a{error}"}, {"{error}", "denied"}}),
            "a{error} (denied) a{error}");
  EXPECT_EQ(TextWith(message, PanelLanguage::Russian, {{"{file}", "f"}, {"{error}", "e"}}), "e: f {x}");
}

}  // namespace
