"""Shared pieces of the end-to-end tests: the real program in a folder of its own, a raw HTTP client and a
multicast source.

Environment (set by CTest): CORVANE_EXE, the built program; CORVANE_WINDOWS, 1 for the Windows build;
CORVANE_WINE, the wine loader that runs it; CORVANE_EMULATOR, the emulator of a Linux build for another
processor. Everything runs only inside the network namespace that
run_in_netns.py makes. By hand, as root:

    cd build/<dir> && ctest -R e2e -j2 --output-on-failure
    cd tests/e2e && CORVANE_EXE=/path/to/corvane python3 run_in_netns.py python3 -m unittest -v test_stream
"""
import atexit
import os
import pty
import re
import shutil
import signal
import socket
import struct
import subprocess
import tempfile
import threading
import time
import tty
import unittest

EXE = os.environ.get("CORVANE_EXE", "")
WINDOWS = os.environ.get("CORVANE_WINDOWS", "0").upper() in ("1", "ON", "TRUE", "YES")
WINE = os.environ.get("CORVANE_WINE", "") or "/usr/lib/wine/wine64"
# A Linux build for another processor runs under its emulator (qemu-user), named by CORVANE_EMULATOR.
EMULATOR = os.environ.get("CORVANE_EMULATOR", "")

SIGNATURE = "corvane/2.7.4.0"
# Every program start, and every wait that includes one, takes longer under wine or an emulator.
SLOW = 3.0 if WINDOWS or EMULATOR else 1.0
# Under wine a join on 127.0.0.1 would land on the host's default interface; inside the namespace the
# any-interface address routes the join to lo.
MULTICAST_INTERFACE = "0.0.0.0" if WINDOWS else "127.0.0.1"

# DATE TIME PROXY message : ...; the date and time follow the user's locale (C locale natively,
# en-US under wine: "12/7/2026 8:14:56 AM").
LOG_LINE = re.compile(r"^\d{1,4}[./-]\d{1,2}[./-]\d{1,4} \d{1,2}:\d{2}(:\d{2})?( ?[AaPp]\.?[Mm]\.?)? "
                      r"PROXY message : (?P<message>.*)$")

STREAM_HEADER = ("HTTP/1.0 200 OK \r\n"
                 "Pragma: no-cache\r\n"
                 "Cache-control: no-cache\r\n"
                 "Accept-Ranges: none\r\n"
                 "Connection: close\r\n"
                 "Content-Type: video/mpeg\r\n"
                 "EXT:\r\n"
                 "ContentFeatures.dlna.org: DLNA.ORG_PN=MPEG_TS_SD_EU_ISO;DLNA.ORG_OP=00;DLNA.ORG_CI=0;"
                 "DLNA.ORG_FLAGS=61F00000000000000000000000000000\r\n"
                 "TransferMode.dlna.org: Streaming\r\n"
                 "Server: " + SIGNATURE + "\r\n"
                 "\r\n").encode("ascii")
REPLY_400 = b"HTTP/1.0 400 Bad Request\r\n\r\n"
REPLY_404 = ("HTTP/1.0 404 Not Found\r\nContent-type: text/plain\r\nServer: " + SIGNATURE + "\r\n\r\n").encode("ascii")


def require_program():
    """For setUpModule: skips the module when no program was handed over, or when it would run outside the
    private network namespace (where it would listen on every interface of the machine)."""
    if not EXE or not os.path.isfile(EXE):
        raise unittest.SkipTest("CORVANE_EXE does not name the built program")
    check_private_network()


def free_tcp_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def settings_text(multicast=MULTICAST_INTERFACE, http="0.0.0.0", port=7781, transcoder="0", profile=""):
    return "".join(str(value) + "\r\n" for value in (multicast, http, port, transcoder, profile)).encode("latin-1")


_started = []


@atexit.register
def _end_forgotten_programs():
    # Whatever way the test process ends, no program it started outlives it.
    for proxy in _started:
        proxy.stop()


