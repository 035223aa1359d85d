#!/usr/bin/env python3
"""Checks the layout of src/: operating-system code only in the OS halves, and rooms that include downward only.

1. OS headers and OS #if only in files named *_win.* or *_posix.*, and in the private support headers, which
   only such files may include.
2. Each room includes only the rooms its row of ROOMS names (and itself); startup, the entry and wiring, may
   include any room.

Prints every break and exits with 1 when there is one.
"""
import pathlib
import re
import sys

# Which rooms each room may include, besides itself.
ROOMS = {
    "base": set(),
    "platform": {"base"},
    "settings": {"base", "platform"},
    "netutil": {"base", "platform"},
    "service": {"base", "platform"},
    "proxy": {"base", "platform", "netutil", "settings"},
    "transcoder": {"base", "platform", "netutil", "settings"},
    "panel": {"base", "platform", "netutil", "settings", "service"},
    "startup": None,  # any
}

# Private to the OS halves: they carry the system's headers and types.
SUPPORT_HEADERS = {"platform/WindowsHeaders.h", "platform/WinHandles.h", "platform/WinText.h", "platform/PosixSupport.h"}

OS_HEADER = re.compile(
    r"^\s*#\s*include\s*<("
    r"windows|winsock2|ws2tcpip|mswsock|iphlpapi|wincrypt|shellapi|commctrl|tlhelp32|winsvc|shlobj|io|direct|"
    r"unistd|fcntl|pthread|signal|csignal|spawn|poll|dirent|semaphore|dlfcn|ifaddrs|netdb|grp|pwd|libgen|sched|"
    r"termios|syslog|sys/[a-z_]+|netinet/[a-z_]+|arpa/[a-z_]+|net/[a-z_]+|linux/[a-z_]+|nettle/[a-z_0-9]+"
    r")(\.h)?>")
OS_CONDITION = re.compile(
    r"^\s*#\s*(if|ifdef|ifndef|elif)\b.*\b(_WIN32|_WIN64|WIN32|__linux__|__linux|__unix__|__unix|__MINGW\w*|"
    r"_MSC_VER|__APPLE__|__CYGWIN__|__FreeBSD__|_POSIX_VERSION)\b")
PROJECT_INCLUDE = re.compile(r'^\s*#\s*include\s*"([a-z_]+)/([^"]+)"')


def is_os_half(relative):
    return re.search(r"_(win|posix)\.[a-z]+$", relative.name) is not None


def main():
    root = pathlib.Path(__file__).resolve().parent.parent / "src"
    breaks = []
    for path in sorted(root.rglob("*")):
        if path.suffix not in (".h", ".cpp", ".c"):
            continue
        relative = path.relative_to(root)
        room = relative.parts[0] if len(relative.parts) > 1 else ""
        os_half = is_os_half(relative)
        support = relative.as_posix() in SUPPORT_HEADERS
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            where = f"src/{relative.as_posix()}:{number}: {line.strip()}"
            if not (os_half or support) and (OS_HEADER.match(line) or OS_CONDITION.match(line)):
                breaks.append(("operating-system code outside the OS halves", where))
            included = PROJECT_INCLUDE.match(line)
            if not included:
                continue
            target_room, target = included.groups()
            if f"{target_room}/{target}" in SUPPORT_HEADERS and not (os_half or support):
                breaks.append(("a private support header outside the OS halves", where))
            allowed = ROOMS.get(room, set())
            if room not in ROOMS:
                breaks.append((f"a file outside the rooms ({', '.join(ROOMS)})", where))
            elif allowed is not None and target_room != room and target_room not in allowed:
                breaks.append((f"room {room} includes room {target_room}", where))
    for reason, where in breaks:
        print(f"{where}\n    {reason}")
    return 1 if breaks else 0


if __name__ == "__main__":
    sys.exit(main())
