"""The live transcoder on Linux with the system's libvlc: the proxy hands a request over, the client follows the
302 and receives the channel re-encoded (or only re-packed); a refused profile is said on /status/transcoder and on the
panel's transcoder line, and leaves the transcoder ready for the next request; a second viewer of the channel does not
cut off the first; the tuner, which Linux lacks, gets the 400; the idle check stops a stream nobody watches and the port
then refuses connections; "/transcoder /close" ends the transcoder, which leaves the configuration file as it found it;
libvlc writes nothing on the terminal of a run that did not ask for it."""
import json
import os
import shutil
import socket
import struct
import subprocess
import tempfile
import threading
import time
import unittest

from corvane_harness import (WINDOWS, Proxy, check_private_network, exchange, free_tcp_port, hand_off,
                             require_program, settings_text)

GROUP, GROUP_PORT = "239.255.61.1", 5061
SOURCE_WIDTH = 640
RE_ENCODING_PROFILE = "mux=ts,vcodec=mp2v,vb=2048,scale=0.5,acodec=mpga,ab=192,channels=2"
RUNTIME = None
SOURCE = None


def setUpModule():
    global RUNTIME
    if WINDOWS:
        raise unittest.SkipTest("the Linux stand-in of the transcoder window")
    require_program()
    check_private_network()
    for tool in ("ffmpeg", "ffprobe"):
        if shutil.which(tool) is None:
            raise unittest.SkipTest(tool + " is not installed")
    if not os.path.exists("/usr/lib/x86_64-linux-gnu/libvlc.so.5") and not os.path.exists("/usr/lib/libvlc.so.5"):
        raise unittest.SkipTest("libvlc is not installed")
    # The windows of this run live in a runtime folder of its own, apart from any other copy on the machine.
    RUNTIME = tempfile.mkdtemp(prefix="corvane-runtime-")
    os.environ["XDG_RUNTIME_DIR"] = RUNTIME
    global SOURCE
    SOURCE = subprocess.Popen(
        ["ffmpeg", "-nostdin", "-loglevel", "error", "-re",
         "-f", "lavfi", "-i", "testsrc=size=%dx360:rate=25" % SOURCE_WIDTH,
         "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000",
         "-c:v", "mpeg2video", "-b:v", "2M", "-c:a", "mp2", "-f", "mpegts",
         "udp://%s:%d?ttl=1&localaddr=127.0.0.1&pkt_size=1316" % (GROUP, GROUP_PORT)],
        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)


def tearDownModule():
    if SOURCE:
        SOURCE.kill()
        SOURCE.wait()
    if RUNTIME:
        shutil.rmtree(RUNTIME, ignore_errors=True)


def window_path(class_name):
    return os.path.join(RUNTIME, "corvane", class_name + ".window")


def window_exchange(class_name, command, payload=b""):
    """One request to a window's socket; the reply's payload, or None when nobody answers."""
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as sock:
        sock.settimeout(30)
        try:
            sock.connect(window_path(class_name))
        except OSError:
            return None
        sock.sendall(command + struct.pack("=I", len(payload)) + payload)
        head = b""
        while len(head) < 5:
            chunk = sock.recv(5 - len(head))
            if not chunk:
                return None
            head += chunk
        size = struct.unpack("=I", head[1:])[0]
        body = b""
        while len(body) < size:
            body += sock.recv(size - len(body))
        return body if head[:1] == b"K" else None


class ViewerStandIn(threading.Thread):
    """The outside TV viewer's window: class "TMain", title "BrevikFly2000TV", recording posted messages."""

    def __init__(self):
        super().__init__(daemon=True)
        os.makedirs(os.path.join(RUNTIME, "corvane"), mode=0o700, exist_ok=True)
        self.server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.server.bind(window_path("TMain"))
        self.server.listen(4)
        self.messages = []
        self.start()

    def run(self):
        while True:
            try:
                connection, _ = self.server.accept()
            except OSError:
                return
            with connection:
                head = connection.recv(5)
                payload = connection.recv(struct.unpack("=I", head[1:])[0]) if len(head) == 5 else b""
                reply = b""
                if head[:1] == b"T":
                    reply = b"BrevikFly2000TV"
                elif head[:1] == b"M":
                    self.messages.append(struct.unpack("=I", payload)[0])
                connection.sendall(b"K" + struct.pack("=I", len(reply)) + reply)

    def close(self):
        self.server.close()
        os.unlink(window_path("TMain"))


