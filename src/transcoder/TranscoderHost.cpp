#include "transcoder/TranscoderHost.h"

#include "base/ProcessValues.h"
#include "netutil/HostInfo.h"
#include "platform/Console.h"
#include "platform/Thread.h"
#include "settings/Settings.h"

namespace {

// The source and the output need a moment to open before the next step, and before the sender redirects its
// client to the new stream.
constexpr unsigned kRequestStepPause = 300;
constexpr unsigned kClosePause = 400;

void LogLine(const std::string& message) { platform::WriteStandardOutputLine("TRANSCODER message : " + message); }

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
  return Player->GetState() != -1;
}

void TranscoderHost::Run() { TranscoderWindow->Run(); }

TranscoderStream PlayTranscoderRequest(TVLCPlugin& player, const TranscoderRequest& request,
                                       const std::string& profile, int level) {
  TranscoderStream stream;
  player.Play(kIdleMrl, 0);
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
  // A message box of the player's creation may hand over a request before there is a player.
  if (text.empty() || Player == nullptr || Player->GetState() == -1) return;
  const std::string profile = ReadTranscoderProfile();
  LogLine("Request " + text);
  const TranscoderStream stream =
      PlayTranscoderRequest(*Player, SplitTranscoderRequest(text), profile, ProcessVlcBinding().ApiLevel());
  ActivePort = stream.activePort;
  // libvlc's own errors are not reported back; a player that has given up already is worth a line.
  if (Player->HasFailed()) LogLine("libvlc refused the stream " + stream.mrl + " with the output " + stream.chain);
}

void TranscoderHost::OnIdleCheck() {
  if (TranscoderWindow->Text().empty() || ActivePort == 0 || Player == nullptr) return;
  if (CountEstablishedOnPort(ActivePort) != 0) return;
  LogLine("Nobody watches port " + std::to_string(ActivePort) + ", stream stopped");
  Player->Play(kIdleMrl, 0);
  TranscoderWindow->SetText(std::string());
}

void TranscoderHost::OnTranscoderClose() {
  if (Player != nullptr) Player->Play(kIdleMrl, 0);
  platform::SleepMilliseconds(kClosePause);
  Player.reset();
  LogLine("Closed");
  TranscoderWindow->Quit();
}

int RunTranscoder() {
  if (platform::FindMessageWindow(kTranscoderWindowClass, std::string()).Found()) return 0;
  TranscoderHost host;
  // The window comes first: starting libvlc takes longer than a sender waits before it looks for the window, and a
  // sender that finds it waits in its set-text until the player is there.
  if (!host.OpenWindow()) {
    LogLine("the transcoder window could not be made");
    return 0;
  }
  if (!host.StartPlayer()) {
    // Where the binding showed nothing (no libvlc at all), the console still learns why the process ends.
    if (ProcessVlcBinding().LoadError() == -1) LogLine("no usable libvlc found, transcoder not started");
    return 0;
  }
  LogLine("Running");
  host.Run();
  return 0;
}
