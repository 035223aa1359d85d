#include "service/SystemdRules.h"

#include "service/ServiceStatus.h"

using namespace platform;

namespace {

struct SignalRow {
  ControlSignalKind kind;
  std::uint32_t code;
};

// Stop is carried by SIGTERM, the first of its two rows.
constexpr SignalRow kSignalRows[] = {
    {ControlSignalKind::Terminate, kControlStop},     {ControlSignalKind::Interrupt, kControlStop},
    {ControlSignalKind::User1, kControlPause},        {ControlSignalKind::User2, kControlContinue},
    {ControlSignalKind::HangUp, kControlInterrogate},
};

bool IsSignalledCode(std::uint32_t code) { return code >= 1 && code <= kHighestSignalledControl; }

}  // namespace

std::uint32_t ControlCodeCarriedBy(ControlSignal signal) {
  if (signal.kind == ControlSignalKind::RealTime) {
    const int offset = signal.realTimeOffset;
    return offset >= 1 && IsSignalledCode(static_cast<std::uint32_t>(offset)) ? static_cast<std::uint32_t>(offset) : 0;
  }
  for (const SignalRow& row : kSignalRows) {
    if (row.kind == signal.kind) return row.code;
  }
  return 0;
}

ControlSignal SignalCarrying(std::uint32_t code) {
  for (const SignalRow& row : kSignalRows) {
    if (row.code == code) return {row.kind, 0};
  }
  if (IsSignalledCode(code)) return {ControlSignalKind::RealTime, static_cast<int>(code)};
  return {};
}

const char* ServiceStateName(std::uint32_t state) {
  switch (state) {
    case kServiceStopped:
      return "stopped";
    case kServiceStartPending:
      return "start pending";
    case kServiceStopPending:
      return "stop pending";
    case kServiceRunning:
      return "running";
    case kServiceContinuePending:
      return "continue pending";
    case kServicePausePending:
      return "pause pending";
    case kServicePaused:
      return "paused";
    default:
      return "unknown";
  }
}

std::string NotifyText(std::uint32_t state) {
  std::string text;
  if (state == kServiceRunning) text += "READY=1\n";
  if (state == kServiceStopPending) text += "STOPPING=1\n";
  return text + "STATUS=" + ServiceStateName(state);
}

std::string UnitProperty(const std::string& properties, const std::string& key) {
  const std::size_t start = properties.find(key + "=");
  if (start == std::string::npos) return std::string();
  const std::size_t from = start + key.size() + 1;
  return properties.substr(from, properties.find('\n', from) - from);
}

std::uint32_t ServiceStateOfUnit(const std::string& activeState, const std::string& statusText) {
  if (activeState == "activating") return kServiceStartPending;
  if (activeState == "deactivating") return kServiceStopPending;
  if (activeState == "active" || activeState == "reloading") {
    for (const std::uint32_t state : {kServicePausePending, kServicePaused, kServiceContinuePending}) {
      if (statusText == ServiceStateName(state)) return state;
    }
    return kServiceRunning;
  }
  return kServiceStopped;
}

UnitOpening OpenUnit(bool inOwnFolder, bool inOtherFolder, bool statusQueryOnly) {
  if (inOwnFolder) return UnitOpening::Opened;
  if (!inOtherFolder) return UnitOpening::Missing;
  return statusQueryOnly ? UnitOpening::Opened : UnitOpening::Refused;
}
