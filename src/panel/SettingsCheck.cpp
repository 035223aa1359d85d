#include "panel/SettingsCheck.h"

#include <cstddef>
#include <vector>

#include "netutil/InterfaceSelect.h"

namespace {

constexpr std::size_t kMaxMaskLength = 256;

constexpr LocalizedText kPortMessage{
    "Порт HTTP-сервера должен быть числом от 1 до 65535, а не \"{value}\".",
    "The HTTP-Server port must be a number from 1 to 65535, not \"{value}\"."};
constexpr LocalizedText kInterfaceMessage{
    "Интерфейс мультикаста \"{value}\" не является адресом интерфейса.",
    "The multicast interface \"{value}\" is not an interface address."};
constexpr LocalizedText kEmptyEntryMessage{
    "В списке интерфейсов мультикаста \"{value}\" есть пустой элемент: всё, что стоит после него, не учитывается.",
    "The multicast interface list \"{value}\" has an empty entry: everything after it would be ignored."};
constexpr LocalizedText kListHint{
    " Укажите адрес, например 0.0.0.0, или список, например \"192.168.0.1, 192.168.1.2@233.7.*.*\".",
    " Enter an address such as 0.0.0.0 or a list such as \"192.168.0.1, 192.168.1.2@233.7.*.*\"."};
constexpr LocalizedText kNotSaved{" Настройки не сохранены.", " The settings were not saved."};

std::string Message(const LocalizedText& text, const std::string& value, bool withHint, PanelLanguage language) {
  std::string message = TextWith(text, language, {{"{value}", value}});
  if (withHint) message += TextIn(kListHint, language);
  return message + TextIn(kNotSaved, language);
}

bool IsPortText(const std::string& text) {
  if (text.empty() || text.size() > 5) return false;
  long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value >= 1 && value <= 65535;
}

// One entry of a list: an address, or an address, "@" and a group mask.
bool IsListEntry(const std::string& entry) {
  const std::size_t at = entry.find('@');
  if (at == std::string::npos) return IsDottedAddress(entry);
  const std::size_t maskLength = entry.size() - at - 1;
  return IsDottedAddress(entry.substr(0, at)) && maskLength > 0 && maskLength <= kMaxMaskLength;
}

// Empty when the text is an interface address or a usable list, else the message.
std::string CheckMulticastInterface(const std::string& text, PanelLanguage language) {
  // Without "," the proxy takes the text as it stands: a mask entry alone would be used as an address.
  if (text.find(',') == std::string::npos) {
    return IsDottedAddress(text) ? std::string() : Message(kInterfaceMessage, text, true, language);
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
  for (std::size_t i = used; i < entries.size(); ++i) {
    if (!entries[i].empty()) return Message(kEmptyEntryMessage, text, false, language);
  }
  if (used == 0) return Message(kInterfaceMessage, text, true, language);
  for (std::size_t i = 0; i < used; ++i) {
    if (!IsListEntry(entries[i])) return Message(kInterfaceMessage, entries[i], true, language);
  }
  return std::string();
}

}  // namespace

std::string CheckPanelFields(const PanelFields& fields, PanelLanguage language) {
  if (!IsPortText(fields.httpPort)) return Message(kPortMessage, fields.httpPort, false, language);
  return CheckMulticastInterface(fields.multicastInterface, language);
}