class Proxy:
    """The real program, copied into a temporary folder of its own with its own settings file."""

    def __init__(self, settings=None, folder=None):
        self.folder = folder or tempfile.mkdtemp(prefix="corvane-e2e-")
        os.chmod(self.folder, 0o755)
        self.exe = os.path.join(self.folder, "corvane.exe" if WINDOWS else "corvane")
        if not os.path.exists(self.exe):
            shutil.copy2(EXE, self.exe)
        self.settings_file = os.path.join(self.folder, "corvane.ini")
        self.html_folder = os.path.join(self.folder, "corvane.Html")
        if settings is not None:
            with open(self.settings_file, "wb") as file:
                file.write(settings)
        self.process = None
        self.output = b""
        self.errors = b""
        self.lines = []
        self.broken_line_ends = []
        self._changed = threading.Condition()
        self._readers = []

    # Program life ----------------------------------------------------------------------------------------

    def start(self, *arguments, pty_output=False):
        command = ([WINE] if WINDOWS else [EMULATOR] if EMULATOR else []) + [self.exe] + list(arguments)
        self.output, self.errors, self.lines, self.broken_line_ends = b"", b"", [], []
        if pty_output:
            master, slave = pty.openpty()
            tty.setraw(slave)
            self.process = subprocess.Popen(command, cwd=self.folder, stdin=subprocess.DEVNULL, stdout=slave,
                                            stderr=subprocess.PIPE, start_new_session=True)
            os.close(slave)
            out_fd = master
            close_output = lambda: os.close(master)
        else:
            self.process = subprocess.Popen(command, cwd=self.folder, stdin=subprocess.DEVNULL,
                                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True)
            out_fd = self.process.stdout.fileno()
            close_output = self.process.stdout.close
        _started.append(self)
        # Each reader closes its end when the program's side is gone; nobody closes it under a reader.
        self._readers = [threading.Thread(target=self._read_output, args=(out_fd, close_output), daemon=True),
                         threading.Thread(target=self._read_errors,
                                          args=(self.process.stderr.fileno(), self.process.stderr.close),
                                          daemon=True)]
        for reader in self._readers:
            reader.start()
        return self

    def _read_output(self, fd, close):
        pending = b""
        while True:
            try:
                chunk = os.read(fd, 65536)
            except OSError:  # a pty whose other side has gone reads as EIO
                chunk = b""
            with self._changed:
                if not chunk:
                    close()
                    self._changed.notify_all()
                    return
                self.output += chunk
                pending += chunk
                *complete, pending = pending.split(b"\n")
                for line in complete:
                    if line.endswith(b"\r"):
                        line = line[:-1]
                    else:
                        self.broken_line_ends.append(line)
                    self.lines.append(line.decode("latin-1"))
                self._changed.notify_all()

    def _read_errors(self, fd, close):
        while True:
            try:
                chunk = os.read(fd, 65536)
            except OSError:
                chunk = b""
            if not chunk:
                close()
                return
            with self._changed:
                self.errors += chunk

    def running(self):
        return self.process is not None and self.process.poll() is None

    def wait_exit(self, timeout):
        """The exit code, or None when the program still runs after timeout seconds."""
        try:
            code = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
        # Whatever it wrote before it ended is in the pipe already.
        deadline = time.monotonic() + 1.0
        while self._readers[0].is_alive() and time.monotonic() < deadline:
            self._readers[0].join(0.05)
        return code

    def stop(self):
        """Ends the program by its process id. Under wine that process is the Windows process itself;
        whatever wine started for it goes with the session's `wineserver -k`."""
        if self.process is None:
            return
        if self.process.poll() is None:
            try:
                os.kill(self.process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            pass

    def remove(self):
        self.stop()
        shutil.rmtree(self.folder, ignore_errors=True)

    # Log ---------------------------------------------------------------------------------------------------

    def messages(self):
        """The text after "PROXY message : " of every line so far (lines that do not match are skipped)."""
        with self._changed:
            lines = list(self.lines)
        result = []
        for line in lines:
            match = LOG_LINE.match(line)
            if match:
                result.append(match.group("message"))
        return result

    def describe(self):
        with self._changed:
            return ("program output:\n" + self.output.decode("latin-1") +
                    ("\nprogram errors:\n" + self.errors.decode("latin-1") if self.errors else ""))

    def wait_message(self, pattern, timeout=10.0, start=0):
        """Waits for a log message (the text after "PROXY message : ") matching the regular expression
        pattern, at or after message number start; returns (index, match)."""
        regex = re.compile(pattern)
        deadline = time.monotonic() + timeout * SLOW
        while True:
            for index, message in enumerate(self.messages()):
                if index < start:
                    continue
                match = regex.search(message)
                if match:
                    return index, match
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise AssertionError("no log message matching %r within %.0f s\n%s"
                                     % (pattern, timeout * SLOW, self.describe()))
            with self._changed:
                self._changed.wait(min(remaining, 0.2))

    def wait_listening(self, port, timeout=10.0):
        self.wait_message(r"^Start listening at .*:%d \(MultiCast at " % port, timeout)

    def connection_messages(self, handle, start=0):
        """Messages of one connection ("[handle, address" prefix stripped), from message number start on,
        up to and including its "] Connection closed, thread terminated" (thread handles may be reused)."""
        prefix = "[%s, " % handle
        result = []
        for message in self.messages()[start:]:
            if message.startswith(prefix):
                text = message[len(prefix):]
                text = text[text.index("]"):] if "]" in text else text
                result.append(text)
                if text == "] Connection closed, thread terminated":
                    break
        return result

    def wait_connection_end(self, handle, start=0, timeout=10.0):
        """Waits until the connection's last line is logged; returns its messages."""
        pattern = r"^\[%s, [0-9.]*\] Connection closed, thread terminated$" % re.escape(str(handle))
        self.wait_message(pattern, timeout, start)
        return self.connection_messages(handle, start)

    def wait_request(self, request_line, timeout=10.0, start=0):
        """Waits for the "] Request: " line of a request; returns (message index, thread handle)."""
        shown = request_line.replace("\r", " ").replace("\n", " ")
        index, match = self.wait_message(r"^\[(\d+), 127\.0\.0\.1\] Request: %s$" % re.escape(shown), timeout, start)
        return index, match.group(1)

    def resident_kilobytes(self):
        """VmRSS of the program's process (under wine the Windows process itself), or None."""
        try:
            with open("/proc/%d/status" % self.process.pid) as status:
                for line in status:
                    if line.startswith("VmRSS:"):
                        return int(line.split()[1])
        except OSError:
            return None
        return None


# HTTP ------------------------------------------------------------------------------------------------------

class Client:
    """A raw TCP client on 127.0.0.1: exact bytes out, exact bytes back."""

    def __init__(self, port, receive_buffer=None, timeout=10.0):
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        if receive_buffer is not None:
            # Before connect, so that the window offered to the server stays small.
            self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, receive_buffer)
        self.sock.settimeout(timeout * SLOW)
        try:
            self.sock.connect(("127.0.0.1", port))
        except OSError:
            self.sock.close()
            raise
        self.pending = b""

    def send(self, data):
        self.sock.sendall(data)
        return self

    def receive_exactly(self, count, timeout=10.0):
        deadline = time.monotonic() + timeout * SLOW
        while len(self.pending) < count:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise AssertionError("only %d of %d bytes within %.0f s: %r"
                                     % (len(self.pending), count, timeout * SLOW, self.pending[:200]))
            self.sock.settimeout(remaining)
            chunk = self.sock.recv(65536)
            if not chunk:
                raise AssertionError("connection closed after %d of %d bytes: %r"
                                     % (len(self.pending), count, self.pending[:200]))
            self.pending += chunk
        data, self.pending = self.pending[:count], self.pending[count:]
        return data

    def receive_some(self, timeout=10.0):
        """Whatever arrives next (b"" when the server closed), or None when nothing came in time."""
        if self.pending:
            data, self.pending = self.pending, b""
            return data
        self.sock.settimeout(timeout * SLOW)
        try:
            return self.sock.recv(65536)
        except socket.timeout:
            return None
        except ConnectionResetError:
            return b""

    def receive_until_closed(self, timeout=10.0, limit=1 << 30):
        deadline = time.monotonic() + timeout * SLOW
        data, self.pending = self.pending, b""
        while True:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise AssertionError("connection still open after %.0f s; got %r" % (timeout * SLOW, data[:300]))
            self.sock.settimeout(remaining)
            try:
                chunk = self.sock.recv(65536)
            except ConnectionResetError:
                return data
            if not chunk:
                return data
            data += chunk
            if len(data) > limit:
                raise AssertionError("more than %d bytes" % limit)

    def close(self):
        self.sock.close()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()


