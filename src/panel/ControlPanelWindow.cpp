#include "panel/ControlPanelWindow.h"

#include <utility>

#include "base/ProcessValues.h"
#include "base/TranscoderPort.h"
#include "netutil/HostInfo.h"
#include "panel/ControlPanel.h"
#include "panel/HelpText.h"
#include "panel/PanelConsole.h"
#include "panel/PanelView.h"
#include "platform/Console.h"
#include "platform/NamedMutex.h"
#include "platform/Process.h"
#include "platform/Text.h"
#include "platform/UserMessage.h"
#include "settings/Settings.h"

namespace {

// The panel whose window owns the messages; one per process.
ControlPanelWindow* activePanel = nullptr;

// The prompt's text is in the system's code page; what the code page cannot hold is shown as best it can.
std::string PromptText(const std::string& text) {
  std::string shown;
  platform::SystemCodePageFromUtf8(text, shown);
  return shown;
}

constexpr LocalizedText kNoWindow{"Не удалось создать окно панели управления ({error})",
                                  "The control panel window could not be created ({error})"};

}  // namespace

ControlPanelWindow::ControlPanelWindow(const PanelSwitches& switches, const PanelOperations& operations)
    : switches_(switches), operations_(operations), shown_(InitialStatusView()) {
  activePanel = this;
}

ControlPanelWindow::~ControlPanelWindow() {
  if (activePanel == this) activePanel = nullptr;
}

int ControlPanelWindow::Run() {
  language_ = SystemPanelLanguage();
  settingsFile_ = SettingsFile();
  fields_ = DefaultPanelFields(ListInterfaceAddresses());
  // Line 2 is placed before line 3, so the change reaction for the port sees the stored interface.
  std::string loadMessage;
  const SettingsLoad load = LoadPanelSettings(settingsFile_, fields_, language_, loadMessage);

  // The service switches never make the window; they report to the prompt they were given at.
  if (switches_.install || switches_.remove) {
    reportToPrompt_ = true;
    if (load != SettingsLoad::Unreadable) return RunServiceSwitch(switches_.install);
    // The save that comes with the install would replace the file with the defaults.
    Message(loadMessage);
    return 1;
  }

  platform::WindowHandlers handlers;
  handlers.controlUsed = [this](int number) { OnControlUsed(number); };
  handlers.timer = [this] { RefreshStatus(); };
  handlers.helpKey = [this] { ShowHelp(); };
  handlers.escapeKey = [this] { window_.PostClose(); };
  const bool windowMade =
      window_.Create(PanelWindowDescription(language_, PanelCaption(kProductTitle, ProgramVersion())), handlers);
  const std::string windowError = windowMade ? std::string() : platform::LastErrorText();
  ShowFields();
  RefreshStatus();

  if (switches_.help) {
    window_.Hide();
    ShowHelp();
    window_.Close();
    return 0;
  }
  if (!windowMade && platform::PanelWindow::Available()) {
    Message(TextWith(kNoWindow, language_, {{"{error}", platform::Utf8FromSystemCodePage(windowError)}}));
    return 1;
  }
  if (!loadMessage.empty()) Message(loadMessage);
  if (!windowMade) {
    PrintConsolePanel();
    return 0;
  }
  CheckForeignService();
  window_.Show();
  if (load == SettingsLoad::Missing) ShowHelp();  // first run
  window_.RunMessageLoop();
  FinishRestartAfterClose();
  return 0;
}

// "/install" saves the settings, then replaces an installed service and starts the new one: settings that
// cannot be saved leave an installed service as it was. "/remove" stops and removes the service; with none
// installed there is nothing to do, which it notes. 1 when a step failed.
int ControlPanelWindow::RunServiceSwitch(bool install) {
  const PanelServiceOperations& service = operations_.service;
  if (!service.mayChange(install ? "/install" : "/remove")) return 1;
  if (!install) {
    const RemoveOutcome removed = RemoveProxyService();
    if (removed == RemoveOutcome::NotInstalled) Note(ServiceNotInstalledText(language_));
    return removed == RemoveOutcome::Failed ? 1 : 0;
  }
  if (!SaveFirst(false)) return 1;
  if (service.query().opened && RemoveProxyService() == RemoveOutcome::Failed) return 1;
  return InstallAndStartSaved() ? 0 : 1;
}

void ControlPanelWindow::Message(const std::string& text) {
  if (!reportToPrompt_) return window_.Message(text);
  platform::ReportToUser(PanelCaption(kProductTitle, ProgramVersion()), PromptText(text));
}

void ControlPanelWindow::Note(const std::string& text) {
  if (!reportToPrompt_) return window_.Message(text);
  platform::WriteStandardErrorLine(PromptText(text));
}

void ControlPanelWindow::PrintConsolePanel() {
  for (const std::string& line : ConsolePanelLines(fields_, shown_, language_)) platform::WriteStandardOutputLine(line);
}

