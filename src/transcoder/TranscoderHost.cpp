#include "transcoder/TranscoderHost.h"

#include "base/ProcessValues.h"
#include "netutil/HostInfo.h"
#include "platform/Console.h"
#include "platform/Thread.h"
#include "platform/UserMessage.h"
#include "settings/Settings.h"
#include "transcoder/TranscoderLog.h"

namespace {

// The source and the output need a moment to open before the next step, and before the sender redirects its
// client to the new stream.
constexpr unsigned kRequestStepPause = 300;
constexpr unsigned kClosePause = 400;
// How long "/close" waits for the transcoder to end, looking every step.
constexpr unsigned kCloseWaitMilliseconds = 15000;
constexpr unsigned kCloseWaitStep = 100;

// libvlc's errors go to the log; a refusal of the chain built from the profile says so in words of its own.
void LogVlcMessage(int level, const std::string& module, const std::string& text) {
  if (level < kVlcErrorLevel) return;
  LogTranscoderMessage(RefusesProfile(level, module, text) ? kProfileRefusedText + text
                                                           : "libvlc " + module + ": " + text);
}

// Without an interactive desktop (started by the service) nobody could close a message box.
void LogInsteadOfBox(const std::string& text, const std::string& caption) {
  LogTranscoderMessage(caption.empty() ? text : caption + ": " + text);
}

int CloseRunningTranscoder() {
  const platform::WindowRef window = platform::FindMessageWindow(kTranscoderWindowClass, std::string());
  if (!window.Found()) {
    platform::WriteStandardOutputLine("No transcoder is running");
    return 0;
  }
  platform::PostWindowClose(window);
  for (unsigned waited = 0; waited < kCloseWaitMilliseconds; waited += kCloseWaitStep) {
    platform::SleepMilliseconds(kCloseWaitStep);
    if (!platform::FindMessageWindow(kTranscoderWindowClass, std::string()).Found()) {
      platform::WriteStandardOutputLine("Transcoder closed");
      return 0;
    }
  }
  platform::WriteStandardOutputLine("The transcoder did not close");
  return 1;
}

// Line 5 of the settings file, read anew for every request so that a changed profile applies at once.
std::string ReadTranscoderProfile() {
  const std::string file = SettingsFile();
  return SettingsFileExists(file) ? ReadSettingsLine(file, 5) : std::string();
}

}  // namespace

std::string TranscoderWindowCaption() { return std::string(kProductTitle) + " Transcoder"; }

bool TranscoderHost::OpenWindow() {
  platform::MessageWindowHandlers handlers;
  handlers.onTextChanged = [this](const std::string& text) { OnRequest(text); };
  handlers.onTimer = [this] { OnIdleCheck(); };
  handlers.onClose = [this] { OnTranscoderClose(); };
  TranscoderWindow = platform::MessageWindow::Create(kTranscoderWindowClass, TranscoderWindowCaption(),
                                                     std::move(handlers), kIdleCheckMilliseconds);
  return TranscoderWindow != nullptr;
}

bool TranscoderHost::StartPlayer() {
  ProcessVlcBinding().SetRegistryValues(ReadMachineVlcRegistry());
  Player = std::make_unique<TVLCPlugin>(0, std::string(), std::string());
  if (Player->GetState() == -1) return false;
  Player->SetLogSink(LogVlcMessage);
  return true;
}

void TranscoderHost::Run() { TranscoderWindow->Run(); }

void StopTranscoderStream(TVLCPlugin& player) {
  player.SetOption("sout", std::string());
  player.Play(kIdleMrl, 0);
}

TranscoderStream PlayTranscoderRequest(TVLCPlugin& player, const TranscoderRequest& request,
                                       const std::string& profile, int level) {
  TranscoderStream stream;
  StopTranscoderStream(player);
  for (const auto& [name, value] : TranscoderSourceOptions(request, level)) player.SetOption(name, value);
  stream.chain = TranscoderOutputChain(profile, request.httpPort);
  player.SetOption("sout", stream.chain);
  stream.activePort = TranscoderActivePort(request);
  platform::SleepMilliseconds(kRequestStepPause);
  stream.mrl = TranscoderSourceMrl(request);
  player.Play(stream.mrl, 0);
  player.SetOption("sout-all", "1");
  platform::SleepMilliseconds(kRequestStepPause);
  return stream;
}

void TranscoderHost::OnRequest(const std::string& text) {
  if (text.empty() || Player == nullptr) return;
  const std::string profile = ReadTranscoderProfile();
  const TranscoderRequest request = SplitTranscoderRequest(text);
  // The stream serves every viewer of its channel: starting it anew would cut off those who watch it already.
  const std::string identity = TranscoderStreamIdentity(request, profile);
  if (identity == runningStream_ && !Player->HasFailed()) {
    LogTranscoderMessage("Same stream asked for again, left running: " + text);
    return;
  }
  LogTranscoderMessage("Request " + text);
  if (!ProfileNamesMux(profile)) LogTranscoderMessage("The profile names no mux=, mux=ts is taken");
  const TranscoderStream stream = PlayTranscoderRequest(*Player, request, profile, ProcessVlcBinding().ApiLevel());
  ActivePort = stream.activePort;
  runningStream_ = identity;
  // libvlc's own errors are not reported back; a player that has given up already is worth a line.
  if (Player->HasFailed()) {
    LogTranscoderMessage("libvlc refused the stream " + stream.mrl + " with the output " + stream.chain);
  }
}

void TranscoderHost::OnIdleCheck() {
  if (TranscoderWindow->Text().empty() || ActivePort == 0 || Player == nullptr) return;
  if (CountEstablishedOnPort(ActivePort) != 0) return;
  LogTranscoderMessage("Nobody watches port " + std::to_string(ActivePort) + ", stream stopped");
  StopTranscoderStream(*Player);
  runningStream_.clear();
  TranscoderWindow->SetText(std::string());
}

void TranscoderHost::OnTranscoderClose() {
  if (Player != nullptr) StopTranscoderStream(*Player);
  platform::SleepMilliseconds(kClosePause);
  Player.reset();
  LogTranscoderMessage("Closed");
  TranscoderWindow->Quit();
}

int RunTranscoder(const TranscoderSwitches& switches) {
  SetTranscoderConsole(switches.console);
  if (switches.close) return CloseRunningTranscoder();
  if (platform::FindMessageWindow(kTranscoderWindowClass, std::string()).Found()) return 0;
  if (!platform::HasInteractiveDesktop()) SetVlcMessageRoute(LogInsteadOfBox);
  TranscoderHost host;
  // The player comes first: a request reaches the window only once there is a player to take it, and a libvlc
  // that cannot start leaves no window behind, so that senders answer their clients at once.
  if (!host.StartPlayer()) {
    // Where the binding showed nothing (no libvlc at all), the log still learns why the process ends.
    if (ProcessVlcBinding().LoadError() == -1) {
      LogTranscoderMessage("no usable libvlc found, transcoder not started");
    }
    return 0;
  }
  if (!host.OpenWindow()) {
    // Another transcoder that started meanwhile owns the window.
    if (!platform::FindMessageWindow(kTranscoderWindowClass, std::string()).Found()) {
      LogTranscoderMessage("the transcoder window could not be made");
    }
    return 0;
  }
  LogTranscoderMessage("Running");
  host.Run();
  return 0;
}