def exchange(port, request, timeout=10.0):
    """Sends request, returns every byte of the reply up to the server's close."""
    with Client(port, timeout=timeout) as client:
        client.send(request)
        return client.receive_until_closed(timeout)


def hand_off(proxy, port, path, timeout=30.0):
    """Asks the proxy on port for path with a Host header, as a player does when the transcoder serves it; returns
    the reply, its redirect location (None without one) and the connection's log lines without their
    "[handle, address" prefix."""
    start = len(proxy.messages())
    with Client(port, timeout=timeout * SLOW) as client:
        client.send(b"GET %s HTTP/1.0\r\nHost: 127.0.0.1:%d\r\n\r\n" % (path.encode(), port))
        reply = client.receive_until_closed(timeout=timeout * SLOW)
    proxy.wait_message(r"\] Connection closed, thread terminated$", timeout=30, start=start)
    location = None
    for line in reply.split(b"\r\n"):
        if line.startswith(b"Location: "):
            location = line[len(b"Location: "):].decode()
    messages = ["]" + m.split("]", 1)[1] for m in proxy.messages()[start:] if m.startswith("[")]
    return reply, location, messages


def split_head(reply):
    head, _, body = reply.partition(b"\r\n\r\n")
    return head + b"\r\n\r\n", body


# Multicast -------------------------------------------------------------------------------------------------

