#include "startup/ProxyRunner.h"

#include "platform/Console.h"
#include "platform/NamedMutex.h"
#include "platform/Thread.h"
#include "proxy/Listener.h"
#include "proxy/ProxyLog.h"
#include "settings/Settings.h"
#include "startup/StartupValues.h"
#include "startup/Switches.h"

ProxyRunResult ProxyRunner() {
  const std::string mutexName = InstanceMutexName(InstanceId());
  if (platform::NamedMutexExists(mutexName)) return ProxyRunResult::AlreadyRunning;
  // Held until the process ends: its existence is what tells others this copy runs.
  static auto* instance = new platform::NamedMutex(platform::NamedMutex::Create(mutexName));
  if (!instance->Valid()) return ProxyRunResult::AlreadyRunning;  // another start of this copy won the race

  const bool console = WantsConsole();
  if (console) platform::OpenConsole(kProductTitle);
  // A service under systemd writes its log to the journal too.
  SetConsoleLogEnabled(console || platform::StandardOutputIsSystemLog());

  if (HasSwitch("/service")) platform::SetHighProcessPriority();

  const ListenerSettings settings = ReadListenerSettings(SettingsFile());
  RunProxyListener(settings.multicastInterface, settings.httpInterface, settings.httpPort,
                   settings.transcoderEnabled);
  return ProxyRunResult::ListenerFailed;
}
