#include "platform/Process.h"
#include "startup/RunModes.h"
#include "startup/StartupValues.h"
#include "startup/Switches.h"

int main(int argc, char** argv) {
  platform::InitialiseProcess();
  const std::vector<std::string> arguments = platform::CommandLineArguments(argc, argv);
  SetProcessArguments(arguments);
  ComputeStartupValues();
  return RunSelectedMode(SelectRunMode(arguments));
}
