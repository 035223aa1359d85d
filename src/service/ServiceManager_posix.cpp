#include "service/ServiceManager.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Files.h"
#include "platform/PosixSupport.h"
#include "service/ServiceSystemd_posix.h"
#include "service/SystemdUnit.h"

extern char** environ;

// A service here is a unit file in /etc/systemd/system that systemctl enables, starts, signals and stops.
// The manager handle stands for "root, and systemd runs"; a service handle holds the service's name.

namespace platform {

struct ServiceManagerHandle::Held {
  std::string serviceName;  // empty for the manager
};

void ServiceManagerHandle::Free::operator()(Held* held) const { delete held; }

bool ServiceManagerHandle::Close() {
  held_.reset();
  return true;
}

namespace {


std::string UnitName(const std::string& name) { return name + ".service"; }
std::string UnitPath(const std::string& name) { return std::string(kOwnUnitFolder) + "/" + UnitName(name); }

bool IsManager(const ServiceManagerHandle& handle) { return handle.Valid() && handle.Get()->serviceName.empty(); }

// The service's name, null for the manager or no handle.
const std::string* NameOf(const ServiceManagerHandle& service) {
  return service.Valid() && !service.Get()->serviceName.empty() ? &service.Get()->serviceName : nullptr;
}

ServiceManagerHandle HandleFor(const std::string& serviceName) {
  return ServiceManagerHandle(new ServiceManagerHandle::Held{serviceName});
}

// Runs systemctl with the arguments, its standard input empty; output receives what it writes when given
// (otherwise it writes where this program does). True when it exited with 0.
bool RunSystemctl(const std::vector<std::string>& arguments, std::string* output = nullptr) {
  std::vector<char*> argv;
  std::string program = "systemctl";
  argv.push_back(&program[0]);
  std::vector<std::string> texts(arguments);
  for (std::string& text : texts) argv.push_back(&text[0]);
  argv.push_back(nullptr);

  int pipeEnds[2] = {-1, -1};
  if (output != nullptr && pipe2(pipeEnds, O_CLOEXEC) != 0) return false;
  const UniqueFd readEnd(pipeEnds[0]);
  UniqueFd writeEnd(pipeEnds[1]);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (output != nullptr) posix_spawn_file_actions_adddup2(&actions, writeEnd.Get(), 1);
  pid_t child = -1;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  writeEnd.Reset();
  if (spawned != 0) {
    errno = spawned;
    return false;
  }
  if (output != nullptr) {
    char buffer[4096];
    ssize_t got = 0;
    while ((got = RetryOnEintr([&] { return read(readEnd.Get(), buffer, sizeof buffer); })) > 0) {
      output->append(buffer, static_cast<std::size_t>(got));
    }
  }
  int status = 0;
  if (RetryOnEintr([&] { return waitpid(child, &status, 0); }) != child) return false;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  errno = EIO;
  return false;
}

bool WriteUnitFile(const std::string& path, const std::string& text) {
  // Written whole under another name first, so that systemd never reads half a unit.
  const std::string temporary = path + ".new";
  UniqueFd file(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!file.Valid()) return false;
  const bool written = RetryOnEintr([&] { return write(file.Get(), text.data(), text.size()); }) ==
                           static_cast<ssize_t>(text.size()) &&
                       fchmod(file.Get(), 0644) == 0 && file.CloseChecked();
  if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    unlink(temporary.c_str());
    errno = error;
    return false;
  }
  return true;
}

}  // namespace

ServiceManagerHandle OpenServiceManager(std::uint32_t rights) {
  // Anyone may ask systemd for a unit's state; changing units is root's.
  if ((rights & ~kServiceManagerConnect) != 0 && geteuid() != 0) {
    errno = EACCES;
    return {};
  }
  // The test of sd_booted(3): the folder exists only while systemd runs the system.
  struct stat folder {};
  if (stat("/run/systemd/system", &folder) != 0 || !S_ISDIR(folder.st_mode)) {
    errno = ESRCH;
    return {};
  }
  return HandleFor(std::string());
}

