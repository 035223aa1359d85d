"""Pieces shared by the service tests of both builds."""
import subprocess
import tempfile
import time

from corvane_harness import SLOW, STREAM_HEADER, Client, StreamCheck, exchange


def run_to_end(command, cwd, timeout=120.0):
    """Runs the command to its end; its output is collected in files, not pipes: under wine the session's desktop
    process may be started by this program and keep its standard handles open long after it ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as errors:
        process = subprocess.run(command, cwd=cwd, stdin=subprocess.DEVNULL, stdout=out, stderr=errors,
                                 timeout=timeout * SLOW)
        out.seek(0)
        errors.seek(0)
        return subprocess.CompletedProcess(command, process.returncode, out.read(), errors.read())


def wait_answering(port, timeout=10.0):
    """Waits until the proxy answers a status request; returns the reply. A service reports running when the
    proxy starts, a moment before its listener is up."""
    deadline = time.monotonic() + timeout * SLOW
    while True:
        try:
            return exchange(port, b"GET /status HTTP/1.0\r\n\r\n")
        except OSError:
            if time.monotonic() > deadline:
                raise
            time.sleep(0.05)


def open_stream(test, port, sender):
    """A client streaming the sender's group through the proxy, checked past its first 20 datagrams."""
    client = Client(port)
    test.addCleanup(client.close)
    group, group_port = sender.target
    client.send(b"GET /udp/%s:%d HTTP/1.0\r\n\r\n" % (group.encode("ascii"), group_port))
    test.assertEqual(client.receive_exactly(len(STREAM_HEADER)), STREAM_HEADER)
    return StreamCheck(client, sender.tag).read_until(sender.next_sequence + 20)


def held_request(test, port):
    """While the service is paused: a new connection is accepted by the system but not served."""
    client = Client(port)
    test.addCleanup(client.close)
    client.send(b"GET /status HTTP/1.0\r\n\r\n")
    test.assertIsNone(client.receive_some(timeout=2), "a new connection was served while paused")
    return client


def assert_served_after_continue(test, client, port):
    reply = client.receive_until_closed()
    test.assertTrue(reply.startswith(b"HTTP/1.0 200 OK \r\n"), reply[:100])
    test.assertIn(b"PROXY message : Start listening at 0.0.0.0:%d (MultiCast at " % port, reply)
