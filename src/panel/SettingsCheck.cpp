#include "panel/SettingsCheck.h"

#include <cstddef>
#include <vector>

#include "base/TextUtil.h"
#include "netutil/InterfaceSelect.h"

namespace {

constexpr std::size_t kMaxMaskLength = 256;

constexpr int kHighestPort = 65535;

constexpr LocalizedText kPortMessage{
    "Порт HTTP-сервера должен быть числом от 1 до 65535, а не \"{value}\".",
    "The HTTP-Server port must be a number from 1 to 65535, not \"{value}\"."};
constexpr LocalizedText kPortReadAs{"Порт HTTP-сервера \"{value}\" читается как {port}.",
                                    "The HTTP-Server port \"{value}\" is read as {port}."};
constexpr LocalizedText kInterfaceMessage{
    "Интерфейс мультикаста \"{value}\" не является адресом интерфейса.",
    "The multicast interface \"{value}\" is not an interface address."};
constexpr LocalizedText kEmptyEntryMessage{
    "В списке интерфейсов мультикаста \"{value}\" есть пустой элемент: всё, что стоит после него, не учитывается.",
    "The multicast interface list \"{value}\" has an empty entry: everything after it is ignored."};
constexpr LocalizedText kListHint{
    " Укажите адрес, например 0.0.0.0, или список, например \"192.168.0.1, 192.168.1.2@233.7.*.*\".",
    " Enter an address such as 0.0.0.0 or a list such as \"192.168.0.1, 192.168.1.2@233.7.*.*\"."};
constexpr LocalizedText kNotSaved{" Настройки не сохранены.", " The settings were not saved."};

std::string Message(const LocalizedText& text, const std::string& value, bool withHint, PanelLanguage language) {
  std::string message = TextWith(text, language, {{"{value}", value}});
  if (withHint) message += TextIn(kListHint, language);
  return message + TextIn(kNotSaved, language);
}

void CheckPort(const std::string& text, PanelLanguage language, FieldsCheck& check) {
  const int port = ParseInteger(text);
  if (port < 1 || port > kHighestPort) {
    check.refusal = Message(kPortMessage, text, false, language);
  } else if (text.find_first_not_of("0123456789") != std::string::npos) {
    check.warning = TextWith(kPortReadAs, language, {{"{value}", text}, {"{port}", std::to_string(port)}});
  }
}

// One entry of a list: an address, or an address, "@" and a group mask.
bool IsListEntry(const std::string& entry) {
  const std::size_t at = entry.find('@');
  if (at == std::string::npos) return IsDottedAddress(entry);
  const std::size_t maskLength = entry.size() - at - 1;
  return IsDottedAddress(entry.substr(0, at)) && maskLength > 0 && maskLength <= kMaxMaskLength;
}

// Refused unless the text is an interface address or a list with usable entries before its first empty one.
void CheckMulticastInterface(const std::string& text, PanelLanguage language, FieldsCheck& check) {
  // Without "," the proxy takes the text as it stands: a mask entry alone would be used as an address.
  if (text.find(',') == std::string::npos) {
    if (!IsDottedAddress(text)) check.refusal = Message(kInterfaceMessage, text, true, language);
    return;
  }
  // The proxy reads the entries up to the first empty one.
  std::vector<std::string> entries;
  for (std::size_t start = 0;;) {
    const std::size_t comma = text.find(',', start);
    entries.push_back(TrimControl(text.substr(start, comma - start)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  std::size_t used = 0;
  while (used < entries.size() && !entries[used].empty()) ++used;
  if (used == 0) {
    check.refusal = Message(kInterfaceMessage, text, true, language);
    return;
  }
  for (std::size_t i = 0; i < used; ++i) {
    if (!IsListEntry(entries[i])) {
      check.refusal = Message(kInterfaceMessage, entries[i], true, language);
      return;
    }
  }
  for (std::size_t i = used; i < entries.size(); ++i) {
    if (!entries[i].empty()) {
      check.warning = TextWith(kEmptyEntryMessage, language, {{"{value}", text}});
      return;
    }
  }
}

}  // namespace

FieldsCheck CheckPanelFields(const PanelFields& fields, PanelLanguage language) {
  FieldsCheck port;
  CheckPort(fields.httpPort, language, port);
  if (!port.refusal.empty()) return port;
  FieldsCheck interfaces;
  CheckMulticastInterface(fields.multicastInterface, language, interfaces);
  if (!interfaces.refusal.empty()) return interfaces;
  const std::string between = !port.warning.empty() && !interfaces.warning.empty() ? " " : "";
  return {std::string(), port.warning + between + interfaces.warning};
}
