"""The live transcoder of the Windows build under wine, which has no VLC: the program runs beside stand-in libvlc
libraries (built with the unit tests) that record every call into a file. The proxy starts the real transcoder
process, hands it the request through the hidden window's text field and redirects the client; the tuner switch
reaches a viewer window that a helper program makes; a program that cannot be started gives the 400; the close ends
the transcoder, which releases libvlc and leaves no configuration file behind.

A helper program (corvane_window_tool.exe, built with the tests) finds and reads the windows, posts the close and
plays the viewer; it stays alive for the whole test, one command a line."""
import os
import shutil
import socket
import subprocess
import threading
import time
import unittest

from corvane_harness import (SLOW, WINDOWS, WINE, Proxy, exchange, free_tcp_port, hand_off, require_program,
                             settings_text)

TOOL = os.environ.get("CORVANE_WINDOW_TOOL", "")
STAND_IN = os.environ.get("CORVANE_STAND_IN_VLC", "")
TRANSCODER_CLASS = "CorvaneVlcWndClass"
GROUP, GROUP_PORT = "239.255.62.1", 5062


def setUpModule():
    if not WINDOWS:
        raise unittest.SkipTest("the Windows build's transcoder window")
    require_program()
    if not TOOL or not os.path.isfile(TOOL):
        raise unittest.SkipTest("CORVANE_WINDOW_TOOL does not name the built helper")
    if not STAND_IN or not os.path.isfile(os.path.join(STAND_IN, "libvlc.dll")):
        raise unittest.SkipTest("CORVANE_STAND_IN_VLC does not name the stand-in libraries")


class WindowTool:
    """corvane_window_tool.exe: one command a line in, one answer a line out (see its source)."""

    def __init__(self):
        self.process = subprocess.Popen([WINE, TOOL], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, text=True, start_new_session=True)

    def command(self, text, timeout=60):
        self.process.stdin.write(text + "\n")
        self.process.stdin.flush()
        result = []
        reader = threading.Thread(target=lambda: result.append(self.process.stdout.readline()), daemon=True)
        reader.start()
        reader.join(timeout * SLOW)
        if not result:
            raise AssertionError("the window tool gave no answer to %r" % text)
        return result[0].rstrip("\r\n")

    def wait_for(self, text, answer_test, timeout=30):
        """Repeats the command until its answer passes answer_test; returns the last answer."""
        deadline = time.monotonic() + timeout * SLOW
        while True:
            answer = self.command(text)
            if answer_test(answer) or time.monotonic() > deadline:
                return answer
            time.sleep(0.2)

    def close(self):
        try:
            self.command("quit")
            self.process.wait(timeout=30)
        except (AssertionError, OSError, subprocess.TimeoutExpired):
            self.process.kill()
            self.process.wait()


