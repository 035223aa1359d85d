#!/usr/bin/env python3
"""The live transcoder's speed on Linux: time from a player's request to the first transcoded byte, and the
transcoder's CPU per minute of video, for a re-encoding profile and for the re-packing profile "mux=ts".

    sudo bench/transcoder.py [--corvane PATH] [--seconds S] [--port P]

The script runs in a network namespace of its own whose only interface is lo (it re-executes itself under
`unshare --net`). ffmpeg sends a real MPEG-TS channel (640x360 MPEG-2 video at 25 frames/s and 2 Mbit/s, MPEG
audio) in real time to a multicast group on lo; a copy of the program runs in a folder of its own with transcoding
on, and for each profile:

- first byte, cold: the player's request reaches a proxy whose transcoder is not running yet; the time from
  sending the request to the proxy to the first body byte from the transcoder's port, the 302 followed at once
  (and the transcoder's port tried until it listens);
- first byte, warm: the same while the transcoder runs already (it switches from the previous stream);
- CPU per minute of video: user + system CPU time of the transcoder process while one player receives the stream
  for --seconds (the source runs in real time, so that is as many seconds of video), scaled to 60 s.

The transcoder is closed and the program ended between profiles. A measurement, not a test: nothing passes or
fails. Needs ffmpeg and Debian's libvlc (libvlc5, vlc-plugin-base).
"""
import argparse
import os
import shutil
import socket
import struct
import subprocess
import tempfile
import time

from private_network import enter_private_network, prepare_loopback

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
GROUP, GROUP_PORT = "239.255.62.1", 5062
PROFILES = ("mux=ts,vcodec=mp2v,vb=2048,scale=0.5,acodec=mpga,ab=192,channels=2", "mux=ts")
TICKS = os.sysconf("SC_CLK_TCK")


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--corvane", default=os.path.join(ROOT, "build", "linux", "src", "corvane"))
    parser.add_argument("--seconds", type=float, default=60.0, help="seconds of video per CPU figure (60)")
    parser.add_argument("--port", type=int, default=7792, help="HTTP port of the program (7792)")
    arguments = parser.parse_args()
    arguments.corvane = os.path.abspath(arguments.corvane)
    return arguments


def start_source():
    return subprocess.Popen(
        ["ffmpeg", "-nostdin", "-loglevel", "error", "-re",
         "-f", "lavfi", "-i", "testsrc=size=640x360:rate=25", "-f", "lavfi", "-i", "sine=frequency=440",
         "-c:v", "mpeg2video", "-b:v", "2M", "-c:a", "mp2", "-f", "mpegts",
         "udp://%s:%d?ttl=1&localaddr=127.0.0.1&pkt_size=1316" % (GROUP, GROUP_PORT)],
        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)


def transcoder_pid(exe):
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open("/proc/%s/cmdline" % entry, "rb") as file:
                    if file.read().split(b"\0")[:2] == [exe.encode(), b"/transcoder"]:
                        return int(entry)
            except OSError:
                pass
    return None


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as file:
        fields = file.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def close_transcoder(runtime):
    """Posts the close to the transcoder's window (its socket stand-in)."""
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as sock:
        sock.settimeout(10)
        try:
            sock.connect(os.path.join(runtime, "corvane", "CorvaneVlcWndClass.window"))
            sock.sendall(b"C" + struct.pack("=I", 0))
            sock.recv(16)
        except OSError:
            pass


def request_stream(port):
    """Asks the proxy for the channel, follows the redirect; returns the open stream socket and the seconds from
    the request to its first body byte."""
    start = time.monotonic()
    with socket.create_connection(("127.0.0.1", port), timeout=30) as proxy:
        proxy.sendall(b"GET /udp/%s:%d HTTP/1.0\r\nHost: 127.0.0.1:%d\r\n\r\n" % (GROUP.encode(), GROUP_PORT, port))
        reply = b""
        while b"\r\n\r\n" not in reply:
            chunk = proxy.recv(4096)
            if not chunk:
                break
            reply += chunk
    if not reply.startswith(b"HTTP/1.0 302 "):
        raise SystemExit("transcoder: no redirect: %r" % reply[:200])
    while True:
        try:
            stream = socket.create_connection(("127.0.0.1", port + 1), timeout=30)
            break
        except OSError:
            if time.monotonic() - start > 30:
                raise
            time.sleep(0.01)
    stream.sendall(b"GET / HTTP/1.0\r\n\r\n")
    data = b""
    while True:
        chunk = stream.recv(65536)
        if not chunk:
            raise SystemExit("transcoder: the stream ended before its first byte")
        data += chunk
        _, separator, body = data.partition(b"\r\n\r\n")
        if separator and body:
            return stream, time.monotonic() - start


def measure(arguments, profile, runtime):
    folder = tempfile.mkdtemp(prefix="corvane-transcoder-bench-")
    exe = os.path.join(folder, "corvane")
    shutil.copy2(arguments.corvane, exe)
    with open(os.path.join(folder, "corvane.ini"), "wb") as settings:
        settings.write(("127.0.0.1\r\n127.0.0.1\r\n%d\r\n1\r\n%s\r\n" % (arguments.port, profile)).encode())
    program = subprocess.Popen([exe, "/user"], cwd=folder, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, env=dict(os.environ, XDG_RUNTIME_DIR=runtime))
    try:
        time.sleep(1)
        stream, cold = request_stream(arguments.port)
        stream.close()
        time.sleep(2)
        stream, warm = request_stream(arguments.port)
        pid = transcoder_pid(exe)
        used = cpu_seconds(pid)
        end = time.monotonic() + arguments.seconds
        received = 0
        stream.settimeout(5)
        while time.monotonic() < end:
            received += len(stream.recv(65536))
        used = cpu_seconds(pid) - used
        stream.close()
        close_transcoder(runtime)
        return cold, warm, used * 60.0 / arguments.seconds, received * 8 / arguments.seconds / 1e6
    finally:
        time.sleep(1)
        pid = transcoder_pid(exe)
        if pid:
            os.kill(pid, 9)
        program.kill()
        program.wait()
        shutil.rmtree(folder, ignore_errors=True)


def main():
    arguments = parse_arguments()
    enter_private_network("transcoder")
    prepare_loopback("transcoder")
    runtime = tempfile.mkdtemp(prefix="corvane-bench-runtime-")
    source = start_source()
    try:
        print("%-70s %9s %9s %14s %9s" % ("profile", "cold ms", "warm ms", "CPU s/min", "Mbit/s"))
        for profile in PROFILES:
            cold, warm, cpu, rate = measure(arguments, profile, runtime)
            print("%-70s %9.0f %9.0f %14.1f %9.2f" % (profile, cold * 1000, warm * 1000, cpu, rate), flush=True)
        with open("/proc/loadavg") as file:
            print("load average at the end: " + file.read().split()[0])
    finally:
        source.kill()
        source.wait()
        shutil.rmtree(runtime, ignore_errors=True)


if __name__ == "__main__":
    main()
