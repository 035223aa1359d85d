"""A client that connects and then sends no request (or only part of one) does not keep its thread for ever:
the proxy closes it 30 seconds after it connected, however its bytes trickle in. Takes about 30 s, so it has
a file of its own and runs beside the others."""
import threading
import time
import unittest

from corvane_harness import Client, Proxy, free_tcp_port, require_program, settings_text


def setUpModule():
    require_program()


class HeadTimeoutTest(unittest.TestCase):
    def test_clients_without_a_whole_head_are_closed_after_30_seconds(self):
        port = free_tcp_port()
        proxy = Proxy(settings_text(port=port)).start("/user", "/cons")
        self.addCleanup(proxy.remove)
        proxy.wait_listening(port)

        with Client(port, timeout=60) as silent, Client(port, timeout=60) as partial, \
                Client(port, timeout=60) as trickle:
            partial.send(b"GET /status HTTP/1.0\r\nHost: 127.0.0.1\r\n")
            started = time.monotonic()
            index, _ = proxy.wait_message(r"^New thread handle is \d+$")
            for _ in range(2):
                index, _ = proxy.wait_message(r"^New thread handle is \d+$", start=index + 1)
            handles = [m.split()[-1] for m in proxy.messages() if m.startswith("New thread handle is ")]

            # One byte every 4 seconds up to 28 s, then silence: the last byte must not buy another 30 s.
            halt = threading.Event()

            def send_slowly():
                for byte in b"GET /sta":
                    if halt.is_set():
                        return
                    trickle.send(bytes([byte]))
                    halt.wait(4)

            sender = threading.Thread(target=send_slowly, daemon=True)
            sender.start()
            self.addCleanup(halt.set)

            # A proxy that answers or closes early fails here; one that never closes fails the time limit.
            self.assertEqual(silent.receive_until_closed(timeout=45), b"")
            self.assertEqual(partial.receive_until_closed(timeout=5), b"")
            self.assertEqual(trickle.receive_until_closed(timeout=5), b"")
            waited = time.monotonic() - started
            halt.set()
            sender.join()
        self.assertGreaterEqual(waited, 29.0)
        self.assertLess(waited, 40.0)
        for handle in handles:
            self.assertEqual(proxy.wait_connection_end(handle),
                             ["] Thread terminating, no data from socket", "] Connection closed, thread terminated"])
        # The proxy still serves.
        with Client(port) as client:
            client.send(b"GET /status HTTP/1.0\r\n\r\n")
            self.assertTrue(client.receive_until_closed().startswith(b"HTTP/1.0 200 OK \r\n"))


if __name__ == "__main__":
    unittest.main()
