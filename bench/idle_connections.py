#!/usr/bin/env python3
"""How many idle connections corvane holds before it logs "Error creating thread".

    sudo bench/idle_connections.py [--corvane PATH] [--wine] [--limit N] [--port P]

Every connection gets a thread of its own, so the count is the number of client threads the build can
make (the stack reservation, the address space, the system's thread and descriptor limits). The script
runs in a network namespace of its own whose only interface is lo: it re-executes itself under
`unshare --net`, starts a copy of the program there (HTTP on 127.0.0.1), raises the descriptor limit
for itself and the program (as far as the hard limit allows), and opens TCP connections that send
nothing until the program's log shows "Error creating thread", a connection fails, the program stops
taking connections (its descriptors ran out), or --limit connections are open. It prints one summary
line with the count of connections the program held at that moment.

With --wine the program is the Windows build, run by wine64 in a wine session (a prefix of its own,
its wineserver included) that lives inside the same namespace and is ended and removed at the end.

The program closes a connection whose request head has not arrived within 30 seconds, so the
connections are opened as fast as the program takes them (never more than 50 waiting in its backlog of
100, where a dropped attempt would cost a second); the summary says how long that took. A build that
makes its threads too slowly reaches the 30 seconds first, and the summary says so. This is a
measurement, not a test: nothing passes or fails.
"""
import argparse
import os
import re
import resource
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

from private_network import enter_private_network, prepare_loopback

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver64"
HEAD_TIME_LIMIT = 30.0
BACKLOG_MARGIN = 50
STALL_SECONDS = 3.0


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--corvane", help="the program (build/linux/src/corvane, with --wine "
                                          "build/windows-x64/src/corvane.exe)")
    parser.add_argument("--wine", action="store_true", help="run the Windows build under wine64")
    parser.add_argument("--limit", type=int, default=20000, help="stop after this many connections (20000)")
    parser.add_argument("--port", type=int, default=7790, help="HTTP port of the program (7790)")
    arguments = parser.parse_args()
    if arguments.corvane is None:
        arguments.corvane = os.path.join(ROOT, "build", "windows-x64" if arguments.wine else "linux", "src",
                                         "corvane.exe" if arguments.wine else "corvane")
    arguments.corvane = os.path.abspath(arguments.corvane)
    return arguments


def raise_descriptor_limit(connections):
    """Raises the descriptor limit that the program and wine's server inherit; returns it. The program
    holds a TCP and a UDP socket per connection (wine's server holds them once more), this script one."""
    wanted = 3 * connections + 1024
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    if hard != resource.RLIM_INFINITY and hard < wanted:
        try:
            resource.setrlimit(resource.RLIMIT_NOFILE, (wanted, wanted))
            return wanted
        except (ValueError, OSError):  # raising the hard limit needs CAP_SYS_RESOURCE
            wanted = hard
    resource.setrlimit(resource.RLIMIT_NOFILE, (wanted, hard))
    return wanted


