"""The Windows archive as a user gets it: unpacked, its corvane.exe runs under wine from the unpacked folder
and answers /status, its sample page and a stream.

Runs inside the namespace (and wine session) of run_in_netns.py with CORVANE_WINDOWS=1; CORVANE_ZIP names
the archive.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from corvane_harness import (MULTICAST_INTERFACE, STREAM_HEADER, WINDOWS, Client, MulticastSender, Proxy,  # noqa: E402
                             StreamCheck, check_private_network, exchange, settings_text, split_head)

ARCHIVE = os.environ.get("CORVANE_ZIP", "")


def setUpModule():
    if not ARCHIVE or not os.path.isfile(ARCHIVE):
        raise unittest.SkipTest("CORVANE_ZIP does not name the archive")
    if not WINDOWS:
        raise unittest.SkipTest("the archive's program runs under wine (CORVANE_WINDOWS=1)")
    check_private_network()


class WindowsArchiveTest(unittest.TestCase):
    def setUp(self):
        self.unpacked = tempfile.mkdtemp(prefix="corvane-zip-")
        self.addCleanup(shutil.rmtree, self.unpacked, True)
        with zipfile.ZipFile(ARCHIVE) as archive:
            archive.extractall(self.unpacked)

    def test_contents_read_well_on_windows(self):
        top = os.listdir(self.unpacked)
        self.assertEqual(len(top), 1)
        folder = os.path.join(self.unpacked, top[0])
        self.assertEqual(sorted(os.listdir(folder)), ["LICENSE.txt", "README.txt", "corvane.Html", "corvane.exe"])
        for name in ("README.txt", "LICENSE.txt", os.path.join("corvane.Html", "index.html")):
            with open(os.path.join(folder, name), "rb") as text:
                lines = text.read().split(b"\n")
            self.assertTrue(all(line.endswith(b"\r") for line in lines[:-1]), name + " has lines without CR LF")
            self.assertEqual(lines[-1], b"")

    def test_program_comes_without_its_debug_information_which_stays_beside_the_archive(self):
        folder = os.path.join(self.unpacked, os.listdir(self.unpacked)[0])
        debug = ARCHIVE[:-len(".zip")] + ".debug"
        objdump = shutil.which("x86_64-w64-mingw32-objdump")
        if objdump is None:
            self.skipTest("x86_64-w64-mingw32-objdump is not installed")

        def sections(path):
            listing = subprocess.run([objdump, "-h", path], capture_output=True, text=True, check=True).stdout
            return [line.split()[1] for line in listing.splitlines() if line.strip()[:1].isdigit()]

        program = sections(os.path.join(folder, "corvane.exe"))
        self.assertEqual([name for name in program if name.startswith(".debug")], [])
        self.assertIn(".gnu_debuglink", program)
        self.assertIn(".debug_info", sections(debug))
        with open(os.path.join(folder, "corvane.exe"), "rb") as exe:
            self.assertIn(os.path.basename(debug).encode() + b"\0", exe.read())

    def test_unpacked_program_serves_status_page_and_stream(self):
        folder = os.path.join(self.unpacked, os.listdir(self.unpacked)[0])
        port = 7791
        with open(os.path.join(folder, "corvane.ini"), "wb") as settings:
            settings.write(settings_text(multicast=MULTICAST_INTERFACE, port=port))
        proxy = Proxy(folder=folder).start("/user", "/cons")
        self.addCleanup(proxy.stop)
        proxy.wait_listening(port, timeout=60)

        status = exchange(port, b"GET /status HTTP/1.0\r\n\r\n")
        self.assertIn(b"PROXY message : Start listening at 0.0.0.0:%d" % port, status)
        head, page = split_head(exchange(port, b"GET /html/ HTTP/1.0\r\nHost: 127.0.0.1:%d\r\n\r\n" % port))
        self.assertTrue(head.startswith(b"HTTP/1.0 200 OK "), head)
        self.assertIn(b'<a href="/status">', page)

        with MulticastSender("239.255.41.1", 5041, tag=41) as sender, Client(port) as client:
            client.send(b"GET /udp/239.255.41.1:5041 HTTP/1.0\r\n\r\n")
            self.assertEqual(client.receive_exactly(len(STREAM_HEADER)), STREAM_HEADER)
            check = StreamCheck(client, tag=41).read_until(sender.next_sequence + 20)
            self.assertEqual(check.problems, [])


if __name__ == "__main__":
    unittest.main()
