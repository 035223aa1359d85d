#include "startup/RunModes.h"

#include "startup/PanelWiring.h"
#include "startup/ProxyRunner.h"
#include "startup/ServiceModes.h"
#include "startup/Switches.h"
#include "transcoder/TranscoderHost.h"

int RunSelectedMode(RunMode mode) {
  switch (mode) {
    case RunMode::Transcoder:
      return RunTranscoder({HasSwitch("/cons"), HasSwitch("/close")});
    case RunMode::Service:
      return RunServiceMode();
    case RunMode::User:
      // A second start of the same copy ends quietly; a listener that could not start is a failure.
      return ProxyRunner() == ProxyRunResult::ListenerFailed ? 1 : 0;
    case RunMode::ControlPanel:
      return RunControlPanelMode();
  }
  return 0;
}
