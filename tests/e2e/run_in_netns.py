#!/usr/bin/env python3
"""Runs a command inside a network namespace of its own and returns the command's exit code.

    run_in_netns.py COMMAND [ARG...]

The namespace holds nothing but a loopback interface, brought up, with the multicast range routed to it,
so that the multicast groups the end-to-end tests join and send to can never reach a real network.

For the Windows build (CORVANE_WINDOWS=1) the whole wine session lives inside the namespace as well: a
WINEPREFIX of this run's own under a temporary folder, its wineserver started here, ended with
`wineserver -k` for that prefix only, and the prefix removed afterwards. Creating a prefix with
`wineboot -i` takes about 20 seconds, so one template prefix per build folder is made once (under a lock,
by whichever run comes first; in CORVANE_E2E_WORK, else the system's temporary folder) and every run
copies it with `cp -a`. Delete the template folder to have it made afresh.

Without a screen the session uses wine's null graphics driver, which still makes the programs' hidden windows
(the transcoder's, a test's stand-in viewer); wine's X11 driver without a display refuses every window.

With CORVANE_E2E_DISPLAY=1 the wine session gets a screen: an Xvfb started inside the namespace (its
display number chosen by Xvfb, its frame buffer file named to the test in CORVANE_E2E_FRAMEBUFFER), ended
by its process id afterwards, and a wine virtual desktop on it, so that windows are drawn with their frames.

Exit code 77 (skipped) when the run lacks root rights or the system cannot make a network namespace.
"""
import fcntl
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile

SKIPPED = 77
INSIDE_FLAG = "--inside-new-netns"
# Tells the harness that it runs in a namespace made by this script; the harness checks the namespace too.
INSIDE_MARK = "CORVANE_E2E_NETNS"
TEMPLATE_READY_MARK = ".corvane-e2e-template-ready"


def say(text):
    print("run_in_netns: " + text, file=sys.stderr, flush=True)


