"""The Debian package, installed for real: its files, its configuration files and unit, the installed program
serving a stream without root, and a purge that leaves nothing behind.

Runs as root inside the namespace of run_in_netns.py (scripts/test-all.sh starts it), with CORVANE_DEB naming
the package. It installs the package on this machine and purges it again.
"""
import os
import pwd
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from corvane_harness import STREAM_HEADER, Client, MulticastSender, StreamCheck, check_private_network  # noqa: E402

DEB = os.environ.get("CORVANE_DEB", "")
PROGRAM = "/usr/lib/corvane/corvane"
UNIT = "/lib/systemd/system/corvane.service"


def run(*command, check=True):
    return subprocess.run(command, capture_output=True, text=True, check=check)


def setUpModule():
    if not DEB or not os.path.isfile(DEB):
        raise unittest.SkipTest("CORVANE_DEB does not name the package")
    if os.geteuid() != 0:
        raise unittest.SkipTest("installing a package needs root")
    check_private_network()
    if run("dpkg-query", "-W", "corvane", check=False).returncode == 0:
        raise unittest.SkipTest("a corvane package is installed here already; this test does not touch it")


class DebianPackageTest(unittest.TestCase):
    def test_install_serve_and_purge(self):
        installed = run("dpkg", "-i", DEB, check=False)
        self.assertEqual(installed.returncode, 0, installed.stdout + installed.stderr)
        try:
            files = run("dpkg-query", "-L", "corvane").stdout.split()
            self.check_installed_files()
            self.check_installed_program_serves_a_stream_without_root()
        finally:
            purged = run("dpkg", "--purge", "corvane", check=False)
        self.assertEqual(purged.returncode, 0, purged.stdout + purged.stderr)
        left = [path for path in files if path.startswith(("/etc/corvane", "/usr/lib/corvane", "/lib/systemd"))
                and os.path.lexists(path) and not os.path.isdir(path)]
        self.assertEqual(left, [])
        for path in ("/etc/corvane", "/usr/lib/corvane", "/usr/bin/corvane", UNIT, "/usr/share/doc/corvane"):
            self.assertFalse(os.path.lexists(path), path + " is left after the purge")
        self.assertNotIn("corvane", [entry.pw_name for entry in pwd.getpwall()])
        enabled = "/etc/systemd/system/multi-user.target.wants/corvane.service"
        self.assertFalse(os.path.lexists(enabled), "the unit stays enabled after the purge")

    def check_installed_files(self):
        self.assertTrue(os.access(PROGRAM, os.X_OK))
        self.assertEqual(os.path.realpath("/usr/bin/corvane"), PROGRAM)
        # The program finds its settings and pages beside itself; they are configuration under /etc.
        self.assertEqual(os.readlink("/usr/lib/corvane/corvane.ini"), "/etc/corvane/corvane.ini")
        self.assertEqual(os.readlink("/usr/lib/corvane/corvane.Html"), "/etc/corvane/corvane.Html")
        self.assertEqual(os.readlink("/usr/lib/corvane/corvane.m3u"), "/etc/corvane/corvane.m3u")
        with open("/etc/corvane/corvane.ini", "rb") as settings:
            self.assertEqual(settings.read(), b"0.0.0.0\r\n0.0.0.0\r\n81\r\n0\r\n\r\n")
        conffiles = run("dpkg-query", "-W", "-f=${Conffiles}", "corvane").stdout
        self.assertIn("/etc/corvane/corvane.ini ", conffiles)
        self.assertIn("/etc/corvane/corvane.Html/index.html ", conffiles)
        self.assertTrue(os.path.isfile("/usr/share/man/man1/corvane.1.gz"))
        self.assertIn("corvane", [entry.pw_name for entry in pwd.getpwall()])

        with open(UNIT) as unit:
            text = unit.read()
        self.assertIn('ExecStart="/usr/lib/corvane/corvane" /service\n', text)
        self.assertIn("User=corvane\n", text)
        verify = run("systemd-analyze", "verify", UNIT, check=False)
        self.assertEqual((verify.returncode, verify.stdout + verify.stderr), (0, ""))
        # Enabled for the next boot; this machine runs no systemd, so nothing started it now.
        self.assertTrue(os.path.islink("/etc/systemd/system/multi-user.target.wants/corvane.service"))

    def check_installed_program_serves_a_stream_without_root(self):
        # As the unit runs it: the package's user, allowed to bind port 81 and nothing else.
        setpriv = shutil.which("setpriv")
        self.assertIsNotNone(setpriv)
        proxy = subprocess.Popen([setpriv, "--reuid=corvane", "--regid=corvane", "--init-groups",
                                  "--inh-caps=+net_bind_service", "--ambient-caps=+net_bind_service",
                                  "/usr/bin/corvane", "/user", "/cons"],
                                 stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                 cwd="/")
        try:
            with MulticastSender("239.255.40.1", 5040, tag=40) as sender:
                client = self.connect_when_listening(81, proxy)
                with client:
                    client.send(b"GET /udp/239.255.40.1:5040 HTTP/1.0\r\n\r\n")
                    self.assertEqual(client.receive_exactly(len(STREAM_HEADER)), STREAM_HEADER)
                    check = StreamCheck(client, tag=40).read_until(sender.next_sequence + 20)
                    self.assertEqual(check.problems, [])
            with Client(81) as status:
                status.send(b"GET /status HTTP/1.0\r\n\r\n")
                self.assertIn(b"PROXY message : Start listening at 0.0.0.0:81", status.receive_until_closed())
        finally:
            proxy.kill()
            proxy.wait(10)
            proxy.stdout.close()

    def connect_when_listening(self, port, proxy):
        for _ in range(100):
            if proxy.poll() is not None:
                self.fail("the installed program ended: %r" % proxy.stdout.read())
            try:
                return Client(port)
            except OSError:
                time.sleep(0.1)
        self.fail("the installed program does not listen on port %d" % port)


if __name__ == "__main__":
    unittest.main()
