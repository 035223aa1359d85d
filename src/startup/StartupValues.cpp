#include "startup/StartupValues.h"

#include "netutil/HostInfo.h"
#include "platform/Files.h"
#include "platform/Text.h"

void ComputeStartupValues() {
  const std::string programPath = platform::ProgramPath();
  const std::string version = GetProductVersionText(programPath);
  SetProcessValues(version, MakeServerSignature(version), InstanceIdFor(programPath));
}

std::string MakeServerSignature(const std::string& version) { return std::string(kServiceName) + "/" + version; }

std::string InstanceIdFor(const std::string& programPath) { return Md5Hex(platform::LowerCaseText(programPath)); }
