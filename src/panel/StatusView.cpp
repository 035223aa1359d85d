#include "panel/StatusView.h"

#include "base/TextUtil.h"
#include "base/TranscoderContract.h"
#include "service/ServiceStatus.h"

namespace {

using namespace platform;

constexpr LocalizedText kAppNotRunningText{"Приложение не запущено", "Application is not running"};
constexpr LocalizedText kAppRunningText{"Приложение работает", "Application is running"};
constexpr LocalizedText kServiceNotInstalledText{"Сервис не установлен", "Service is not installed"};

// The transitional states and the transcoder have one wording, shown in both languages.
constexpr const char* kTranscodingPrefix = "Кодируется поток udp://@";
constexpr const char* kTranscoderRunningText = "Транскодер запущен";
constexpr const char* kTranscoderNotRunningText = "Транскодер не запущен";
constexpr LocalizedText kProfileRefusedText{" - профиль отклонён", " - profile refused"};

struct ServiceRow {
  unsigned state;
  LocalizedText label;
  bool startVisible;
  bool stopVisible;
};

// Remove is visible in every known state, Install in none. Stop is offered wherever the service runs or
// is about to; nothing while it is on its way to stopped or paused.
constexpr ServiceRow kServiceRows[] = {
    {kServiceStopped, {"Сервис остановлен", "Service is stopped"}, true, false},
    {kServiceStartPending, {"Сервис ожидает запуска", "Сервис ожидает запуска"}, false, true},
    {kServiceStopPending, {"Сервис ожидает остановки", "Сервис ожидает остановки"}, false, false},
    {kServiceRunning, {"Сервис работает", "Service is running"}, false, true},
    {kServiceContinuePending, {"Сервис ожидает", "Сервис ожидает"}, false, true},
    {kServicePausePending, {"Сервис ожидает приостановки", "Сервис ожидает приостановки"}, false, false},
    {kServicePaused, {"Сервис приостановлен", "Сервис приостановлен"}, false, true},
};

void ShowService(StatusView& view, const StatusView& shown, const StatusInputs& inputs, PanelLanguage language) {
  view.installVisible = false;
  view.removeVisible = false;
  view.serviceStartVisible = false;
  view.serviceStopVisible = false;
  if (!inputs.serviceOpened) {
    view.serviceLabel = TextIn(kServiceNotInstalledText, language);
    view.installVisible = true;
    return;
  }
  view.serviceLabel = shown.serviceLabel;
  for (const ServiceRow& row : kServiceRows) {
    if (row.state != inputs.serviceState) continue;
    view.serviceLabel = TextIn(row.label, language);
    view.removeVisible = true;
    view.serviceStartVisible = row.startVisible;
    view.serviceStopVisible = row.stopVisible;
  }
}

}  // namespace

StatusView InitialStatusView() {
  const auto visible = [](ControlId id) { return ControlSpecOf(id).visible; };
  const auto caption = [](ControlId id) { return std::string(ControlSpecOf(id).caption.english); };
  StatusView view;
  view.appLabel = caption(ControlId::AppStateLabel);
  view.appStartEnabled = true;
  view.serviceLabel = caption(ControlId::ServiceStateLabel);
  view.installVisible = visible(ControlId::InstallButton);
  view.removeVisible = visible(ControlId::RemoveButton);
  view.serviceStartVisible = visible(ControlId::ServiceStartButton);
  view.serviceStopVisible = visible(ControlId::ServiceStopButton);
  view.transcoderLabel = caption(ControlId::TranscoderStateLabel);
  view.transcoderStartVisible = visible(ControlId::TranscoderStartButton);
  view.transcoderStopVisible = visible(ControlId::TranscoderStopButton);
  view.transcoderControlsEnabled = true;
  return view;
}


std::string ServiceNotInstalledText(PanelLanguage language) { return TextIn(kServiceNotInstalledText, language); }

std::string TranscoderStateText(bool windowExists, const std::string& request, int viewers) {
  if (!windowExists) return kTranscoderNotRunningText;
  const std::string suffix = viewers > 0 ? " [" + std::to_string(viewers) + "]" : std::string();
  if (request.empty()) return kTranscoderRunningText + suffix;
  const TranscoderRequest fields = SplitTranscoderRequest(request);
  return kTranscodingPrefix + fields.source + ":" + fields.port + suffix;
}

std::string WithProfileRefusal(const std::string& transcoderText, const std::string& refusal, PanelLanguage language) {
  return refusal.empty() ? transcoderText : transcoderText + TextIn(kProfileRefusedText, language);
}

StatusView NextStatusView(const StatusView& shown, const StatusInputs& inputs, PanelLanguage language) {
  StatusView view;
  view.appLabel = TextIn(inputs.instanceMutexExists ? kAppRunningText : kAppNotRunningText, language);
  view.appStartEnabled = !inputs.instanceMutexExists;
  ShowService(view, shown, inputs, language);
  view.transcoderStartVisible = !inputs.transcoderWindowExists;
  view.transcoderStopVisible = inputs.transcoderWindowExists;
  view.transcoderLabel =
      TranscoderStateText(inputs.transcoderWindowExists, inputs.transcoderRequest, inputs.transcoderViewers);
  if (inputs.transcoderWindowExists && !inputs.transcoderRequest.empty()) {
    view.transcoderLabel = WithProfileRefusal(view.transcoderLabel, inputs.transcoderRefusal, language);
  }
  view.transcoderControlsEnabled = inputs.transcoderEnabled;
  return view;
}

std::vector<ControlUpdate> StatusUpdates(const StatusView& shown, const StatusView& next) {
  using Aspect = ControlUpdate::Aspect;
  std::vector<ControlUpdate> updates;
  const auto text = [&updates](ControlId id, const std::string& before, const std::string& after) {
    if (before != after) updates.push_back({id, Aspect::Text, after, false});
  };
  const auto flag = [&updates](ControlId id, Aspect aspect, bool before, bool after) {
    if (before != after) updates.push_back({id, aspect, std::string(), after});
  };
  text(ControlId::AppStateLabel, shown.appLabel, next.appLabel);
  flag(ControlId::AppStartButton, Aspect::Enabled, shown.appStartEnabled, next.appStartEnabled);
  text(ControlId::ServiceStateLabel, shown.serviceLabel, next.serviceLabel);
  flag(ControlId::InstallButton, Aspect::Visible, shown.installVisible, next.installVisible);
  flag(ControlId::RemoveButton, Aspect::Visible, shown.removeVisible, next.removeVisible);
  flag(ControlId::ServiceStartButton, Aspect::Visible, shown.serviceStartVisible, next.serviceStartVisible);
  flag(ControlId::ServiceStopButton, Aspect::Visible, shown.serviceStopVisible, next.serviceStopVisible);
  flag(ControlId::TranscoderStartButton, Aspect::Visible, shown.transcoderStartVisible, next.transcoderStartVisible);
  flag(ControlId::TranscoderStopButton, Aspect::Visible, shown.transcoderStopVisible, next.transcoderStopVisible);
  text(ControlId::TranscoderStateLabel, shown.transcoderLabel, next.transcoderLabel);
  flag(ControlId::ProfileBox, Aspect::Enabled, shown.transcoderControlsEnabled, next.transcoderControlsEnabled);
  flag(ControlId::TranscoderStartButton, Aspect::Enabled, shown.transcoderControlsEnabled,
       next.transcoderControlsEnabled);
  return updates;
}
