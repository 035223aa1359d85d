#include "service/ServiceSystem.h"

namespace {

class PlatformSystem final : public ServiceSystem {
 public:
  bool RunDispatcher(const std::vector<std::string>& names, platform::ServiceEntryFunction entry) override {
    return platform::RunServiceDispatcher(names, entry);
  }
  std::uintptr_t RegisterControlReceiver(const std::string& name,
                                         platform::ServiceControlReceiver& receiver) override {
    return platform::RegisterServiceControlReceiver(name, receiver);
  }
  bool ReportStatus(std::uintptr_t statusHandle, const platform::ServiceStatusRecord& status) override {
    return platform::ReportServiceStatusRecord(statusHandle, status);
  }
  std::uint32_t LastErrorCode() override { return platform::LastSystemErrorCode(); }
};

}  // namespace

ServiceSystem& PlatformServiceSystem() {
  // Lives until the process ends: a service may still report while the process exits.
  static auto* system = new PlatformSystem;
  return *system;
}
