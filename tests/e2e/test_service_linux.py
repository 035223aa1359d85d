"""The Linux build as a systemd service. The notify protocol and the control signals are tested with the real
program and a datagram socket in place of systemd's NOTIFY_SOCKET. /install and /remove run in a mount namespace
of their own, with empty folders over /etc/systemd/system and /run and a stand-in for systemctl that records its
calls: no systemd runs on the machines these tests run on, so whether systemd really starts, signals and stops the
unit is not tested here. The unit file the program writes is checked by `systemd-analyze verify`, which needs no
running systemd."""
import os
import random
import shutil
import signal
import socket
import subprocess
import tempfile
import threading
import time
import unittest

from corvane_harness import SLOW, WINDOWS, MulticastSender, exchange, free_tcp_port, require_program, settings_text
from service_harness import assert_served_after_continue, held_request, open_stream, wait_answering

EXE = os.environ.get("CORVANE_EXE", "")


def setUpModule():
    if WINDOWS:
        raise unittest.SkipTest("the Linux build's service mode")
    require_program()


class NotifySocket:
    """The socket systemd would read: one datagram per state report."""

    def __init__(self, folder):
        self.path = os.path.join(folder, "notify")
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        self.sock.bind(self.path)

    def next(self, timeout=10.0):
        self.sock.settimeout(timeout * SLOW)
        try:
            return self.sock.recv(4096).decode("ascii")
        except socket.timeout:
            raise AssertionError("no notification within %.0f s" % (timeout * SLOW))

    def drain(self, received, until):
        """Keeps every notification in received until the event until is set, as systemd reads them at once."""
        self.sock.settimeout(0.2)
        while not until.is_set():
            try:
                received.append(self.sock.recv(4096).decode("ascii"))
            except socket.timeout:
                pass

    def nothing_for(self, seconds):
        self.sock.settimeout(seconds)
        try:
            return self.sock.recv(4096).decode("ascii")
        except socket.timeout:
            return None

    def close(self):
        self.sock.close()


class ServiceProcess:
    """The program started with /service the way systemd starts a unit of Type=notify: NOTIFY_SOCKET set and
    standard output in the journal (JOURNAL_STREAM names the pipe here)."""

    def __init__(self, folder, notify):
        read_end, write_end = os.pipe()
        info = os.fstat(write_end)
        env = dict(os.environ, NOTIFY_SOCKET=notify.path, JOURNAL_STREAM="%d:%d" % (info.st_dev, info.st_ino))
        self.process = subprocess.Popen([os.path.join(folder, "corvane"), "/service"], cwd=folder, env=env,
                                        stdin=subprocess.DEVNULL, stdout=write_end, stderr=subprocess.PIPE,
                                        start_new_session=True)
        os.close(write_end)
        self.output = b""
        self.reader = threading.Thread(target=self._read, args=(read_end,), daemon=True)
        self.reader.start()

    def _read(self, fd):
        while True:
            chunk = os.read(fd, 65536)
            if not chunk:
                os.close(fd)
                return
            self.output += chunk

    def signal(self, number):
        self.process.send_signal(number)

    def wait_exit(self, timeout=20.0):
        code = self.process.wait(timeout * SLOW)
        self.reader.join(5)
        return code

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


class NotifyProtocolTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="corvane-e2e-service-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        shutil.copy2(EXE, os.path.join(self.folder, "corvane"))
        self.port = free_tcp_port()
        with open(os.path.join(self.folder, "corvane.ini"), "wb") as settings:
            settings.write(settings_text(port=self.port))
        self.notify = NotifySocket(self.folder)
        self.addCleanup(self.notify.close)

    def start(self):
        service = ServiceProcess(self.folder, self.notify)
        self.addCleanup(service.kill)
        return service

    def expect(self, *messages):
        self.assertEqual([self.notify.next() for _ in messages], list(messages))

    def control(self, service, number, *messages):
        service.signal(number)
        self.expect(*messages)

    def test_states_and_every_control_code(self):
        service = self.start()
        self.expect("STATUS=start pending", "READY=1\nSTATUS=running")
        wait_answering(self.port)
        with MulticastSender("239.255.41.1", 5041, 41) as sender:
            stream = open_stream(self, self.port, sender)

            self.control(service, signal.SIGUSR1, "STATUS=pause pending", "STATUS=paused")
            waiting = held_request(self, self.port)
            stream.read_until(sender.next_sequence + 100)
            self.assertEqual(stream.problems, [])

            # Interrogate reports the same state again; shutdown (SIGRTMIN+5) and an unknown code report nothing.
            self.control(service, signal.SIGHUP, "STATUS=paused")
            service.signal(signal.SIGRTMIN + 5)
            service.signal(signal.SIGRTMIN + 9)
            self.assertIsNone(self.notify.nothing_for(1.0))
            self.control(service, signal.SIGHUP, "STATUS=paused")
            # A second pause of a paused service changes nothing either.
            service.signal(signal.SIGUSR1)
            self.assertIsNone(self.notify.nothing_for(1.0))

            self.control(service, signal.SIGUSR2, "STATUS=continue pending", "READY=1\nSTATUS=running")
            assert_served_after_continue(self, waiting, self.port)
            stream.read_until(sender.next_sequence + 20)
            self.assertEqual(stream.problems, [])

        self.control(service, signal.SIGTERM, "STOPPING=1\nSTATUS=stop pending", "STATUS=stopped")
        self.assertEqual(service.wait_exit(), 0)
        self.assertIsNone(self.notify.nothing_for(0.5))
        # The log went to the journal, one LF line each.
        lines = service.output.decode("latin-1").split("\n")
        self.assertEqual(lines[-1], "")
        self.assertTrue(any(line.endswith("PROXY message : Start proxy") for line in lines), service.output[:300])
        self.assertFalse(any("\r" in line for line in lines))

    def test_stop_while_paused_ends_the_process(self):
        service = self.start()
        self.expect("STATUS=start pending", "READY=1\nSTATUS=running")
        wait_answering(self.port)
        self.control(service, signal.SIGUSR1, "STATUS=pause pending", "STATUS=paused")
        self.control(service, signal.SIGINT, "STOPPING=1\nSTATUS=stop pending", "STATUS=stopped")
        self.assertEqual(service.wait_exit(), 0)
        with self.assertRaises(OSError):
            exchange(self.port, b"GET /status HTTP/1.0\r\n\r\n", timeout=5)

    def test_a_storm_of_pauses_and_continues_never_freezes_the_service(self):
        """Pause and continue a few milliseconds apart while clients keep connecting: the service answers after
        every 25 cycles, reports every state in order, and still stops."""
        service = self.start()
        self.expect("STATUS=start pending", "READY=1\nSTATUS=running")
        wait_answering(self.port)
        done = threading.Event()
        notifications = []
        drain = threading.Thread(target=self.notify.drain, args=(notifications, done), daemon=True)
        drain.start()
        clients = [threading.Thread(target=keep_connecting, args=(self.port, done), daemon=True) for _ in range(8)]
        for client in clients:
            client.start()
        try:
            for cycle in range(1, 601):
                service.signal(signal.SIGUSR1)
                time.sleep(random.uniform(0.001, 0.003))
                service.signal(signal.SIGUSR2)
                time.sleep(random.uniform(0.001, 0.003))
                if cycle % 25 == 0:
                    try:
                        exchange(self.port, b"GET /status HTTP/1.0\r\n\r\n", timeout=3)
                    except OSError as error:
                        self.fail("no status after %d cycles: %s" % (cycle, error))
            service.signal(signal.SIGTERM)
            self.assertEqual(service.wait_exit(timeout=15), 0)
        finally:
            done.set()
            for thread in clients + [drain]:
                thread.join(5)
        self.assertEqual(notifications[-2:], ["STOPPING=1\nSTATUS=stop pending", "STATUS=stopped"])
        # Signals that come faster than the service takes them merge, so fewer cycles may be reported, each whole.
        cycles = notifications[:-2]
        self.assertEqual(cycles, ["STATUS=pause pending", "STATUS=paused", "STATUS=continue pending",
                                  "READY=1\nSTATUS=running"] * (len(cycles) // 4))

    def test_a_listener_that_cannot_start_stops_the_service_as_failed(self):
        with socket.socket() as taken:
            taken.bind(("0.0.0.0", self.port))
            taken.listen(1)
            service = self.start()
            self.expect("STATUS=start pending", "READY=1\nSTATUS=running", "STATUS=stopped")
            # A failure for systemd, so that Restart=on-failure starts it again.
            self.assertEqual(service.wait_exit(), 1)
        self.assertIn(b"PROXY message : Error binding listen socket at port %d !\n" % self.port, service.output)


def keep_connecting(port, done):
    """A client that connects, asks, and goes, again and again; a wait while the service is paused is fine."""
    while not done.is_set():
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=5) as connection:
                path = random.choice([None, b"/nothing", b"/status"])
                if path is not None:
                    connection.sendall(b"GET %s HTTP/1.0\r\n\r\n" % path)
                    connection.recv(65536)
        except OSError:
            time.sleep(0.01)


FAKE_SYSTEMCTL = """#!/bin/sh
echo "$*" >> "$SYSTEMCTL_CALLS"
case "$1" in
  show) printf 'ActiveState=inactive\\nStatusText=stopped\\n' ;;
  enable) [ -z "$SYSTEMCTL_FAIL_ENABLE" ] || exit 1 ;;
esac
exit 0
"""


@unittest.skipUnless(shutil.which("systemd-analyze") and shutil.which("unshare") and os.geteuid() == 0
                     and os.path.isdir("/etc/systemd/system"),
                     "needs root, unshare(1), /etc/systemd/system and systemd-analyze (Debian package systemd)")
class InstallTest(unittest.TestCase):
    """Runs the program's /install and /remove in a private mount namespace: the real unit folder and /run stay
    untouched whatever the program does."""

    def setUp(self):
        self.top = tempfile.mkdtemp(prefix="corvane-e2e-install-")
        self.addCleanup(shutil.rmtree, self.top, True)
        os.chmod(self.top, 0o755)
        self.folder = os.path.join(self.top, "my tv")
        os.mkdir(self.folder)
        self.program = os.path.join(self.folder, "corvane")
        shutil.copy2(EXE, self.program)
        bin_folder = os.path.join(self.top, "bin")
        os.mkdir(bin_folder)
        with open(os.path.join(bin_folder, "systemctl"), "w") as fake:
            fake.write(FAKE_SYSTEMCTL)
        os.chmod(os.path.join(bin_folder, "systemctl"), 0o755)
        self.calls = os.path.join(self.top, "calls")
        self.env = dict(os.environ, PATH=bin_folder + ":" + os.environ.get("PATH", "/usr/bin:/bin"),
                        SYSTEMCTL_CALLS=self.calls)
        self.env.pop("NOTIFY_SOCKET", None)

    def in_namespace(self, steps, systemd_runs=True, env=None):
        """Runs the shell steps with empty folders over /etc/systemd/system and /run; returns their output."""
        script = ("set -e\nmount -t tmpfs tmpfs /etc/systemd/system\nmount -t tmpfs tmpfs /run\n" +
                  ("mkdir -p /run/systemd/system\n" if systemd_runs else "") + "set +e\n" + steps)
        result = subprocess.run(["unshare", "--mount", "--propagation", "private", "sh", "-c", script],
                                env=env or self.env, capture_output=True, text=True, timeout=120)
        self.assertEqual(result.stderr, "")
        return result.stdout

    def recorded_calls(self):
        if not os.path.exists(self.calls):
            return []
        with open(self.calls) as calls:
            return calls.read().splitlines()

    def unit_text(self):
        return ("[Unit]\nDescription=Corvane\nWants=network-online.target\nAfter=network-online.target\n\n"
                "[Service]\nType=notify\nExecStart=\"%s\" /service\nRestart=on-failure\nRestartSec=5\nNice=-10\n"
                "User=corvane\nDynamicUser=yes\nAmbientCapabilities=CAP_NET_BIND_SERVICE\n"
                "CapabilityBoundingSet=CAP_NET_BIND_SERVICE\nNoNewPrivileges=yes\nProtectSystem=strict\n"
                "ProtectHome=read-only\nPrivateTmp=yes\nPrivateDevices=yes\nProtectKernelTunables=yes\n"
                "ProtectKernelModules=yes\nProtectKernelLogs=yes\nProtectControlGroups=yes\nProtectClock=yes\n"
                "ProtectHostname=yes\nRestrictAddressFamilies=AF_INET AF_UNIX AF_NETLINK\nRestrictNamespaces=yes\n"
                "RestrictRealtime=yes\nRestrictSUIDSGID=yes\nLockPersonality=yes\nProtectProc=invisible\nUMask=0077\n"
                "MemoryDenyWriteExecute=yes\nSystemCallArchitectures=native\nSystemCallFilter=@system-service\n"
                "SystemCallFilter=~@privileged @resources\nSystemCallErrorNumber=EPERM\n"
                "\n[Install]\nWantedBy=multi-user.target\n" % self.program)

    def test_install_writes_a_valid_unit_and_remove_takes_it_away(self):
        unit = "/etc/systemd/system/corvane.service"
        output = self.in_namespace(
            '"$P" /install 2>&1; echo "install $?"\n'
            'cat %s; echo "--- verify"\n'
            'systemd-analyze verify %s 2>&1; echo "verify $?"\n'
            'setpriv --reuid=65534 --regid=65534 --clear-groups "$P" 2>/dev/null | tail -n 3; echo "--- states"\n'
            '"$P" /install 2>&1; echo "again $?"\n'
            'echo "--- calls"; cat "$SYSTEMCTL_CALLS"; : > "$SYSTEMCTL_CALLS"\n'
            '"$P" /remove 2>&1; echo "remove $?"\n'
            'ls -A /etc/systemd/system; echo "--- calls"; cat "$SYSTEMCTL_CALLS"\n' % (unit, unit),
            env=dict(self.env, P=self.program))
        install, rest = output.split("install ", 1)
        self.assertEqual(install, "")
        self.assertTrue(rest.startswith("0\n"), output)
        text, rest = rest[2:].split("--- verify\n", 1)
        self.assertEqual(text, self.unit_text())
        verify, rest = rest.split("verify ", 1)
        self.assertEqual(verify, "", "systemd-analyze has something to say about the unit")
        self.assertTrue(rest.startswith("0\n"), output)
        # Without root the control panel's state lines still tell the service's state (the stand-in's).
        states, rest = rest[2:].split("--- states\n", 1)
        self.assertEqual(states.splitlines(), ["Application is not running", "Service is stopped",
                                               "Транскодер не запущен"])
        again, rest = rest.split("again ", 1)
        # The unit exists already: it is removed and written anew.
        self.assertEqual(again, "")
        self.assertTrue(rest.startswith("0\n"), output)
        calls, rest = rest[2:].split("--- calls\n", 1)[1].split("remove ", 1)
        show = "show corvane.service --property=ActiveState --property=StatusText"
        installs = ["daemon-reload", "enable corvane.service", "start corvane.service"]
        self.assertEqual(calls.splitlines(), installs + [show, "stop corvane.service", show, show,
                                                         "disable corvane.service", "daemon-reload"] + installs)
        self.assertTrue(rest.startswith("0\n"), output)
        listing, calls = rest[2:].split("--- calls\n", 1)
        self.assertEqual(listing, "")
        self.assertEqual(calls.splitlines(), ["stop corvane.service",
                                              "show corvane.service --property=ActiveState --property=StatusText",
                                              "show corvane.service --property=ActiveState --property=StatusText",
                                              "disable corvane.service", "daemon-reload"])

    def test_a_unit_from_elsewhere_is_shown_but_left_alone(self):
        """A unit of the name that this program did not write (as a package's, here in /run/systemd/system): the
        control panel's line shows its state; /install and /remove do not touch it."""
        output = self.in_namespace(
            'printf "[Service]\\nExecStart=/bin/true\\n" > /run/systemd/system/corvane.service\n'
            '"$P" | tail -n 2 | head -n 1\n'
            '"$P" /install 2>&1; echo "install $?"; "$P" /remove 2>&1; echo "remove $?"\n'
            'ls -A /etc/systemd/system; ls -A /run/systemd/system\n', env=dict(self.env, P=self.program))
        refused = "Can not obtain service handle, Operation not permitted\n"
        self.assertEqual(output, "Service is stopped\n" + refused + "install 1\n" + refused + "remove 1\n"
                                 "corvane.service\n")
        show = "show corvane.service --property=ActiveState --property=StatusText"
        self.assertEqual(self.recorded_calls(), [show, show])

    def test_install_with_unusable_settings_leaves_the_installed_service(self):
        settings = os.path.join(self.folder, "corvane.ini")
        output = self.in_namespace(
            '"$P" /install 2>&1; echo "install $?"; : > "$SYSTEMCTL_CALLS"\n'
            'printf "0.0.0.0\\r\\n0.0.0.0\\r\\nport\\r\\n0\\r\\n\\r\\n" > "%s"\n'
            '"$P" /install 2>&1; echo "again $?"; ls -A /etc/systemd/system\n' % settings,
            env=dict(self.env, P=self.program))
        self.assertEqual(output, "install 0\nThe HTTP-Server port must be a number from 1 to 65535, not \"port\". "
                                 "The settings were not saved.\nagain 1\ncorvane.service\n")
        self.assertEqual(self.recorded_calls(), [])

    def test_remove_without_a_service_only_says_so(self):
        output = self.in_namespace('"$P" /remove 2>&1; echo "remove $?"\n', env=dict(self.env, P=self.program))
        self.assertEqual(output, "Service is not installed\nremove 0\n")
        self.assertEqual(self.recorded_calls(), [])

    def test_a_failed_enable_leaves_nothing_installed(self):
        output = self.in_namespace('"$P" /install 2>&1; echo "install $?"; ls -A /etc/systemd/system\n',
                                   env=dict(self.env, P=self.program, SYSTEMCTL_FAIL_ENABLE="1"))
        self.assertEqual(output, "Can not obtain service handle, Input/output error\ninstall 1\n")
        self.assertEqual(self.recorded_calls(), ["daemon-reload", "enable corvane.service", "disable corvane.service",
                                                 "daemon-reload"])

    def test_without_systemd_nothing_is_installed(self):
        output = self.in_namespace('"$P" /install 2>&1; echo "install $?"; "$P" /remove 2>&1; echo "remove $?"\n'
                                   'ls -A /etc/systemd/system\n',
                                   systemd_runs=False, env=dict(self.env, P=self.program))
        self.assertEqual(output, "Can not obtain SCHandle, No such process\ninstall 1\n"
                                 "Can not obtain SCHandle, No such process\nremove 1\n")
        self.assertEqual(self.recorded_calls(), [])

    def test_without_root_it_says_what_to_run_instead(self):
        for switch in ("/install", "/remove"):
            with self.subTest(switch=switch):
                result = subprocess.run(["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                                         self.program, switch], env=self.env, capture_output=True, text=True,
                                        timeout=60)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stdout, "")
                self.assertEqual(result.stderr, "Corvane: %s changes the system's services and needs root rights; "
                                                "run instead: sudo \"%s\" %s\n" % (switch, self.program, switch))
        self.assertEqual(self.recorded_calls(), [])


if __name__ == "__main__":
    unittest.main()