ServiceManagerHandle CreateServiceEntry(const ServiceManagerHandle& manager, const ServiceDefinition& definition) {
  const std::string text = SystemdUnitText(definition.displayName, definition.programPath, definition.switches);
  if (!IsManager(manager) || text.empty() || definition.name.empty()) {
    errno = EINVAL;
    return {};
  }
  const std::string path = UnitPath(definition.name);
  if (access(path.c_str(), F_OK) == 0) {
    errno = EEXIST;
    return {};
  }
  if (!WriteUnitFile(path, text)) return {};
  const std::string unit = UnitName(definition.name);
  if (!RunSystemctl({"daemon-reload"}) || !RunSystemctl({"enable", unit})) {
    // Never half installed: whatever went in goes out again.
    const int error = errno;
    RunSystemctl({"disable", unit});
    unlink(path.c_str());
    RunSystemctl({"daemon-reload"});
    errno = error;
    return {};
  }
  return HandleFor(definition.name);
}

ServiceManagerHandle OpenServiceEntry(const ServiceManagerHandle& manager, const std::string& name,
                                      std::uint32_t rights) {
  if (!IsManager(manager) || name.empty()) {
    errno = EINVAL;
    return {};
  }
  const bool own = access(UnitPath(name).c_str(), F_OK) == 0;
  bool elsewhere = false;
  for (const char* folder : kOtherUnitFolders) {
    elsewhere = elsewhere || access((std::string(folder) + "/" + UnitName(name)).c_str(), F_OK) == 0;
  }
  switch (OpenUnit(own, elsewhere, rights == kServiceQueryStatus)) {
    case UnitOpening::Missing:
      errno = ENOENT;
      return {};
    case UnitOpening::Refused:
      errno = EPERM;
      return {};
    case UnitOpening::Opened:
      break;
  }
  return HandleFor(name);
}

bool LastErrorIsNoSuchService() { return errno == ENOENT; }

bool DeleteServiceEntry(const ServiceManagerHandle& service) {
  const std::string* name = NameOf(service);
  if (name == nullptr) {
    errno = EINVAL;
    return false;
  }
  RunSystemctl({"disable", UnitName(*name)});
  if (unlink(UnitPath(*name).c_str()) != 0) return false;
  RunSystemctl({"daemon-reload"});
  return true;
}

bool QueryServiceStatusRecord(const ServiceManagerHandle& service, ServiceStatusRecord& status) {
  status = ServiceStatusRecord{};
  const std::string* name = NameOf(service);
  std::string properties;
  if (name == nullptr ||
      !RunSystemctl({"show", UnitName(*name), "--property=ActiveState", "--property=StatusText"}, &properties)) {
    return false;
  }
  status.serviceType = kServiceOwnProcessInteractive;
  status.currentState =
      ServiceStateOfUnit(UnitProperty(properties, "ActiveState"), UnitProperty(properties, "StatusText"));
  return true;
}

bool StartServiceEntry(const ServiceManagerHandle& service, const std::vector<std::string>&) {
  const std::string* name = NameOf(service);
  if (name == nullptr) {
    errno = EINVAL;
    return false;
  }
  return RunSystemctl({"start", UnitName(*name)});
}

bool ControlServiceEntry(const ServiceManagerHandle& service, std::uint32_t code, ServiceStatusRecord& status) {
  const std::string* name = NameOf(service);
  const int signal = SignalOfControlCode(code);
  bool sent = false;
  if (name == nullptr || signal == 0) {
    errno = EINVAL;
  } else if (code == kControlStop) {
    sent = RunSystemctl({"stop", UnitName(*name)});
  } else {
    sent = RunSystemctl({"kill", "--kill-whom=main", "--signal=" + std::to_string(signal), UnitName(*name)});
  }
  const int error = errno;
  QueryServiceStatusRecord(service, status);
  errno = error;
  return sent;
}

std::string InstalledServiceCommandLine(const std::string& name) {
  std::string text;
  return ReadWholeFile(UnitPath(name), text) ? UnitExecStart(text) : std::string();
}

std::string ServiceRightsAdvice(const std::string& commandSwitch) {
  if (geteuid() == 0) return std::string();
  return "Corvane: " + commandSwitch + " changes the system's services and needs root rights; run instead: sudo \"" +
         ProgramPath() + "\" " + commandSwitch;
}

}  // namespace platform
