#include "base/ProcessValues.h"

namespace {

struct ProcessValues {
  std::string programVersion;
  std::string serverSignature;
  std::string instanceId;
};

ProcessValues& Values() {
  // Lives until the process ends, as the log does: detached client threads may still send a reply while it exits.
  static auto* values = new ProcessValues;
  return *values;
}

}  // namespace

const std::string& ProgramVersion() { return Values().programVersion; }
const std::string& ServerSignature() { return Values().serverSignature; }
const std::string& InstanceId() { return Values().instanceId; }

std::string InstanceMutexName(const std::string& instanceId) {
  return std::string(kServiceName) + "_mutex_" + instanceId;
}

void SetProcessValues(const std::string& programVersion, const std::string& serverSignature,
                      const std::string& instanceId) {
  Values() = ProcessValues{programVersion, serverSignature, instanceId};
}