void ControlPanelWindow::ShowFields() {
  const auto number = [](ControlId id) { return ControlNumber(id); };
  window_.SetEntries(number(ControlId::MulticastInterfaceBox), fields_.interfaceEntries);
  window_.SetText(number(ControlId::MulticastInterfaceBox), fields_.multicastInterface);
  window_.SetEntries(number(ControlId::HttpInterfaceBox), fields_.interfaceEntries);
  window_.Select(number(ControlId::HttpInterfaceBox), fields_.httpInterfaceIndex);
  window_.SetText(number(ControlId::HttpPortField), fields_.httpPort);
  window_.SetText(number(ControlId::TranscoderPortField), fields_.transcoderPort);
  window_.SetText(number(ControlId::AddressLink), fields_.addressLink);
  window_.SetChecked(number(ControlId::TranscoderEnableCheck), fields_.transcoderEnabled);
  window_.SetEntries(number(ControlId::ProfileBox), TranscoderPresets());
  window_.SetText(number(ControlId::ProfileBox), fields_.transcoderProfile);
  window_.SetEnabled(number(ControlId::SaveButton), fields_.saveEnabled);
}

void ControlPanelWindow::OnControlUsed(int number) {
  switch (const ControlId id = ControlOfNumber(number)) {
    case ControlId::MulticastInterfaceBox:
    case ControlId::HttpInterfaceBox:
    case ControlId::HttpPortField:
    case ControlId::ProfileBox:
    case ControlId::TranscoderEnableCheck:
      return OnSettingsEdited(id);
    case ControlId::SaveButton:
      return Save();
    case ControlId::AddressLink:
      return OpenAddress("http://" + fields_.addressLink);
    case ControlId::VlcLink:
      return OpenAddress(kVlcPageAddress);
    case ControlId::HelpButton:
      return ShowHelp();
    case ControlId::FirewallButton:
      return AddFirewallException();
    case ControlId::AppStartButton:
      return LaunchUserMode();
    case ControlId::InstallButton:
      InstallProxyService();
      return;
    case ControlId::RemoveButton:
      // A service gone meanwhile needs no word: the next refresh shows it not installed.
      RemoveProxyService();
      return;
    case ControlId::ServiceStartButton:
      StartProxyService();
      return;
    case ControlId::ServiceStopButton:
      return StopProxyService();
    case ControlId::OperateButton:
      return OperateForeignService();
    case ControlId::TranscoderStartButton:
      return LaunchTranscoder();
    case ControlId::TranscoderStopButton:
      return CloseTranscoder();
    default:
      return;
  }
}

void ControlPanelWindow::OnSettingsEdited(ControlId id) {
  const int number = ControlNumber(id);
  switch (id) {
    case ControlId::MulticastInterfaceBox:
      fields_.multicastInterface = window_.Text(number);
      break;
    case ControlId::HttpInterfaceBox:
      fields_.httpInterfaceIndex = window_.Selected(number);
      break;
    case ControlId::HttpPortField:
      fields_.httpPort = window_.Text(number);
      break;
    case ControlId::ProfileBox:
      fields_.transcoderProfile = window_.Text(number);
      break;
    case ControlId::TranscoderEnableCheck:
      fields_.transcoderEnabled = window_.Checked(number);
      break;
    default:
      return;
  }
  OnSettingsChanged(fields_);
  for (const auto& [control, text] : {std::pair{ControlId::TranscoderPortField, &fields_.transcoderPort},
                                      std::pair{ControlId::AddressLink, &fields_.addressLink}}) {
    if (window_.Text(ControlNumber(control)) != *text) window_.SetText(ControlNumber(control), *text);
  }
  window_.SetEnabled(ControlNumber(ControlId::SaveButton), fields_.saveEnabled);
}

void ControlPanelWindow::RefreshStatus() {
  StatusInputs inputs;
  inputs.instanceMutexExists = platform::NamedMutexExists(InstanceMutexName(InstanceId()));
  const ServiceQuery service = operations_.service.query();
  inputs.serviceOpened = service.opened;
  inputs.serviceState = service.state;
  inputs.transcoderWindowExists = operations_.transcoder.find(inputs.transcoderRequest);
  if (inputs.transcoderWindowExists) {
    // Without a transcoder port (0) nothing is counted.
    inputs.transcoderViewers = CountEstablishedOnPort(TranscoderPortAfter(fields_.httpPort));
    if (operations_.transcoder.refusal) inputs.transcoderRefusal = operations_.transcoder.refusal();
  }
  inputs.transcoderEnabled = fields_.transcoderEnabled;
  const StatusView next = NextStatusView(shown_, inputs, language_);
  for (const ControlUpdate& update : StatusUpdates(shown_, next)) ApplyUpdate(update);
  shown_ = next;
  AfterRefresh();
}

void ControlPanelWindow::ApplyUpdate(const ControlUpdate& update) {
  const int number = ControlNumber(update.control);
  switch (update.aspect) {
    case ControlUpdate::Aspect::Text:
      return window_.SetText(number, update.text);
    case ControlUpdate::Aspect::Visible:
      return window_.SetVisible(number, update.on);
    case ControlUpdate::Aspect::Enabled:
      return window_.SetEnabled(number, update.on);
  }
}

// A restart after a save goes on with each refresh until the service has stopped.
void ControlPanelWindow::AfterRefresh() {
  switch (restart_.AfterRefresh(shown_)) {
    case RestartStep::Start:
      // The settings were saved before the stop: saving them again could refuse values typed meanwhile and
      // leave the service stopped.
      operations_.service.start();
      return;
    case RestartStep::GiveUp:
      return Message(RestartGaveUpMessage(language_));
    default:
      return;
  }
}

int RunControlPanel(const PanelSwitches& switches, const PanelOperations& operations) {
  ControlPanelWindow panel(switches, operations);
  return panel.Run();
}

void PanelMessage(const std::string& text) {
  if (activePanel != nullptr) return activePanel->Message(text);
  platform::PanelWindow().Message(text);
}
