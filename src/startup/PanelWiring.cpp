#include "startup/PanelWiring.h"

#include <cstdint>
#include <string>

#include "base/ProcessValues.h"
#include "base/TranscoderContract.h"
#include "panel/ControlPanel.h"
#include "platform/MessageWindow.h"
#include "platform/Text.h"
#include "service/ServiceControl.h"
#include "platform/Files.h"
#include "service/ServiceManager.h"
#include "startup/Switches.h"
#include "transcoder/TranscoderHost.h"
#include "transcoder/TranscoderLog.h"

namespace {

// The service module's messages carry the system's texts, which are in its code page; the panel's are UTF-8.
void ShowInPanel(const std::string& text) { PanelMessage(platform::Utf8FromSystemCodePage(text)); }

ServiceQuery QueryProxyService() {
  ServiceQuery query;
  std::uint32_t state = 0;
  query.opened = QueryServiceState(state);
  query.state = state;
  return query;
}

bool MayChangeServices(const std::string& commandSwitch) {
  const std::string advice = platform::ServiceRightsAdvice(commandSwitch);
  if (!advice.empty()) ShowInPanel(advice);
  return advice.empty();
}

platform::WindowRef TranscoderWindow() { return platform::FindMessageWindow(kTranscoderWindowClass, std::string()); }

// The refresh runs twice a second on the window's thread: a transcoder busy starting libvlc is not waited for.
constexpr unsigned kTranscoderReadLimit = 200;

std::string TranscoderRefusal() {
  std::string log;
  const std::string file = TranscoderLogFile();
  if (file.empty() || !platform::ReadWholeFile(file, log)) return std::string();
  return LatestProfileRefusal(log);
}

bool FindTranscoder(std::string& request) {
  const platform::WindowRef window = TranscoderWindow();
  if (!window.Found()) return false;
  std::string text;
  // A window that goes away meanwhile, or is too busy to answer, reads as one without a stream for this refresh.
  request = platform::ReadWindowText(window, text, kTranscoderReadLimit) ? platform::Utf8FromSystemCodePage(text)
                                                                         : std::string();
  return true;
}

// In the order of the operations' fields: each is named after what it does.
PanelOperations WiredPanelOperations() {
  PanelOperations operations;
  operations.service = {QueryProxyService,
                        MayChangeServices,
                        [] { return InstallService(ShowInPanel); },
                        [] { return RemoveService(ShowInPanel); },
                        [] { return StartService(ShowInPanel); },
                        [] { StopService(ShowInPanel); },
                        [] { return GetServiceImagePath(kServiceName); }};
  operations.transcoder = {FindTranscoder, [] { platform::PostWindowClose(TranscoderWindow()); }, TranscoderRefusal};
  return operations;
}

}  // namespace

PanelSwitches PanelSwitchesOf(const std::vector<std::string>& arguments) {
  PanelSwitches switches;
  switches.install = HasSwitch(arguments, "/install");
  switches.remove = HasSwitch(arguments, "/remove");
  switches.help = HasSwitch(arguments, "/?");
  return switches;
}

int RunControlPanelMode() { return RunControlPanel(PanelSwitchesOf(ProcessArguments()), WiredPanelOperations()); }
