#include "startup/StartupValues.h"

#include "netutil/HostInfo.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace {

struct StartupValues {
  std::string programVersion;
  std::string serverSignature;
  std::string instanceId;
};

StartupValues& Values() {
  static StartupValues values;
  return values;
}

}  // namespace

const std::string& ProgramVersion() { return Values().programVersion; }
const std::string& ServerSignature() { return Values().serverSignature; }
const std::string& InstanceId() { return Values().instanceId; }

void ComputeStartupValues() {
  const std::string programPath = platform::ProgramPath();
  StartupValues& values = Values();
  values.programVersion = GetProductVersionText(programPath);
  values.serverSignature = MakeServerSignature(values.programVersion);
  values.instanceId = InstanceIdFor(programPath);
}

std::string MakeServerSignature(const std::string& version) { return std::string(kServiceName) + "/" + version; }

std::string InstanceIdFor(const std::string& programPath) { return Md5Hex(platform::LowerCaseText(programPath)); }

std::string InstanceMutexName(const std::string& instanceId) {
  return std::string(kServiceName) + "_mutex_" + instanceId;
}