TS_PACKET = 188
PACKETS_PER_DATAGRAM = 7
DATAGRAM = TS_PACKET * PACKETS_PER_DATAGRAM


_FILLER = bytes(range(256)) * 2


def datagram(tag, sequence):
    """1316 bytes: seven transport stream packets (sync byte 0x47) carrying the source's tag and the
    datagram's sequence number, so that a receiver can tell what it got and in which order."""
    packets = []
    for index in range(PACKETS_PER_DATAGRAM):
        head = struct.pack(">BHB4sHIB", 0x47, 0x0100 | (tag & 0xFF), 0x10 | ((sequence * 7 + index) & 0x0F),
                           b"CORV", tag, sequence, index)
        offset = (tag * 31 + sequence + index) & 0xFF
        filler = _FILLER[offset:offset + TS_PACKET - len(head)]
        packets.append(head + filler)
    return b"".join(packets)


def parse_datagram(data):
    """(tag, sequence) of a datagram made by datagram(), or None when the bytes are anything else."""
    if len(data) != DATAGRAM or data[0] != 0x47 or data[4:8] != b"CORV":
        return None
    tag, sequence = struct.unpack(">HI", data[8:14])
    return (tag, sequence) if datagram(tag, sequence) == data else None


_namespace_checked = False


def check_private_network():
    """Multicast goes out only inside the namespace of run_in_netns.py, with multicast routed to lo."""
    global _namespace_checked
    if _namespace_checked:
        return
    outer = os.environ.get("CORVANE_E2E_NETNS", "")
    here = os.readlink("/proc/self/ns/net")
    try:
        first = os.readlink("/proc/1/ns/net")
    except OSError:
        first = None
    if not outer or here == outer or here == first:
        raise unittest.SkipTest("multicast is only sent inside the network namespace of run_in_netns.py")
    route = subprocess.run(["ip", "route", "get", "239.255.0.1"], capture_output=True, text=True).stdout
    if " dev lo " not in route + " ":
        raise unittest.SkipTest("multicast is not routed to lo here: " + route)
    _namespace_checked = True


class MulticastSender(threading.Thread):
    """Sends numbered datagrams of datagram() to group:port at a steady rate (datagrams per second), from
    source (an address of lo) when one is given."""

    def __init__(self, group, port, tag, rate=200.0, source=None):
        super().__init__(daemon=True)
        check_private_network()
        first = int(group.split(".")[0])
        if not 224 <= first <= 239:
            raise ValueError("not a multicast group: " + group)
        self.target = (group, port)
        self.tag = tag
        self.rate = rate
        self.next_sequence = 0
        self._halt = threading.Event()
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM, socket.IPPROTO_UDP)
        self.sock.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF, socket.inet_aton("127.0.0.1"))
        self.sock.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_TTL, 1)
        self.sock.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_LOOP, 1)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 1 << 20)
        if source:
            self.sock.bind((source, 0))

    def run(self):
        started = time.monotonic()
        while not self._halt.is_set():
            due = started + self.next_sequence / self.rate
            wait = due - time.monotonic()
            if wait > 0.002:
                self._halt.wait(wait)
                continue
            try:
                self.sock.sendto(datagram(self.tag, self.next_sequence), self.target)
            except OSError:
                pass  # a full send queue on lo: the datagram is lost as a real network would lose it
            self.next_sequence += 1

    def wait_sent(self, sequence, timeout=10.0):
        """Waits until datagrams 0 to sequence - 1 have been sent."""
        deadline = time.monotonic() + timeout
        while self.next_sequence < sequence:
            if time.monotonic() > deadline:
                raise AssertionError("the sender is stuck at %d" % self.next_sequence)
            time.sleep(0.01)

    def stop(self):
        self._halt.set()
        if self.is_alive():
            self.join(5)
        self.sock.close()

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *_):
        self.stop()


