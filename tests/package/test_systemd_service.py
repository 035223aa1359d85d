"""The service under the real systemd: the Debian package installed in a container whose PID 1 is systemd, and the
program's own /install and /remove from a build tree there.

Runs as root with CORVANE_DEB naming the package and CORVANE_EXE the built program (scripts/test-all.sh sets both).
Each test boots a container of its own (systemd_container.py); nothing it does reaches the machine's own init,
files, users or network.
"""
import os
import shutil
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from corvane_harness import LOG_LINE, Client, MulticastSender, exchange, settings_text  # noqa: E402
from service_harness import assert_served_after_continue, held_request, open_stream, wait_answering  # noqa: E402
from systemd_container import SystemdContainer, missing_requirement  # noqa: E402

DEB = os.environ.get("CORVANE_DEB", "")
EXE = os.environ.get("CORVANE_EXE", "")
INSIDE_DEB = "/opt/corvane-test/corvane.deb"
BUILD_TREE = "/opt/corvane-build"
CAP_NET_BIND_SERVICE = 1 << 10
RESTART_SECONDS = 5
MAX_EXPOSURE = 2.0
TRANSCODING = "mux=ts,vcodec=mp2v,vb=1024,scale=0.5"


def setUpModule():
    if not DEB or not os.path.isfile(DEB):
        raise unittest.SkipTest("CORVANE_DEB does not name the package")
    if not EXE or not os.path.isfile(EXE):
        raise unittest.SkipTest("CORVANE_EXE does not name the built program")
    reason = missing_requirement()
    if reason:
        raise unittest.SkipTest(reason)
    # Ended from outside (a time limit), the test still closes its container: atexit runs on SystemExit.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    # The multicast of these tests goes out only inside the containers' networks, never in this one.
    os.environ.setdefault("CORVANE_E2E_NETNS", os.readlink("/proc/self/ns/net"))