class TranscoderWindowsTest(unittest.TestCase):

    def setUp(self):
        self.port = free_tcp_port()
        # The stand-ins serve nothing on the transcoder's port; the test holds a connection there itself, so that
        # the transcoder's idle check (every 25 s) sees someone watching and never stops a stream under its feet.
        watched = socket.create_server(("127.0.0.1", self.port + 1))
        self.addCleanup(watched.close)
        watcher = socket.create_connection(("127.0.0.1", self.port + 1))
        self.addCleanup(watcher.close)
        accepted, _ = watched.accept()
        self.addCleanup(accepted.close)
        self.proxy = Proxy(settings_text(port=self.port, transcoder="1", profile="mux=ts,vcodec=nonsense"))
        self.addCleanup(self.proxy.remove)
        for name in ("libvlc.dll", "libvlccore.dll"):
            shutil.copy(os.path.join(STAND_IN, name), self.proxy.folder)
        # What the stand-ins record, from whichever process loads them; wine sees this machine's root as Z:.
        self.record = os.path.join(self.proxy.folder, "calls.txt")
        os.environ["CORVANE_STAND_IN_RECORD"] = "Z:" + self.record
        self.tool = WindowTool()
        self.addCleanup(self.tool.close)
        # Whatever happens, the transcoder this test started does not outlive it.
        self.addCleanup(self.tool.command, "close " + TRANSCODER_CLASS)
        self.proxy.start("/user", "/cons")
        self.proxy.wait_listening(self.port)

    def recorded(self):
        try:
            with open(self.record, encoding="latin-1") as file:
                return file.read().splitlines()
        except FileNotFoundError:
            return []

    def test_hand_off_tuner_switch_and_close(self):
        # A program that cannot be started gives no window: the client gets the 400.
        hidden = self.proxy.exe + ".away"
        os.rename(self.proxy.exe, hidden)
        reply, location, messages = hand_off(self.proxy, self.port, "/udp/%s:%d" % (GROUP, GROUP_PORT))
        os.rename(hidden, self.proxy.exe)
        self.assertTrue(reply.startswith(b"HTTP/1.0 400 "), reply)
        self.assertIsNone(location)
        self.assertIn("] Transcoder not running, starting", messages)
        self.assertIn("] Error - transcoder not running, redirect not sent", messages)
        self.assertEqual(self.tool.command("text " + TRANSCODER_CLASS), "missing")

        # Now the program starts; its window comes up after a moment that wine may stretch beyond the proxy's
        # pause, in which case the client gets the 400 once more and the next request finds the window.
        reply, location, messages = hand_off(self.proxy, self.port, "/udp/%s:%d" % (GROUP, GROUP_PORT))
        self.assertIn("] Transcoder not running, starting", messages)
        if reply.startswith(b"HTTP/1.0 400 "):
            self.assertNotEqual(self.tool.wait_for("text " + TRANSCODER_CLASS, lambda a: a != "missing"), "missing")
            reply, location, messages = hand_off(self.proxy, self.port, "/udp/%s:%d" % (GROUP, GROUP_PORT))
            self.assertNotIn("] Transcoder not running, starting", messages)
        self.assertTrue(reply.startswith(b"HTTP/1.0 302 "), reply)
        self.assertEqual(location, "http://127.0.0.1:%d/" % (self.port + 1))
        self.assertIn("] Transcoder running", messages)
        self.assertIn("] Request for %s:%d sent to transcoder" % (GROUP, GROUP_PORT), messages)
        self.assertIn("] Redirect to transcoder at 127.0.0.1:%d sent" % (self.port + 1), messages)
        request = "%s;%d;%d;0.0.0.0;" % (GROUP, GROUP_PORT, self.port + 1)
        self.assertEqual(self.tool.command("text " + TRANSCODER_CLASS), "found " + request)

        # The set-text returned only after the transcoder had started the stream: the stand-in has the play.
        calls = self.recorded()
        # A libvlc from 2.0 on finds its plugins itself, and hands its messages to the transcoder's log.
        self.assertTrue(calls and calls[0].startswith("libvlc_new --config="), calls[:3])
        self.assertIn("libvlc_log_set i1", calls)
        sources = [i for i, call in enumerate(calls)
                   if call.startswith("libvlc_media_new_location ") and call.endswith(" udp://@%s:%d" % (GROUP,
                                                                                                      GROUP_PORT))]
        self.assertTrue(sources, calls)
        started = calls[sources[-1]:]
        sout = ":sout=#transcode{vcodec=nonsense}:duplicate{dst=std{access=http,dst=:%d,mux=ts}}" % (self.port + 1)
        self.assertTrue(any(call.startswith("libvlc_media_add_option ") and call.endswith(" " + sout)
                            for call in started), started)
        self.assertTrue(any(call.startswith("libvlc_media_player_play ") for call in started), started)
        # The stand-in refused the encoder, as libvlc does: the transcoder's log says so, on the status page too.
        reply = exchange(self.port, b"GET /status/transcoder HTTP/1.0\r\n\r\n")
        self.assertIn(b"TRANSCODER message : Profile refused by libvlc: cannot find video encoder (module:any "
                      b"fourcc:nons)", reply)

        # The same stream asked for again is left running: no new media, the field unchanged.
        calls_before = len(self.recorded())
        reply, _, _ = hand_off(self.proxy, self.port, "/udp/%s:%d" % (GROUP, GROUP_PORT))
        self.assertTrue(reply.startswith(b"HTTP/1.0 302 "), reply)
        self.assertFalse([call for call in self.recorded()[calls_before:] if call.startswith("libvlc_media_new")])

        # The tuner group: the viewer's window gets tens, then units.
        self.assertEqual(self.tool.command("viewer"), "ready")
        for channel, expected in ((7, "messages 1354 1361"), (42, "messages 1354 1361 1358 1356")):
            reply, _, messages = hand_off(self.proxy, self.port, "/udp/tv:%d" % channel)
            self.assertTrue(reply.startswith(b"HTTP/1.0 302 "), reply)
            self.assertIn("] Switch Fly2000TV to ch.%d" % channel, messages)
            self.assertEqual(self.tool.wait_for("messages", lambda a, e=expected: a == e), expected)
        self.assertEqual(self.tool.command("text " + TRANSCODER_CLASS),
                         "found tv;42;%d;0.0.0.0;" % (self.port + 1))
        self.assertIn("libvlc_media_new_location i1 dshow://", self.recorded())

        # The close: the transcoder stops the stream, releases libvlc and ends (the proxy's process stays), and the
        # configuration file that libvlc wrote at its shutdown is gone with it.
        self.assertEqual(self.tool.command("processes corvane.exe"), "processes 2")
        self.assertEqual(self.tool.command("close " + TRANSCODER_CLASS), "posted")
        self.assertEqual(self.tool.wait_for("processes corvane.exe", lambda a: a == "processes 1"), "processes 1")
        self.assertEqual(self.tool.command("text " + TRANSCODER_CLASS), "missing")
        calls = self.recorded()
        self.assertEqual(calls[-2:], ["libvlc_log_close l1", "libvlc_release i1"])
        self.assertFalse(os.path.exists(os.path.join(self.proxy.folder, "corvane.Vlc.ini")))

    def test_a_player_that_cannot_be_made_leaves_no_window(self):
        # A libvlc that lacks an entry: while its message waits for a click, no window takes requests for a
        # transcoder without a player, and the client gets the 400 at once.
        incomplete = os.path.join(os.path.dirname(STAND_IN), "stand-in-incomplete", "libvlc.dll")
        shutil.copy(incomplete, os.path.join(self.proxy.folder, "libvlc.dll"))
        reply, location, messages = hand_off(self.proxy, self.port, "/udp/%s:%d" % (GROUP, GROUP_PORT))
        self.assertTrue(reply.startswith(b"HTTP/1.0 400 "), reply)
        self.assertIsNone(location)
        self.assertIn("] Error - transcoder not running, redirect not sent", messages)
        self.assertEqual(self.tool.command("text " + TRANSCODER_CLASS), "missing")
        # Once the message (a dialog, where there is a desktop) is closed, the transcoder ends.
        deadline = time.monotonic() + 30 * SLOW
        while self.tool.command("processes corvane.exe") != "processes 1" and time.monotonic() < deadline:
            self.tool.command("close #32770")
            time.sleep(0.5)
        self.assertEqual(self.tool.command("processes corvane.exe"), "processes 1")


if __name__ == "__main__":
    unittest.main()