def transcoder_pids(exe):
    """The transcoder processes started from this test's own copy of the program."""
    pids = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open("/proc/%s/cmdline" % entry, "rb") as file:
                    words = file.read().split(b"\0")
            except OSError:
                continue
            if words[:2] == [exe.encode(), b"/transcoder"]:
                pids.append(int(entry))
    return pids


class TranscoderCase(unittest.TestCase):
    """A proxy of its own with transcoding on; the transcoder it starts is closed at the end."""
    PROFILE = ""
    CONFIG = None  # what the libvlc configuration file beside the program holds before the transcoder starts

    @classmethod
    def setUpClass(cls):
        cls.port = free_tcp_port()
        cls.proxy = Proxy(settings_text(port=cls.port, transcoder="1", profile=cls.PROFILE))
        if cls.CONFIG is not None:
            with open(cls.config_file(), "wb") as file:
                file.write(cls.CONFIG)
        cls.addClassCleanup(cls.end_programs)
        # The proxy's console carries its own lines only: the transcoder it starts has none of its own.
        cls.proxy.start("/user", "/cons")
        cls.proxy.wait_listening(cls.port)

    @classmethod
    def config_file(cls):
        return os.path.join(cls.proxy.folder, "corvane.Vlc.ini")

    @classmethod
    def end_programs(cls):
        window_exchange("CorvaneVlcWndClass", b"C")
        deadline = time.monotonic() + 10
        while transcoder_pids(cls.proxy.exe) and time.monotonic() < deadline:
            time.sleep(0.1)
        for pid in transcoder_pids(cls.proxy.exe):
            os.kill(pid, 9)
        cls.proxy.remove()

    def hand_off(self, path):
        return hand_off(self.proxy, self.port, path)

    def transcoder_status(self):
        """The transcoder's lines as "/status/transcoder" shows them."""
        reply = exchange(self.port, b"GET /status/transcoder HTTP/1.0\r\n\r\n")
        head, _, body = reply.partition(b"\r\n\r\n")
        self.assertTrue(head.startswith(b"HTTP/1.0 200 "), head)
        return body.decode("latin-1")

    def assert_quiet_terminal(self):
        """Nothing of libvlc's reached the terminal of the run (the transcoder inherits it)."""
        self.assertEqual(self.proxy.errors, b"")
        self.assertFalse([line for line in self.proxy.lines if "libvlc" in line or "TRANSCODER" in line],
                         self.proxy.describe())

    def receive_stream(self, port, seconds, ends=None):
        """What the transcoder's HTTP output sends in the given time, waiting for it to listen first; ends, when
        given, is told whether the server ended the stream before that time."""
        deadline = time.monotonic() + 15
        while True:
            try:
                sock = socket.create_connection(("127.0.0.1", port), timeout=5)
                break
            except OSError:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.2)
        data = b""
        with sock:
            sock.sendall(b"GET / HTTP/1.0\r\n\r\n")
            end = time.monotonic() + seconds
            while time.monotonic() < end:
                try:
                    chunk = sock.recv(65536)
                except socket.timeout:
                    continue
                if not chunk:
                    if ends is not None:
                        ends.append(time.monotonic() - (end - seconds))
                    break
                data += chunk
        return data

    def close_transcoder(self):
        """"/transcoder /close" from a prompt, as the panel's output advises."""
        closing = subprocess.run([self.proxy.exe, "/transcoder", "/close"], capture_output=True, timeout=60)
        self.assertEqual(closing.returncode, 0, closing)
        self.assertEqual(closing.stdout, b"Transcoder closed\r\n")
        # Its window is gone; the process itself may take a moment more to end.
        deadline = time.monotonic() + 15
        while transcoder_pids(self.proxy.exe) and time.monotonic() < deadline:
            time.sleep(0.1)
        pids = transcoder_pids(self.proxy.exe)
        self.assertEqual(pids, [], [open("/proc/%d/cmdline" % pid, "rb").read() for pid in pids])

    def probe(self, data):
        """The streams ffprobe finds in an HTTP reply's body, as (codec type, codec name, width)."""
        head, _, body = data.partition(b"\r\n\r\n")
        self.assertTrue(head.startswith(b"HTTP/1."), data[:200])
        self.assertGreater(len(body), 100000)
        with tempfile.NamedTemporaryFile(suffix=".ts") as capture:
            capture.write(body)
            capture.flush()
            probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "stream=codec_type,codec_name,width",
                                    "-of", "json", capture.name], capture_output=True, timeout=60)
        streams = json.loads(probe.stdout or b"{}").get("streams", [])
        return sorted((s.get("codec_type"), s.get("codec_name"), s.get("width")) for s in streams)


