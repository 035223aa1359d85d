#pragma once
// The service's own run mode: the proxy as the service "corvane".
#include <cstdint>

#include "startup/ProxyRunner.h"

// Service-specific exit codes of the service when the proxy could not serve.
inline constexpr std::uint32_t kServiceExitListenerFailed = 1;
inline constexpr std::uint32_t kServiceExitAlreadyRunning = 2;

std::uint32_t ServiceExitCode(ProxyRunResult result);

// /service: the proxy as the service "corvane" until the manager stops it. 0 also when no manager started
// the process (a start from a prompt ends quietly); 1 when the service stopped because it could not serve.
int RunServiceMode();