class StreamCheck:
    """Reads the body of a stream reply and checks it datagram by datagram: only this source's datagrams,
    whole, each one once, none missing, in order."""

    def __init__(self, client, tag):
        self.client = client
        self.tag = tag
        self.first = None
        self.last = None
        self.count = 0
        self.buffer = b""
        self.foreign = 0
        self.problems = []

    def _take(self, data):
        self.buffer += data
        while len(self.buffer) >= DATAGRAM:
            piece, self.buffer = self.buffer[:DATAGRAM], self.buffer[DATAGRAM:]
            parsed = parse_datagram(piece)
            if parsed is None:
                self.problems.append("bytes that are no whole datagram after datagram %s: %r"
                                     % (self.last, piece[:32]))
                continue
            tag, sequence = parsed
            if tag != self.tag:
                self.foreign += 1
                self.problems.append("datagram %d of source %d in the stream of source %d" % (sequence, tag, self.tag))
                continue
            if self.last is not None and sequence != self.last + 1:
                self.problems.append("datagram %d after %d" % (sequence, self.last))
            if self.first is None:
                self.first = sequence
            self.last = sequence
            self.count += 1

    def read_until(self, sequence, timeout=10.0):
        """Reads until datagram number sequence has arrived (or a problem shows)."""
        deadline = time.monotonic() + timeout * SLOW
        while (self.last is None or self.last < sequence) and not self.problems:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise AssertionError("datagram %d not there within %.0f s (last %s)"
                                     % (sequence, timeout * SLOW, self.last))
            data = self.client.receive_some(remaining / SLOW)
            if data is None:
                continue
            if not data:
                raise AssertionError("the stream ended after datagram %s" % self.last)
            self._take(data)
        return self

    def read_for(self, seconds):
        """Reads whatever comes for a while (for streams that must stay empty or foreign-free)."""
        deadline = time.monotonic() + seconds
        while True:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                return self
            data = self.client.receive_some(min(remaining, 0.5) / SLOW)
            if data == b"":
                return self
            if data:
                self._take(data)


def joined_groups():
    """The multicast groups joined on lo in this namespace (from /proc/net/igmp), as dotted text."""
    groups = set()
    device = None
    try:
        with open("/proc/net/igmp") as igmp:
            for line in igmp.read().splitlines()[1:]:
                if not line.startswith("\t"):
                    device = line.split()[1] if len(line.split()) > 1 else None
                    continue
                fields = line.split()
                if device == "lo" and fields:
                    groups.add(socket.inet_ntoa(struct.pack("<I", int(fields[0], 16))))
    except OSError:
        pass
    return groups


class SharedProxyTestCase(unittest.TestCase):
    """One proxy in console mode with the default settings on a port of its own for the whole class."""

    @classmethod
    def setUpClass(cls):
        cls.port = free_tcp_port()
        cls.proxy = Proxy(settings_text(port=cls.port)).start("/user", "/cons")
        cls.proxy.wait_listening(cls.port)

    @classmethod
    def tearDownClass(cls):
        cls.proxy.remove()


class ProgramTestCase(unittest.TestCase):
    """Each test's programs, every one in a folder of its own, ended and removed after the test."""

    def setUp(self):
        self.proxies = []

    def tearDown(self):
        for proxy in self.proxies:
            proxy.remove()

    def proxy(self, settings=None, folder=None):
        proxy = Proxy(settings, folder)
        self.proxies.append(proxy)
        return proxy