class TranscoderTest(TranscoderCase):
    PROFILE = "mux=ts,vcodec=nonsense"

    def test_a_refused_profile_then_a_stream_that_ffprobe_reads_then_the_close(self):
        # An encoder libvlc does not know: the hand-off still redirects, the refusal is said where the user looks.
        reply, location, messages = self.hand_off("/udp/%s:%d" % (GROUP, GROUP_PORT))
        self.assertTrue(reply.startswith(b"HTTP/1.0 302 "), reply)
        self.assertEqual(location, "http://127.0.0.1:%d/" % (self.port + 1))
        self.assertIn("] Transcoder not running, starting", messages)
        self.assertIn("] Transcoder running", messages)
        self.assertIn("] Request for %s:%d sent to transcoder" % (GROUP, GROUP_PORT), messages)
        self.assertIn("] Redirect to transcoder at 127.0.0.1:%d sent" % (self.port + 1), messages)
        self.assertEqual(len(transcoder_pids(self.proxy.exe)), 1)
        self.assertEqual(window_exchange("CorvaneVlcWndClass", b"G"),
                         b"%s;%d;%d;127.0.0.1;" % (GROUP.encode(), GROUP_PORT, self.port + 1))
        self.receive_stream(self.port + 1, 2)
        deadline = time.monotonic() + 15
        while "Profile refused by libvlc: " not in self.transcoder_status() and time.monotonic() < deadline:
            time.sleep(0.2)
        status = self.transcoder_status()
        self.assertIn("TRANSCODER message : Request %s;%d;%d;127.0.0.1;" % (GROUP, GROUP_PORT, self.port + 1), status)
        self.assertIn("TRANSCODER message : Profile refused by libvlc: cannot find video encoder", status)
        panel = subprocess.run([self.proxy.exe], capture_output=True, timeout=60, env=dict(os.environ, LANG="C"))
        self.assertIn("Кодируется поток udp://@%s:%d" % (GROUP, GROUP_PORT), panel.stdout.decode())
        self.assertIn(" - profile refused\r\n", panel.stdout.decode())
        self.assertIn("To stop the transcoder: corvane /transcoder /close\r\n", panel.stdout.decode())

        # The profile is read for every request: the next one replaces the stream with a working one.
        with open(self.proxy.settings_file, "wb") as file:
            file.write(settings_text(port=self.port, transcoder="1", profile=RE_ENCODING_PROFILE))
        reply, location, messages = self.hand_off("/udp/%s:%d" % (GROUP, GROUP_PORT))
        self.assertTrue(reply.startswith(b"HTTP/1.0 302 "), reply)
        self.assertNotIn("] Transcoder not running, starting", messages)
        self.assertEqual(self.probe(self.receive_stream(self.port + 1, 8)),
                         [("audio", "mp2", None), ("video", "mpeg2video", SOURCE_WIDTH // 2)])
        panel = subprocess.run([self.proxy.exe], capture_output=True, timeout=60, env=dict(os.environ, LANG="C"))
        self.assertNotIn("profile refused", panel.stdout.decode())

        # Linux has no tuner input: the 400, one line, and the transcoder is not handed anything.
        viewer = ViewerStandIn()
        self.addCleanup(viewer.close)
        reply, location, messages = self.hand_off("/udp/tv:42")
        self.assertTrue(reply.startswith(b"HTTP/1.0 400 "), reply)
        self.assertIsNone(location)
        self.assertIn("] Error - no TV tuner input on this system, request refused", messages)
        self.assertNotIn("] Transcoder running", messages)
        self.assertEqual(viewer.messages, [])

        # The close ends the process, and the configuration file libvlc was given does not stay behind.
        self.close_transcoder()
        self.assertFalse(os.path.exists(self.config_file()))
        self.assert_quiet_terminal()


class SecondViewerTest(TranscoderCase):
    """A second viewer of the channel being transcoded joins the stream the first one watches."""
    PROFILE = RE_ENCODING_PROFILE

    def test_the_first_viewer_plays_on_when_the_second_arrives(self):
        _, location, _ = self.hand_off("/udp/%s:%d" % (GROUP, GROUP_PORT))
        self.assertEqual(location, "http://127.0.0.1:%d/" % (self.port + 1))
        first, ends = {}, []
        reader = threading.Thread(target=lambda: first.update(data=self.receive_stream(self.port + 1, 20, ends)))
        reader.start()
        time.sleep(10)
        before = self.transcoder_status()
        reply, location, _ = self.hand_off("/udp/%s:%d" % (GROUP, GROUP_PORT))
        self.assertTrue(reply.startswith(b"HTTP/1.0 302 "), reply)
        second = self.receive_stream(self.port + 1, 8)
        reader.join()
        # The first viewer's stream ran the whole 20 s: a restart would have ended it when the second one came.
        self.assertEqual(ends, [])
        self.assertEqual(self.probe(first["data"]),
                         [("audio", "mp2", None), ("video", "mpeg2video", SOURCE_WIDTH // 2)])
        self.assertEqual(self.probe(second), [("audio", "mp2", None), ("video", "mpeg2video", SOURCE_WIDTH // 2)])
        since = self.transcoder_status()[len(before):]
        self.assertIn("Same stream asked for again, left running: ", since)
        self.assertNotIn("TRANSCODER message : Request ", since)
        self.close_transcoder()
        self.assert_quiet_terminal()


class PassThroughTest(TranscoderCase):
    """The profile "mux=ts" only re-packs the channel; a configuration file of the user's survives the transcoder."""
    PROFILE = "mux=ts"
    CONFIG = b"# the user's own libvlc settings\nvolume-step=12\n"

    def test_the_channel_unchanged_then_the_idle_check_then_the_close(self):
        _, location, _ = self.hand_off("/udp/%s:%d" % (GROUP, GROUP_PORT))
        self.assertEqual(location, "http://127.0.0.1:%d/" % (self.port + 1))
        self.assertEqual(self.probe(self.receive_stream(self.port + 1, 6)),
                         [("audio", "mp2", None), ("video", "mpeg2video", SOURCE_WIDTH)])

        # Nobody watches any more: within two idle checks the stream stops and the request field is emptied.
        deadline = time.monotonic() + 60
        while window_exchange("CorvaneVlcWndClass", b"G") != b"" and time.monotonic() < deadline:
            time.sleep(0.5)
        self.assertEqual(window_exchange("CorvaneVlcWndClass", b"G"), b"")
        self.assertIn("Nobody watches port %d, stream stopped" % (self.port + 1), self.transcoder_status())
        # The stopped stream leaves nothing listening on its port.
        with self.assertRaises(ConnectionRefusedError):
            socket.create_connection(("127.0.0.1", self.port + 1), timeout=5).close()

        self.close_transcoder()
        with open(self.config_file(), "rb") as file:
            self.assertEqual(file.read(), self.CONFIG)


if __name__ == "__main__":
    unittest.main()
