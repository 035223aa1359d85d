#include "panel/HelpText.h"

#include "panel/PanelLayout.h"

namespace {

struct HelpLine {
  bool indented;  // three blanks before the text
  LocalizedText text;
  bool trailingBlank;
};

// {A} address, {P} port, {M} multicast label caption.
constexpr HelpLine kHelpLines[] = {
    {false, {"Пример использования", "Usage examples"}, false},
    {false, {"", ""}, false},
    {true,
     {"Для просмотра UDP-потока udp://@x.x.x.x:x через прокси", "To view udp://@x.x.x.x:x UDP-stream through proxy"},
     true},
    {true, {"используйте адрес http://{A}:{P}/udp://@x.x.x.x:x", "use this URL http://{A}:{P}/udp://@x.x.x.x:x"}, true},
    {true, {"или http://{A}:{P}/udp/x.x.x.x:x", "or http://{A}:{P}/udp/x.x.x.x:x"}, true},
    {false, {"", ""}, false},
    {true, {"Если вы используете Lumora Player достаточно указать в", "If you use Lumora Player just set"}, false},
    {true,
     {"Настройки - Общие - Сетевой интерфейс \"{A}:{P}\"", "Settings - Common - Network interface to \"{A}:{P}\""},
     true},
    {false, {"", ""}, false},
    {true,
     {"Если вы используете приложение IPTV для Android также", "If you use IPTV app for Android you also just"},
     false},
    {true, {"достаточно указать в настройках {A} и порт {P}", "need to set {A} and port {P}"}, true},
    {false, {"", ""}, false},
    {false, {"Ключи командной строки", "Command line switches"}, false},
    {false, {"", ""}, false},
    {true, {"/user - запустить как обычное приложение", "/user - run as regular application"}, true},
    {true, {"/cons - показать консоль (только вместе с /user)", "/cons - show console (only with /user)"}, true},
    {true, {"/install - установить и запустить сервис", "/install - install and start service"}, true},
    {true, {"/remove - остановить и удалить сервис", "/remove - stop and remove server"}, true},
    {false, {"", ""}, false},
    {false, {"Поле \"{M}\" поддерживает ввод списка", "Input box \"{M}\" supports list entry"}, true},
    {false, {"", ""}, false},
    {true,
     {"Пример: \"192.168.0.1, 192.168.1.2@233.7.*.*\"", "Example: \"192.168.0.1, 192.168.1.2@233.7.*.*\""},
     true},
    {true,
     {"Если адрес группы подходит под маску 233.7.*.*, то", "If multicast group matches mask 233.7.*.*, then"},
     true},
    {true,
     {"выбирается интерфейс 192.168.1.2, иначе - 192.168.0.1",
      "interface 192.168.1.2 is selected, if not - 192.168.0.1"},
     true},
};

}  // namespace

std::string HelpText(PanelLanguage language, const std::string& address, const std::string& port,
                     const std::string& multicastCaption) {
  std::string text;
  for (const HelpLine& line : kHelpLines) {
    if (line.indented) text += "   ";
    text += TextWith(line.text, language, {{"{A}", address}, {"{P}", port}, {"{M}", multicastCaption}});
    if (line.trailingBlank) text += ' ';
    text += '\r';
  }
  return text;
}

std::string HelpTextFor(const PanelFields& fields, PanelLanguage language) {
  return HelpText(language, DisplayedAddress(fields), fields.httpPort,
                  TextIn(ControlSpecOf(ControlId::MulticastLabel).caption, language));
}
