#include "service/SystemdUnit.h"

#include <sstream>

namespace platform {
namespace {

// systemd reads "%" as a specifier, "$" as a variable and "\" as an escape, also inside quotes.
std::string EscapeForExec(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '%' || c == '$') escaped += c;
    if (c == '\\') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string UnescapeExec(const std::string& text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool doubled = (c == '%' || c == '$') && i + 1 < text.size() && text[i + 1] == c;
    const bool escape = c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"');
    if (doubled || escape) ++i;
    plain += text[i];
  }
  return plain;
}

bool FitsInUnit(const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '"') return false;
  }
  return true;
}

}  // namespace

std::string SystemdUnitText(const std::string& description, const std::string& programPath,
                            const std::string& switches) {
  if (!FitsInUnit(description) || !FitsInUnit(programPath) || !FitsInUnit(switches)) return std::string();
  return "[Unit]\n"
         "Description=" + description + "\n"
         "Wants=network-online.target\n"
         "After=network-online.target\n"
         "\n"
         "[Service]\n"
         "Type=notify\n"
         "ExecStart=\"" + EscapeForExec(programPath) + "\" " + EscapeForExec(switches) + "\n"
         "Restart=on-failure\n"
         "RestartSec=5\n"
         // The service asks for high priority; only the manager may grant it to a user without privileges.
         "Nice=-10\n"
         // A system user of that name (the Debian package makes one) is used when it exists, else systemd
         // makes a user for the time the service runs.
         "User=corvane\n"
         "DynamicUser=yes\n"
         "AmbientCapabilities=CAP_NET_BIND_SERVICE\n"
         "CapabilityBoundingSet=CAP_NET_BIND_SERVICE\n"
         "NoNewPrivileges=yes\n"
         // Everything stays readable, the program's folder with its settings and web pages included.
         "ProtectSystem=strict\n"
         "ProtectHome=read-only\n"
         "PrivateTmp=yes\n"
         "PrivateDevices=yes\n"
         "ProtectKernelTunables=yes\n"
         "ProtectKernelModules=yes\n"
         "ProtectKernelLogs=yes\n"
         "ProtectControlGroups=yes\n"
         "ProtectClock=yes\n"
         "ProtectHostname=yes\n"
         "RestrictAddressFamilies=AF_INET AF_UNIX AF_NETLINK\n"
         "RestrictNamespaces=yes\n"
         "RestrictRealtime=yes\n"
         "RestrictSUIDSGID=yes\n"
         "LockPersonality=yes\n"
         "ProtectProc=invisible\n"
         "UMask=0077\n"
         "MemoryDenyWriteExecute=yes\n"
         "SystemCallArchitectures=native\n"
         // What a usual service calls covers the proxy and libvlc in the transcoder. Calls that change
         // priorities or memory policies fail rather than end the process: the program's own raise of its
         // priority (Nice= has done it) and a probe of libvlc's codecs make them.
         "SystemCallFilter=@system-service\n"
         "SystemCallFilter=~@privileged @resources\n"
         "SystemCallErrorNumber=EPERM\n"
         "\n"
         "[Install]\n"
         "WantedBy=multi-user.target\n";
}

std::string UnitExecStart(const std::string& unitText) {
  std::istringstream lines(unitText);
  std::string line;
  const std::string key = "ExecStart=";
  while (std::getline(lines, line)) {
    if (line.compare(0, key.size(), key) == 0) return UnescapeExec(line.substr(key.size()));
  }
  return std::string();
}

}  // namespace platform