class Program:
    """A copy of the program in a folder of its own, its log read line by line."""

    def __init__(self, arguments):
        self.folder = tempfile.mkdtemp(prefix="corvane-idle-")
        name = "corvane.exe" if arguments.wine else "corvane"
        shutil.copy2(arguments.corvane, os.path.join(self.folder, name))
        with open(os.path.join(self.folder, "corvane.ini"), "wb") as settings:
            settings.write(b"0.0.0.0\r\n127.0.0.1\r\n%d\r\n0\r\n\r\n" % arguments.port)
        self.wine_prefix = None
        self.env = dict(os.environ)
        command = [os.path.join(self.folder, name), "/user", "/cons"]
        if arguments.wine:
            self.wine_prefix = os.path.join(self.folder, "prefix")
            self.env.update(WINEPREFIX=self.wine_prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
            self.env.pop("DISPLAY", None)
            subprocess.run([WINE, "wineboot", "-i"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=300)
            command = [WINE] + command
        # The log goes to a file that the measuring loop reads itself: a reader thread would wait for
        # Python's lock while the loop runs and slow the connections down to its pace.
        self.log = open(os.path.join(self.folder, "log.txt"), "w+b")
        self.process = subprocess.Popen(command, cwd=self.folder, env=self.env, stdin=subprocess.DEVNULL,
                                        stdout=self.log, stderr=subprocess.DEVNULL)
        self.reader = open(self.log.name, "rb")
        self.pending = b""
        self.listening = False
        self.started = self.ended = self.refused = 0
        self.first_error = None

    def read_log(self):
        """Takes the log lines written since the last call into the counts."""
        self.pending += self.reader.read()
        *lines, self.pending = self.pending.split(b"\n")
        for line in lines:
            if b"New thread handle is " in line:
                self.started += 1
            elif b"Connection closed, thread terminated" in line:
                self.ended += 1
            elif b"Error creating thread" in line:
                self.refused += 1
                if self.first_error is None:
                    self.first_error = self.started - self.ended
            elif b"Start listening at " in line:
                self.listening = True

    def wait_listening(self, timeout):
        deadline = time.monotonic() + timeout
        while not self.listening and time.monotonic() < deadline and self.process.poll() is None:
            time.sleep(0.1)
            self.read_log()
        return self.listening

    def threads(self):
        try:
            with open("/proc/%d/status" % self.process.pid) as status:
                return int(re.search(r"^Threads:\s+(\d+)", status.read(), re.M).group(1))
        except (OSError, AttributeError):
            return None

    def stop(self):
        if self.process.poll() is None:
            os.kill(self.process.pid, signal.SIGKILL)
        self.process.wait(20)
        if self.wine_prefix:
            subprocess.run([WINESERVER, "-k"], env=self.env, stderr=subprocess.DEVNULL)
            subprocess.run([WINESERVER, "-w"], env=self.env, stderr=subprocess.DEVNULL, timeout=60)
        self.reader.close()
        self.log.close()
        shutil.rmtree(self.folder, ignore_errors=True)


def measure(arguments, descriptor_limit):
    program = Program(arguments)
    connections = []
    try:
        if not program.wait_listening(120):
            return "the program did not start listening"
        began = time.monotonic()
        stop_reason = "limit of %d connections reached" % arguments.limit
        taken, last_progress = 0, began
        while len(connections) < arguments.limit:
            program.read_log()
            if program.started + program.refused != taken:
                taken, last_progress = program.started + program.refused, time.monotonic()
            elif time.monotonic() - last_progress > STALL_SECONDS:
                stop_reason = ("the program stopped taking connections (out of descriptors?) with %d waiting"
                               % (len(connections) - taken))
                break
            if program.first_error is not None:
                stop_reason = '"Error creating thread" logged'
                break
            if time.monotonic() - began > HEAD_TIME_LIMIT:
                stop_reason = "the first connections reached the program's 30-second head limit"
                break
            # A full listen backlog drops the next connection attempt for a whole second: keep the number
            # of connections not yet taken by the program well below the backlog of 100.
            if len(connections) - program.started - program.refused >= BACKLOG_MARGIN:
                time.sleep(0.001)
                continue
            client = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            client.settimeout(10)
            try:
                client.connect(("127.0.0.1", arguments.port))
            except OSError as error:
                client.close()
                stop_reason = "connect failed: %s" % error
                break
            connections.append(client)
        opened = time.monotonic() - began
        # Let the program catch up with the connections still in its backlog.
        settle = time.monotonic() + (0 if stop_reason.startswith("the program stopped") else 10)
        while time.monotonic() < settle and program.started + program.refused < len(connections):
            time.sleep(0.1)
            program.read_log()
        threads = program.threads()
        held = program.first_error if program.first_error is not None else program.started - program.ended
        return ("%s: %s; %d connections opened in %.1f s; the program held %d connection threads%s "
                "(%s threads in the process; log: %d started, %d ended, %d refused; descriptor limit %d)"
                % ("wine" if arguments.wine else "linux", stop_reason, len(connections), opened, held,
                   " when the first \"Error creating thread\" appeared" if program.first_error is not None else "",
                   threads, program.started, program.ended, program.refused, descriptor_limit))
    finally:
        for client in connections:
            client.close()
        program.stop()


def main():
    arguments = parse_arguments()
    if not os.path.isfile(arguments.corvane):
        sys.exit("idle_connections: no program at " + arguments.corvane)
    enter_private_network("idle_connections")
    prepare_loopback("idle_connections")
    print(measure(arguments, raise_descriptor_limit(arguments.limit)), flush=True)


if __name__ == "__main__":
    main()
