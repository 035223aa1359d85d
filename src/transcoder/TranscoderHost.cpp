#include "transcoder/TranscoderHost.h"

#include "base/ProcessValues.h"
#include "netutil/HostInfo.h"
#include "platform/Console.h"
#include "platform/Registry.h"
#include "platform/Thread.h"
#include "startup/Settings.h"
#include "transcoder/TranscoderRequest.h"

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

VlcRegistryValues ReadMachineVlcRegistry() {
  return ReadVlcRegistryValues([](const std::string& key, const std::string& value) {
    return platform::ReadRegistryString(platform::RegistryRoot::LocalMachine, key, value);
  });
}

}  // namespace

std::string TranscoderWindowCaption() { return std::string(kProductTitle) + " Transcoder"; }

TranscoderHost::TranscoderHost(std::unique_ptr<TVLCPlugin> player) : Player(std::move(player)) {}

bool TranscoderHost::OpenWindow() {
  platform::MessageWindowHandlers handlers;
  handlers.onTextChanged = [this](const std::string& text) { OnRequest(text); };
  handlers.onTimer = [this] { OnIdleCheck(); };
  handlers.onClose = [this] { OnTranscoderClose(); };
  TranscoderWindow = platform::MessageWindow::Create(kTranscoderWindowClass, TranscoderWindowCaption(),
                                                     std::move(handlers), kIdleCheckMilliseconds);
  return TranscoderWindow != nullptr;
}

void TranscoderHost::Run() { TranscoderWindow->Run(); }

void TranscoderHost::OnRequest(const std::string& text) {
  if (text.empty()) return;
  const std::string profile = ReadTranscoderProfile();
  const TranscoderRequest request = SplitTranscoderRequest(text);
  LogLine("Request " + text);
  Player->Play(kIdleMrl, 0);
  for (const auto& [name, value] : TranscoderSourceOptions(request, ProcessVlcBinding().ApiLevel())) {
    Player->SetOption(name, value);
  }
  const std::string chain = TranscoderOutputChain(profile, request.httpPort);
  Player->SetOption("sout", chain);
  ActivePort = TranscoderActivePort(request);
  platform::SleepMilliseconds(kRequestStepPause);
  const std::string mrl = TranscoderSourceMrl(request);
  Player->Play(mrl, 0);
  Player->SetOption("sout-all", "1");
  platform::SleepMilliseconds(kRequestStepPause);
  // libvlc's own errors are not reported back; a player that has given up already is worth a line.
  if (Player->HasFailed()) LogLine("libvlc refused the stream " + mrl + " with the output " + chain);
}

void TranscoderHost::OnIdleCheck() {
  if (TranscoderWindow->Text().empty() || ActivePort == 0) return;
  if (CountEstablishedOnPort(ActivePort) != 0) return;
  LogLine("Nobody watches port " + std::to_string(ActivePort) + ", stream stopped");
  Player->Play(kIdleMrl, 0);
  TranscoderWindow->SetText(std::string());
}

void TranscoderHost::OnTranscoderClose() {
  Player->Play(kIdleMrl, 0);
  platform::SleepMilliseconds(kClosePause);
  Player.reset();
  LogLine("Closed");
  TranscoderWindow->Quit();
}

int RunTranscoder() {
  if (platform::FindMessageWindow(kTranscoderWindowClass, std::string()).Found()) return 0;
  ProcessVlcBinding().SetRegistryValues(ReadMachineVlcRegistry());
  auto player = std::make_unique<TVLCPlugin>(0, std::string(), std::string());
  if (player->GetState() == -1) {
    // Where the binding showed nothing (no libvlc at all), the console still learns why the process ends.
    if (ProcessVlcBinding().LoadError() == -1) LogLine("no usable libvlc found, transcoder not started");
    return 0;
  }
  TranscoderHost host(std::move(player));
  if (!host.OpenWindow()) {
    LogLine("the transcoder window could not be made");
    return 0;
  }
  LogLine("Running");
  host.Run();
  return 0;
}
