#pragma once
// How the service and its control side speak to systemd, as plain rules over plain data: which signal carries
// which control code, the notify texts, how systemd's view of a unit maps to a service state, and which unit
// folders hold this program's units. The _posix files give the signals their numbers and call the system.
#include <cstdint>
#include <string>

// The signals that carry control codes, by name; a real-time signal is SIGRTMIN plus its offset.
enum class ControlSignalKind { None, Terminate, Interrupt, User1, User2, HangUp, RealTime };

struct ControlSignal {
  ControlSignalKind kind = ControlSignalKind::None;
  int realTimeOffset = 0;
  bool operator==(const ControlSignal& other) const {
    return kind == other.kind && realTimeOffset == other.realTimeOffset;
  }
};

// SIGRTMIN+n carries the code n for every code up to this one.
inline constexpr std::uint32_t kHighestSignalledControl = 16;

// SIGTERM and SIGINT stop, SIGUSR1 pauses, SIGUSR2 continues, SIGHUP interrogates, SIGRTMIN+n is the code n
// (1 to 16); 0 for a signal that carries no control.
std::uint32_t ControlCodeCarriedBy(ControlSignal signal);
// The signal that carries code (stop goes as SIGTERM); None for a code that no signal carries.
ControlSignal SignalCarrying(std::uint32_t code);

// The state's name in STATUS= lines and in systemctl's StatusText; "unknown" for a number without one.
const char* ServiceStateName(std::uint32_t state);
// What a status report tells systemd: READY=1 when running, STOPPING=1 when stop pending, always STATUS=.
std::string NotifyText(std::uint32_t state);

// The value of key in the "key=value" lines of systemctl show; empty when the key is missing.
std::string UnitProperty(const std::string& properties, const std::string& key);
// The service's state from the unit's ActiveState and the service's own StatusText, which tells the paused
// states apart from running.
std::uint32_t ServiceStateOfUnit(const std::string& activeState, const std::string& statusText);

// This program writes its units here; systemd finds the units it did not get from /etc in the other folders,
// in their order.
inline constexpr const char* kOwnUnitFolder = "/etc/systemd/system";
inline constexpr const char* kOtherUnitFolders[] = {"/run/systemd/system", "/usr/local/lib/systemd/system",
                                                    "/usr/lib/systemd/system", "/lib/systemd/system"};

enum class UnitOpening { Opened, Missing, Refused };
// A status is true of any unit of the name; only the units in this program's folder are its to change. So a
// unit found only in another folder opens when it is opened for a status query alone, and is refused otherwise.
UnitOpening OpenUnit(bool inOwnFolder, bool inOtherFolder, bool statusQueryOnly);
