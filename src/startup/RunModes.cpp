#include "startup/RunModes.h"

#include "panel/ControlPanel.h"
#include "startup/ProxyRunner.h"
#include "startup/ServiceModes.h"
#include "transcoder/TranscoderHost.h"

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
      // The service switches act without a window, and report to the prompt they were given at.
      if (HasSwitch("/install")) return InstallServiceMode();
      if (HasSwitch("/remove")) return RemoveServiceMode();
      // The panel's own service and transcoder operations are wired in a later step: until then it says so.
      return RunControlPanel(PanelOperations{});
  }
  return 0;
}
