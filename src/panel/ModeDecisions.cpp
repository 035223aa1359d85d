#include "panel/ModeDecisions.h"

#include "base/TextUtil.h"

namespace {

constexpr LocalizedText kRestartGaveUp{
    "Сервис не остановился за 30 секунд и не был перезапущен. Новые настройки вступят в силу при его следующем "
    "запуске.",
    "The service did not stop within 30 seconds and was not restarted. The new settings take effect at its next "
    "start."};

}  // namespace

std::string UserModeCommandLine(const std::string& programPath, bool hideConsole) {
  return Quoted(programPath) + " /user" + (hideConsole ? "" : " /cons");
}

std::string TranscoderCommandLine(const std::string& programPath) { return Quoted(programPath) + " /transcoder"; }

bool IsForeignService(const std::string& registeredPath, const std::string& programPath) {
  return !registeredPath.empty() && !EqualsIgnoringAsciiCase(registeredPath, programPath);
}

bool RestartsServiceAfterSave(const StatusView& shown, bool coverShown, bool savedForAppStart) {
  return shown.serviceStopVisible && !coverShown && !savedForAppStart;
}

RestartStep ServiceRestart::AfterRefresh(const StatusView& view) {
  if (!pending_) return RestartStep::Idle;
  RestartStep step = RestartStep::Wait;
  if (view.serviceStartVisible) {
    step = RestartStep::Start;
  } else if (view.installVisible) {
    step = RestartStep::Drop;
  } else if (++refreshes_ >= kRestartRefreshLimit) {
    step = RestartStep::GiveUp;
  }
  if (step != RestartStep::Wait) pending_ = false;
  return step;
}

std::string RestartGaveUpMessage(PanelLanguage language) { return TextIn(kRestartGaveUp, language); }
