#include "startup/RunModes.h"

#include "platform/Console.h"
#include "startup/ProxyRunner.h"
#include "startup/ServiceModes.h"
#include "transcoder/TranscoderHost.h"

namespace {

// Modes still to come say so plainly instead of pretending to run.
int ReportMissingMode(const char* name) {
  platform::WriteStandardOutputLine(std::string("Corvane: the ") + name + " mode is not in this build yet");
  return 2;
}

}  // namespace

int RunSelectedMode(RunMode mode) {
  switch (mode) {
    case RunMode::Transcoder:
      return RunTranscoder();
    case RunMode::Service:
      return RunServiceMode();
    case RunMode::User:
      // A second start of the same copy ends quietly; a listener that could not start is a failure.
      return ProxyRunner() == ProxyRunResult::ListenerFailed ? 1 : 0;
    case RunMode::ControlPanel:
      // The service switches need no window.
      if (HasSwitch("/install")) return InstallServiceMode();
      if (HasSwitch("/remove")) return RemoveServiceMode();
      return ReportMissingMode("control panel");
  }
  return 0;
}
