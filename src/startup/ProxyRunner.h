#pragma once

// Why the proxy runner came back: it returns only when it could not serve.
enum class ProxyRunResult {
  AlreadyRunning,  // this copy of the program is running already (the instance mutex exists)
  ListenerFailed,  // the listener could not start; the reason is in the log
};

// Body of the /user and /service modes: claims the instance mutex, opens the console when asked,
// reads the settings and runs the listener.
ProxyRunResult ProxyRunner();
