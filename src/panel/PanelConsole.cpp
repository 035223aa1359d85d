#include "panel/PanelConsole.h"

#include "panel/HelpText.h"

namespace {

constexpr LocalizedText kStopTranscoderAdvice{"Остановить транскодер: corvane /transcoder /close",
                                              "To stop the transcoder: corvane /transcoder /close"};
constexpr LocalizedText kPlaylistLine{
    "Плейлист оператора: сохраните его как corvane.m3u рядом с программой и укажите в приложении адрес "
    "http://{link}/playlist.m3u",
    "Operator's playlist: save it as corvane.m3u beside the program and give apps the address "
    "http://{link}/playlist.m3u"};

}  // namespace

std::vector<std::string> ConsolePanelLines(const PanelFields& fields, const StatusView& view,
                                           PanelLanguage language) {
  std::vector<std::string> lines;
  const std::string help = HelpTextFor(fields, language);
  for (std::size_t start = 0; start < help.size();) {
    const std::size_t end = help.find('\r', start);
    lines.push_back(help.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  lines.push_back(TextWith(kPlaylistLine, language, {{"{link}", fields.addressLink}}));
  lines.push_back(std::string());
  for (const std::string* state : {&view.appLabel, &view.serviceLabel, &view.transcoderLabel}) lines.push_back(*state);
  // Without a window there is no Stop button: the line says what does its work.
  if (view.transcoderStopVisible) lines.push_back(TextIn(kStopTranscoderAdvice, language));
  return lines;
}