def enter_namespace(command):
    """Re-runs this script with the command inside a new network namespace."""
    if os.geteuid() != 0:
        say("skipped: making a network namespace needs root rights")
        return SKIPPED
    unshare = shutil.which("unshare")
    if unshare is None or shutil.which("ip") is None:
        say("skipped: unshare(1) and ip(8) are needed")
        return SKIPPED
    probe = subprocess.run([unshare, "--net", "true"], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if probe.returncode != 0:
        say("skipped: this system refuses a new network namespace: " + probe.stderr.decode(errors="replace").strip())
        return SKIPPED
    env = dict(os.environ)
    env[INSIDE_MARK] = os.readlink("/proc/self/ns/net")
    return subprocess.call([unshare, "--net", "--", sys.executable, os.path.abspath(__file__), INSIDE_FLAG] + command,
                           env=env)


def namespace_of_process_1():
    try:
        return os.readlink("/proc/1/ns/net")
    except OSError:  # some containers hide it; the namespace we started in is compared as well
        return None


def ip(*args):
    subprocess.run(["ip"] + list(args), check=True)


def prepare_loopback_only_network():
    here = os.readlink("/proc/self/ns/net")
    if here == os.environ.get(INSIDE_MARK) or here == namespace_of_process_1():
        raise SystemExit("run_in_netns: still in the network namespace it was started in")
    ip("link", "set", "lo", "up")
    ip("route", "add", "224.0.0.0/4", "dev", "lo")
    # Refuse to go on unless every interface that is up is the loopback and multicast is routed to it.
    links = subprocess.run(["ip", "-o", "link", "show", "up"], check=True, capture_output=True, text=True).stdout
    names = [line.split(":")[1].strip().split("@")[0] for line in links.splitlines() if line.strip()]
    if names != ["lo"]:
        raise SystemExit("run_in_netns: interfaces other than lo are up in the namespace: %s" % names)
    route = subprocess.run(["ip", "route", "get", "239.255.0.1"], check=True, capture_output=True, text=True).stdout
    if " dev lo " not in route + " ":
        raise SystemExit("run_in_netns: multicast is not routed to lo: " + route)


def wine_tools():
    loader = os.environ.get("CORVANE_WINE") or "/usr/lib/wine/wine64"
    folder = os.path.dirname(loader)
    for name in ("wineserver64", "wineserver"):
        candidate = os.path.join(folder, name)
        if os.access(candidate, os.X_OK):
            return loader, candidate
    return loader, shutil.which("wineserver64") or shutil.which("wineserver") or "wineserver"


def wine_env(prefix):
    env = dict(os.environ)
    env["WINEPREFIX"] = prefix
    env["WINEDEBUG"] = "-all"
    # No Mono or Gecko installer dialogs, and no window anywhere: these tests need none.
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    return env


def make_template_prefix(loader, server, template):
    work = os.path.dirname(template)
    os.makedirs(work, exist_ok=True)
    with open(template + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if os.path.exists(os.path.join(template, TEMPLATE_READY_MARK)):
            return
        say("making the template wine prefix " + template + " (once per build folder)")
        shutil.rmtree(template, ignore_errors=True)
        env = wine_env(template)
        try:
            subprocess.run([loader, "wineboot", "-i"], env=env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=300)
            subprocess.run([server, "-w"], env=env, timeout=120)
        finally:
            subprocess.run([server, "-k"], env=env, stderr=subprocess.DEVNULL)
        if not os.path.isfile(os.path.join(template, "system.reg")):
            raise SystemExit("run_in_netns: wineboot made no prefix in " + template)
        open(os.path.join(template, TEMPLATE_READY_MARK), "w").close()


VIRTUAL_DESKTOP = "800x600"
WINE_FONTS = "/usr/share/wine/fonts"
# Wine's registry file syntax: key paths with doubled backslashes, a modification time after each key.
# Links are drawn in the hot-tracking colour, light grey in wine's theme: Windows' blue instead.
VIRTUAL_DESKTOP_KEYS = r"""
[Software\\Wine\\Explorer] 1700000000
"Desktop"="Default"

[Software\\Wine\\Explorer\\Desktops] 1700000000
"Default"="%s"

[Control Panel\\Colors] 1700000000
"HotTrackingColor"="0 102 204"
""" % VIRTUAL_DESKTOP


NULL_GRAPHICS_KEYS = r"""
[Software\\Wine\\Drivers] 1700000000
"Graphics"="null"
"""


def start_virtual_screen(session):
    """Starts Xvfb in this namespace; returns (process, display, frame buffer file) or None."""
    xvfb = shutil.which("Xvfb")
    if xvfb is None:
        say("no Xvfb (package xvfb): the test runs without a screen")
        return None
    folder = os.path.join(session, "screen")
    os.makedirs(folder)
    read_end, write_end = os.pipe()
    process = subprocess.Popen([xvfb, "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                                "-fbdir", folder], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n") and select.select([read_end], [], [], 30)[0]:
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    if not number.strip().isdigit():
        process.kill()
        process.wait()
        raise SystemExit("run_in_netns: Xvfb did not start")
    return process, ":" + number.strip().decode(), os.path.join(folder, "Xvfb_screen0")


def run_with_wine(command):
    loader, server = wine_tools()
    work = os.environ.get("CORVANE_E2E_WORK") or tempfile.gettempdir()
    template = os.path.join(os.path.abspath(work), "wineprefix-template")
    make_template_prefix(loader, server, template)

    session = tempfile.mkdtemp(prefix="corvane-e2e-wine-")
    prefix = os.path.join(session, "prefix")
    env = wine_env(prefix)
    screen = None
    try:
        subprocess.run(["cp", "-a", template, prefix], check=True)
        os.environ.update({k: env[k] for k in ("WINEPREFIX", "WINEDEBUG", "WINEDLLOVERRIDES")})
        os.environ.pop("DISPLAY", None)
        os.environ.pop("WAYLAND_DISPLAY", None)
        if os.environ.get("CORVANE_E2E_DISPLAY") == "1":
            screen = start_virtual_screen(session)
        if screen is not None:
            # Read by the wine server when it starts, below.
            with open(os.path.join(prefix, "user.reg"), "a") as registry:
                registry.write(VIRTUAL_DESKTOP_KEYS)
            # Windows' own dialog font metrics and caption symbols (package fonts-wine), where this wine
            # does not look for them by itself.
            fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
            for name in ("tahoma.ttf", "tahomabd.ttf", "marlett.ttf"):
                if os.path.isfile(os.path.join(WINE_FONTS, name)) and os.path.isdir(fonts):
                    shutil.copy(os.path.join(WINE_FONTS, name), fonts)
            env["DISPLAY"] = os.environ["DISPLAY"] = screen[1]
            os.environ["CORVANE_E2E_FRAMEBUFFER"] = screen[2]
        else:
            with open(os.path.join(prefix, "user.reg"), "a") as registry:
                registry.write(NULL_GRAPHICS_KEYS)
        # A persistent server started here, inside the namespace: every socket of the Windows
        # programs is made by it, so it must not live anywhere else.
        subprocess.run([server, "-p"], env=env, check=True)
        # The first program of a session also starts wine's own services; do that before any test times anything.
        subprocess.run([loader, "cmd.exe", "/c", "exit"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=120)
        return subprocess.call(command)
    finally:
        subprocess.run([server, "-k"], env=env, stderr=subprocess.DEVNULL)
        subprocess.run([server, "-w"], env=env, stderr=subprocess.DEVNULL, timeout=60)
        if screen is not None:
            screen[0].kill()
            screen[0].wait()
        shutil.rmtree(session, ignore_errors=True)


def run_inside(command):
    prepare_loopback_only_network()
    os.environ["PYTHONDONTWRITEBYTECODE"] = "1"
    if os.environ.get("CORVANE_WINDOWS", "0").upper() in ("1", "ON", "TRUE", "YES"):
        return run_with_wine(command)
    return subprocess.call(command)


def main():
    command = sys.argv[1:]
    if not command:
        print(__doc__, file=sys.stderr)
        return 2
    # Let a CTest time-out (SIGTERM) still run the clean-up of the finally blocks.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    if command[0] != INSIDE_FLAG:
        return enter_namespace(command)
    if len(command) < 2:
        return 2
    return run_inside(command[1:])


if __name__ == "__main__":
    sys.exit(main())
