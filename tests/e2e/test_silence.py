"""A group that never sends: the client gets the stream header and nothing else, and after 50 s of silence the
proxy ends the stream. Takes 50 s, so it has a file of its own and runs beside the others."""
import time
import unittest

from corvane_harness import (STREAM_HEADER, Client, Proxy, check_private_network, free_tcp_port, joined_groups,
                             require_program, settings_text)


def setUpModule():
    require_program()
    check_private_network()


class SilenceTest(unittest.TestCase):
    def test_silent_group_ends_the_stream_after_50_seconds(self):
        port = free_tcp_port()
        proxy = Proxy(settings_text(port=port)).start("/user", "/cons")
        self.addCleanup(proxy.remove)
        proxy.wait_listening(port)

        with Client(port, timeout=140) as client:
            client.send(b"GET /udp/239.255.20.1:5020 HTTP/1.0\r\n\r\n")
            self.assertEqual(client.receive_exactly(len(STREAM_HEADER)), STREAM_HEADER)
            started = time.monotonic()
            index, handle = proxy.wait_request("GET /udp/239.255.20.1:5020 HTTP/1.0\r")
            self.assertIn("239.255.20.1", joined_groups())
            self.assertEqual(client.receive_until_closed(timeout=130), b"")
            waited = time.monotonic() - started
        # 5001 polls of 10 ms by the clock, however long each receive wait really lasts (about 16 ms on a Linux
        # kernel with 250 timer ticks a second, which once stretched the silence to 82 s).
        self.assertGreaterEqual(waited, 50.0)
        self.assertLess(waited, 53.0)
        self.assertEqual(proxy.wait_connection_end(handle, index),
                         ["] Request: GET /udp/239.255.20.1:5020 HTTP/1.0 ",
                          "] Source: 239.255.20.1:5020",
                          "] Thread terminating, drops counter overflow",
                          "] Connection closed, thread terminated"])
        self.assertNotIn("239.255.20.1", joined_groups())


if __name__ == "__main__":
    unittest.main()
