// The mode actions of the control panel: save, start of the regular mode, the service, the transcoder,
// the foreign service's cover, the firewall exception, help and links.
#include "base/ProcessValues.h"
#include "base/TextUtil.h"
#include "netutil/HostInfo.h"
#include "panel/ControlPanelWindow.h"
#include "panel/FirewallCommands.h"
#include "panel/HelpText.h"
#include "panel/PanelView.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Text.h"
#include "platform/Thread.h"
#include "service/ServiceStatus.h"

namespace {

constexpr LocalizedText kStartFailed{"Не удалось запустить {command} ({error})", "Could not start {command} ({error})"};

// The service needs a moment after its creation before it can be started.
constexpr unsigned kInstallSettleMilliseconds = 300;
// The transcoder ends itself once its window has closed.
constexpr unsigned kTranscoderCloseMilliseconds = 700;
// After the window has closed, a restart still waits this long for the stop (as the Stop action does).
constexpr unsigned kStopPollMilliseconds = 100;
constexpr int kStopPolls = 30;

}  // namespace

bool ControlPanelWindow::SaveFirst(bool forAppStart) {
  const SaveResult result = SaveSettings(settingsFile_, fields_, language_);
  if (!result.saved) {
    Message(result.message);
    return false;
  }
  if (!result.message.empty()) Note(result.message);
  if (RestartsServiceAfterSave(shown_, coverShown_, forAppStart)) RestartServiceAfterSave();
  return true;
}

void ControlPanelWindow::Save() { SaveFirst(false); }

void ControlPanelWindow::ShowHelp() { Message(HelpTextFor(fields_, language_)); }

void ControlPanelWindow::StartOrReport(const std::string& commandLine, platform::ProgramWindow window) {
  if (platform::StartProgram(commandLine, window)) return;
  const std::string error = platform::LastErrorText();
  Message(TextWith(kStartFailed, language_,
                   {{"{command}", platform::Utf8FromSystemCodePage(commandLine)},
                    {"{error}", platform::Utf8FromSystemCodePage(error)}}));
}

void ControlPanelWindow::LaunchUserMode() {
  if (!SaveFirst(true)) return;
  const bool hideConsole = window_.Checked(ControlNumber(ControlId::HideConsoleCheck));
  StartOrReport(UserModeCommandLine(platform::ProgramPath(), hideConsole), platform::ProgramWindow::OwnConsole);
}

bool ControlPanelWindow::InstallProxyService() { return SaveFirst(false) && InstallAndStartSaved(); }

bool ControlPanelWindow::InstallAndStartSaved() {
  if (!operations_.service.install()) return false;
  platform::SleepMilliseconds(kInstallSettleMilliseconds);
  return operations_.service.start();
}

RemoveOutcome ControlPanelWindow::RemoveProxyService() { return operations_.service.remove(); }

bool ControlPanelWindow::StartProxyService() { return SaveFirst(false) && operations_.service.start(); }

void ControlPanelWindow::StopProxyService() { operations_.service.stop(); }

// The stop is sent now; the refreshes that follow start the service again once they see it stopped.
void ControlPanelWindow::RestartServiceAfterSave() {
  StopProxyService();
  restart_.Begin();
}

void ControlPanelWindow::FinishRestartAfterClose() {
  if (!restart_.Pending()) return;
  for (int poll = 0; poll < kStopPolls; ++poll) {
    const ServiceQuery service = operations_.service.query();
    if (!service.opened) return;
    if (service.state == platform::kServiceStopped) {
      operations_.service.start();
      return;
    }
    platform::SleepMilliseconds(kStopPollMilliseconds);
  }
}

void ControlPanelWindow::LaunchTranscoder() {
  std::string request;
  if (!operations_.transcoder.find(request)) {
    StartOrReport(TranscoderCommandLine(platform::ProgramPath()), platform::ProgramWindow::Normal);
  }
}

void ControlPanelWindow::CloseTranscoder() {
  std::string request;
  if (!operations_.transcoder.find(request)) return;
  operations_.transcoder.close();
  platform::SleepMilliseconds(kTranscoderCloseMilliseconds);
}

void ControlPanelWindow::CheckForeignService() {
  if (IsForeignService(operations_.service.imagePath(), platform::ProgramPath())) ShowCover(true);
}

void ControlPanelWindow::ShowCover(bool shown) {
  if (shown) {
    const Rect place = CoverPlaceInWindow(ControlId::ServiceGroup);
    window_.Place(ControlNumber(ControlId::OperatePanel), place.x, place.y, place.width, place.height);
  }
  window_.SetVisible(ControlNumber(ControlId::OperatePanel), shown);
  window_.SetVisible(ControlNumber(ControlId::ServiceStateLabel), !shown);
  coverShown_ = shown;
}

// The other copy opens its own panel; when its file has gone, this window's own buttons take over.
void ControlPanelWindow::OperateForeignService() {
  const std::string path = operations_.service.imagePath();
  if (platform::IsFile(path)) {
    StartOrReport(Quoted(path), platform::ProgramWindow::Normal);
  } else {
    ShowCover(false);
  }
}

void ControlPanelWindow::AddFirewallException() {
  std::vector<std::string> shownLines;
  std::vector<platform::ProgramRun> runs;
  for (const std::string& commandLine : FirewallCommandLines(platform::ProgramPath(), kProductTitle)) {
    platform::ProgramRun run = platform::RunHiddenProgram(commandLine, kFirewallCommandLimitMilliseconds);
    run.error = platform::Utf8FromSystemCodePage(run.error);
    runs.push_back(run);
    shownLines.push_back(platform::Utf8FromSystemCodePage(commandLine));
  }
  const std::string report = FirewallReport(shownLines, runs, language_);
  if (!report.empty()) Message(report);
}

void ControlPanelWindow::OpenAddress(const std::string& address) { OpenUrl(window_.Handle(), address, ""); }