class ServiceUnderSystemdTest(unittest.TestCase):
    def setUp(self):
        self.box = SystemdContainer(files={INSIDE_DEB: DEB, BUILD_TREE + "/corvane": EXE})
        self.addCleanup(self.box.close)
        # The container's loopback carries the test's multicast, as run_in_netns.py arranges it elsewhere.
        self.inside("ip", "route", "add", "224.0.0.0/4", "dev", "lo")

    def inside(self, *command, check=True, timeout=30.0):
        try:
            done = self.box.run(*command, check=False, timeout=timeout)
        except subprocess.TimeoutExpired:
            state = self.box.run("systemctl", "status", "--no-pager", "corvane.service", check=False).stdout
            self.fail("%s: still running after %.0f s; the unit:\n%s" % (" ".join(command), timeout, state))
        if check and done.returncode != 0:
            self.fail("%s: exit %d\n%s%s\nconsole:\n%s" % (" ".join(command), done.returncode, done.stdout,
                                                          done.stderr, self.box.console_text()))
        return done

    def unit(self, *names):
        shown = self.inside("systemctl", "show", "corvane.service", *("--property=" + name for name in names)).stdout
        return dict(line.split("=", 1) for line in shown.splitlines() if "=" in line)

    def wait_unit(self, what, timeout=20.0, **expected):
        """Waits until the unit's properties hold the values expected; returns them."""
        deadline = time.monotonic() + timeout
        while True:
            values = self.unit(*expected, "MainPID", "ActiveState", "SubState", "StatusText")
            if all(values.get(name) == value for name, value in expected.items()):
                return values
            if time.monotonic() > deadline:
                journal = self.inside("journalctl", "-u", "corvane", "--no-pager", check=False).stdout
                self.fail("the unit is not %s within %.0f s: %r\njournal:\n%s" % (what, timeout, values, journal))
            time.sleep(0.05)

    def process_status(self, pid):
        lines = self.inside("cat", "/proc/%s/status" % pid).stdout.splitlines()
        return dict(line.split(":\t", 1) for line in lines if ":\t" in line)

    def journal_messages(self, unit="corvane"):
        text = self.inside("journalctl", "-u", unit, "-o", "cat", "--no-pager").stdout
        return [match.group("message") for match in map(LOG_LINE.match, text.splitlines()) if match]

    def wait_journal(self, message, timeout=10.0):
        deadline = time.monotonic() + timeout
        while message not in self.journal_messages():
            if time.monotonic() > deadline:
                self.fail("the journal has no %r: %r" % (message, self.journal_messages()))
            time.sleep(0.1)

    def check_exposure(self):
        """systemd's rating of the unit's sandbox, 0 (tight) to 10, is 2.0 or less."""
        rating = self.inside("systemd-analyze", "security", "--no-pager", "--threshold=%d" % (MAX_EXPOSURE * 10),
                             "corvane.service", check=False)
        self.assertEqual(rating.returncode, 0, rating.stdout[-300:] + rating.stderr)

    def signal(self, name):
        self.inside("systemctl", "kill", "--kill-whom=main", "--signal=" + name, "corvane.service")

    def test_package_runs_the_service_and_purge_takes_it_away(self):
        installed = self.inside("dpkg", "-i", INSIDE_DEB)
        # The package starts the unit itself; active means the program has said READY.
        running = self.wait_unit("active after the install", ActiveState="active", StatusText="running")

        self.check_exposure()
        user = self.inside("id", "-u", "corvane").stdout.strip()
        status = self.process_status(running["MainPID"])
        self.assertEqual(status["Uid"].split(), [user] * 4)
        for capabilities in ("CapEff", "CapPrm", "CapAmb", "CapBnd"):
            self.assertEqual(int(status[capabilities], 16), CAP_NET_BIND_SERVICE, capabilities)

        with self.box.network(), MulticastSender("239.255.41.1", 5041, tag=41) as sender:
            reply = wait_answering(81)
            self.assertEqual(open_stream(self, 81, sender).problems, [])
        self.assertIn(b"PROXY message : Start listening at 0.0.0.0:81 (MultiCast at 0.0.0.0)", reply)
        self.wait_journal("Start listening at 0.0.0.0:81 (MultiCast at 0.0.0.0)")

        # The operator's playlist lives in /etc beside the settings, and the sandboxed service reads it.
        with self.box.network():
            self.assertTrue(exchange(81, b"GET /playlist.m3u HTTP/1.0\r\n\r\n").startswith(b"HTTP/1.0 404 "))
            self.inside("sh", "-c", 'printf "#EXTM3U\\nudp://@239.255.41.1:5041\\n" >/etc/corvane/corvane.m3u')
            playlist = exchange(81, b"GET /playlist.m3u HTTP/1.0\r\nHost: tv.example:81\r\n\r\n")
            self.inside("rm", "/etc/corvane/corvane.m3u")
        self.assertTrue(playlist.endswith(b"\r\n\r\n#EXTM3U\nhttp://tv.example:81/udp/239.255.41.1:5041\n"), playlist)

        self.signal("SIGUSR1")
        self.wait_unit("paused", StatusText="paused")
        with self.box.network():
            waiting = held_request(self, 81)
            self.signal("SIGUSR2")
            assert_served_after_continue(self, waiting, 81)
        self.wait_unit("running again", StatusText="running")

        killed_at = time.monotonic()
        self.signal("SIGKILL")
        restarted = self.wait_unit("restarted", timeout=RESTART_SECONDS + 15, ActiveState="active", NRestarts="1")
        self.assertNotEqual(restarted["MainPID"], running["MainPID"])
        self.assertGreaterEqual(time.monotonic() - killed_at, RESTART_SECONDS - 0.5)
        with self.box.network():
            wait_answering(81)

        # systemd says at debug level which notifications it got: the stop must be announced, then end with 0.
        self.inside("systemd-analyze", "log-level", "debug")
        self.inside("systemctl", "stop", "corvane.service")
        self.inside("systemd-analyze", "log-level", "info")
        stopped = self.unit("ActiveState", "Result", "ExecMainCode", "ExecMainStatus")
        self.assertEqual(stopped, {"ActiveState": "inactive", "Result": "success", "ExecMainCode": "1",
                                   "ExecMainStatus": "0"})
        notes = self.inside("journalctl", "-u", "corvane", "-o", "cat", "--no-pager", "--grep", "notification").stdout
        self.assertIn("STOPPING=1", notes)

        files = self.inside("dpkg-query", "-L", "corvane").stdout.split()
        self.inside("dpkg", "--purge", "corvane")
        left = self.inside("sh", "-c", 'for f in "$@"; do [ -e "$f" ] && [ ! -d "$f" ] && echo "$f"; done; true',
                           "sh", *files).stdout.split()
        self.assertEqual(left, [], installed.stdout)
        for path in ("/etc/corvane", "/usr/lib/corvane", "/etc/systemd/system/multi-user.target.wants/corvane.service"):
            self.assertNotEqual(self.inside("test", "-e", path, check=False).returncode, 0, path + " is left")
        self.assertNotEqual(self.inside("id", "corvane", check=False).returncode, 0, "the user is left")
        self.assertEqual(self.unit("LoadState"), {"LoadState": "not-found"})

    def test_install_and_remove_from_a_build_tree(self):
        program = BUILD_TREE + "/corvane"
        self.inside(program, "/install")
        running = self.wait_unit("active after /install", ActiveState="active", StatusText="running")
        # No package made the user here: systemd makes one for the time the service runs.
        uid = int(self.process_status(running["MainPID"])["Uid"].split()[0])
        self.assertTrue(61184 <= uid <= 65519, uid)
        self.check_exposure()
        with self.box.network():
            reply = wait_answering(7781)
        self.assertIn(b"PROXY message : Start listening at 0.0.0.0:7781", reply)

        self.inside(program, "/remove")
        self.assertEqual(self.unit("LoadState", "ActiveState"), {"LoadState": "not-found", "ActiveState": "inactive"})
        self.assertNotEqual(self.inside("test", "-e", "/etc/systemd/system/corvane.service", check=False).returncode, 0)

    def test_transcoder_runs_under_the_unit(self):
        if not os.path.exists("/usr/lib/x86_64-linux-gnu/libvlc.so.5") or shutil.which("ffmpeg") is None:
            self.skipTest("libvlc and ffmpeg are needed")
        self.inside("dpkg", "-i", INSIDE_DEB)
        self.wait_unit("active after the install", ActiveState="active", StatusText="running")
        settings = settings_text(multicast="127.0.0.1", port=81, transcoder="1", profile=TRANSCODING)
        self.inside("sh", "-c", 'printf "$1" >/etc/corvane/corvane.ini', "sh",
                    settings.decode().replace("\r\n", "\\r\\n"))
        self.inside("systemctl", "restart", "corvane.service")
        self.wait_unit("active after the restart", ActiveState="active", StatusText="running")
        with self.box.network():
            source = subprocess.Popen(
                ["ffmpeg", "-nostdin", "-loglevel", "error", "-re", "-f", "lavfi", "-i", "testsrc=size=640x360:rate=25",
                 "-c:v", "mpeg2video", "-b:v", "2M", "-f", "mpegts",
                 "udp://239.255.42.1:5042?ttl=1&localaddr=127.0.0.1&pkt_size=1316"],
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
            self.addCleanup(source.wait)
            self.addCleanup(source.kill)
            wait_answering(81)
            with Client(81, timeout=30) as client:
                client.send(b"GET /udp/239.255.42.1:5042 HTTP/1.0\r\nHost: 127.0.0.1:81\r\n\r\n")
                reply = client.receive_until_closed(timeout=30)
            self.assertIn(b"Location: http://127.0.0.1:82/", reply)
            location = reply.split(b"Location: http://127.0.0.1:82", 1)[1].split(b"\r\n", 1)[0]
            with Client(82, timeout=30) as client:
                client.send(b"GET %s HTTP/1.0\r\n\r\n" % location)
                received = client.receive_exactly(64 * 1024, timeout=30)
        # Past libvlc's HTTP head, the re-encoded channel: transport stream packets.
        body = received.split(b"\r\n\r\n", 1)[1]
        self.assertEqual(body[0:188 * 20:188], b"G" * 20)
        self.assertEqual(self.unit("ActiveState", "NRestarts"), {"ActiveState": "active", "NRestarts": "0"})
        tasks = self.inside("systemctl", "status", "--no-pager", "corvane.service").stdout
        self.assertIn("/usr/lib/corvane/corvane /transcoder", tasks)
        self.assertNotIn("status=31/SYS", self.inside("journalctl", "--no-pager", "-o", "cat").stdout)


if __name__ == "__main__":
    unittest.main()
