"""Streams from a real multicast source through the proxy to HTTP clients, and the requests that get no stream."""
import time
import unittest

from corvane_harness import (REPLY_400, REPLY_404, SLOW, STREAM_HEADER, WINDOWS, Client, MulticastSender, Proxy,
                             SharedProxyTestCase,
                             StreamCheck, check_private_network, free_tcp_port, joined_groups, require_program,
                             settings_text)

FIRST_DATA = r"^\] First data from %s recieved after \d+ ms$"


def setUpModule():
    require_program()
    check_private_network()


class StreamTest(SharedProxyTestCase):
    """One proxy for the whole class; every test uses groups of its own."""

    def request(self, line, receive_buffer=None):
        """Connects, sends the request line and an empty line; returns (client, log index, thread handle)."""
        start = len(self.proxy.messages())
        client = Client(self.port, receive_buffer=receive_buffer)
        self.addCleanup(client.close)
        client.send(line.encode("latin-1") + b"\r\nHost: 127.0.0.1:%d\r\n\r\n" % self.port)
        index, handle = self.proxy.wait_request(line + "\r", start=start)
        return client, index, handle

    def open_stream(self, path, receive_buffer=None):
        client, index, handle = self.request("GET %s HTTP/1.0" % path, receive_buffer)
        self.assertEqual(client.receive_exactly(len(STREAM_HEADER)), STREAM_HEADER)
        return client, index, handle

    def assert_stream_log(self, index, handle, path, source):
        """The five lines of a stream that the client ended."""
        messages = self.proxy.wait_connection_end(handle, index)
        self.assertEqual(len(messages), 5, messages)
        self.assertEqual(messages[0], "] Request: GET %s HTTP/1.0 " % path)
        self.assertEqual(messages[1], "] Source: " + source)
        self.assertRegex(messages[2], FIRST_DATA % source.replace(".", r"\."))
        self.assertEqual(messages[3:], ["] Thread terminating, client closed socket",
                                        "] Connection closed, thread terminated"])

    def test_every_path_form_streams_the_group(self):
        cases = [("/udp/239.255.10.1:5001", "239.255.10.1:5001"),
                 ("/udp://@239.255.10.2:5002", "239.255.10.2:5002"),
                 ("/udp?239.255.10.3:5003", "239.255.10.3:5003"),
                 ("/udp/239.255.10.4%3A5004", "239.255.10.4:5004"),
                 ("/udp/239.255.10.5", "239.255.10.5:1234")]
        for tag, (path, source) in enumerate(cases, 1):
            with self.subTest(path=path):
                group, port = source.split(":")
                with MulticastSender(group, int(port), tag) as sender:
                    client, index, handle = self.open_stream(path)
                    # The group was joined before the header was sent: from here on nothing may be missing.
                    at_header = sender.next_sequence
                    self.assertIn(group, joined_groups())
                    stream = StreamCheck(client, tag).read_until(at_header + 40)
                    self.assertEqual(stream.problems, [])
                    self.assertLessEqual(stream.first, at_header)
                    client.close()
                    self.assert_stream_log(index, handle, path, source)
                self.assertNotIn(group, joined_groups())
                self.assertEqual(self.proxy.messages()[index], "[%s, 127.0.0.1] Request: GET %s HTTP/1.0 "
                                 % (handle, path))

    def test_two_clients_of_one_group_both_get_the_whole_stream(self):
        with MulticastSender("239.255.11.1", 5011, 11) as sender:
            first, first_index, first_handle = self.open_stream("/udp/239.255.11.1:5011")
            second, second_index, second_handle = self.open_stream("/udp/239.255.11.1:5011")
            at_header = sender.next_sequence
            end = at_header + 100
            streams = [StreamCheck(first, 11).read_until(end), StreamCheck(second, 11).read_until(end)]
            for stream in streams:
                self.assertEqual(stream.problems, [])
                self.assertLessEqual(stream.first, at_header)
            first.close()
            second.close()
            self.assert_stream_log(first_index, first_handle, "/udp/239.255.11.1:5011", "239.255.11.1:5011")
            self.assert_stream_log(second_index, second_handle, "/udp/239.255.11.1:5011", "239.255.11.1:5011")

    def test_two_groups_on_one_port_never_mix(self):
        with MulticastSender("239.255.12.1", 5012, 21) as one, MulticastSender("239.255.12.2", 5012, 22) as two:
            first, first_index, first_handle = self.open_stream("/udp/239.255.12.1:5012")
            second, second_index, second_handle = self.open_stream("/udp/239.255.12.2:5012")
            streams = [StreamCheck(first, 21), StreamCheck(second, 22)]
            # Two seconds of both sources, read as they come.
            deadline = time.monotonic() + 2.0
            while time.monotonic() < deadline:
                for stream in streams:
                    stream.read_for(0.05)
            end = max(one.next_sequence, two.next_sequence)
            for stream in streams:
                stream.read_for(0.3)
            # A Windows socket bound to the interface gets every group joined on the host for its port (wine
            # hands them all over): the proxy must drop what was not sent to the client's own group.
            for stream in streams:
                self.assertEqual(stream.problems, [])
                self.assertGreater(stream.count, 150)
            self.assertGreater(end, 300)
            first.close()
            second.close()
            self.assert_stream_log(first_index, first_handle, "/udp/239.255.12.1:5012", "239.255.12.1:5012")
            self.assert_stream_log(second_index, second_handle, "/udp/239.255.12.2:5012", "239.255.12.2:5012")

    def test_silent_group_gets_nothing_of_another_group_on_its_port(self):
        with MulticastSender("239.255.18.2", 5018, 62) as other:
            # Someone watches the other channel, so the host has joined its group too.
            viewer, _, _ = self.open_stream("/udp/239.255.18.2:5018")
            client, index, handle = self.open_stream("/udp/239.255.18.1:5018")
            self.assertIn("239.255.18.1", joined_groups())
            started = other.next_sequence
            data = client.receive_some(timeout=1.5)
            self.assertIsNone(data, "%d bytes came for a silent group" % len(data or b""))
            self.assertGreater(other.next_sequence - started, 100)
            stream = StreamCheck(viewer, 62).read_until(other.next_sequence)
            self.assertEqual(stream.problems, [])
        self.assertEqual(self.proxy.connection_messages(handle, index),
                         ["] Request: GET /udp/239.255.18.1:5018 HTTP/1.0 ", "] Source: 239.255.18.1:5018"])

    def fix_send_buffers(self, size):
        """Keeps Linux from growing TCP send buffers in this (private) namespace, so that the buffers towards
        a client that takes nothing are full at once and stay full: the proxy gives up on a client after 10 s
        in which its send makes no progress, and each enlargement of a stalled connection's send buffer
        would count as progress."""
        path = "/proc/sys/net/ipv4/tcp_wmem"
        with open(path) as file:
            saved = file.read()
        with open(path, "w") as file:
            file.write("4096 %d %d" % (size, size))
        def restore():
            with open(path, "w") as file:
                file.write(saved)
        self.addCleanup(restore)

    def test_client_that_stops_reading_is_dropped_while_others_keep_the_stream(self):
        self.fix_send_buffers(65536)
        # About 8 Mbit/s, so that the buffers towards the idle client fill within a fraction of a second.
        with MulticastSender("239.255.13.1", 5013, 31, rate=760) as sender:
            path = "/udp/239.255.13.1:5013"
            idle, idle_index, idle_handle = self.open_stream(path, receive_buffer=4096)
            started = time.monotonic()
            reader, reader_index, reader_handle = self.open_stream(path)
            stream = StreamCheck(reader, 31)
            dropped = "[%s, 127.0.0.1] Thread terminating, client closed socket" % idle_handle
            while dropped not in self.proxy.messages()[idle_index:]:
                stream.read_for(0.2)
                self.assertEqual(stream.problems, [])
                self.assertLess(time.monotonic() - started, 30 * SLOW,
                                "the idle client was never dropped\n" + self.proxy.describe())
            dropped_after = time.monotonic() - started
            # The proxy waits 10 s for a client that takes nothing before it gives up on it; the buffers
            # towards the idle client are full well within the first second.
            self.assertGreaterEqual(dropped_after, 9.5)
            self.assertLess(dropped_after, 13.5,
                            "the idle client was dropped only after %.1f s" % dropped_after)
            messages = self.proxy.wait_connection_end(idle_handle, idle_index)
            self.assertEqual(messages[-2:], ["] Thread terminating, client closed socket",
                                             "] Connection closed, thread terminated"])
            # The reader's stream went on all the time, without a gap.
            stream.read_until(sender.next_sequence + 200, timeout=20)
            self.assertEqual(stream.problems, [])
            self.assertGreater(stream.count, 760 * 9)
            reader.close()
            self.assert_stream_log(reader_index, reader_handle, path, "239.255.13.1:5013")
            idle.close()

    def test_head_gives_only_the_header_and_joins_nothing(self):
        with MulticastSender("239.255.14.1", 5014, 41):
            client, index, handle = self.request("HEAD /udp/239.255.14.1:5014 HTTP/1.0")
            self.assertEqual(client.receive_until_closed(), STREAM_HEADER)
            self.assertNotIn("239.255.14.1", joined_groups())
            messages = self.proxy.wait_connection_end(handle, index)
        self.assertEqual(messages, ["] Request: HEAD /udp/239.255.14.1:5014 HTTP/1.0 ",
                                    "] Thread terminating, HEAD-responce",
                                    "] Connection closed, thread terminated"])

    def assert_refused(self, line, reply, message):
        client, index, handle = self.request(line)
        self.assertEqual(client.receive_until_closed(), reply)
        messages = self.proxy.wait_connection_end(handle, index)
        self.assertEqual(messages, ["] Request: " + line + " ", message, "] Connection closed, thread terminated"])

    def test_requests_that_get_no_stream(self):
        unknown_request = "] Thread terminating, unknown HTTP-request"
        cases = [("POST /udp/239.255.15.1:5015 HTTP/1.0", REPLY_400, unknown_request),
                 ("GET /udp/:1234 HTTP/1.0", REPLY_400, unknown_request),
                 ("GET /udp/239.255.15.1:5015", REPLY_400, unknown_request),
                 ("GET /udp/239.255.15.1:5015 HTTP/2.0", REPLY_400, unknown_request),
                 ("GET /channels/1 HTTP/1.0", REPLY_404, "] Thread terminating, unknown GET-request"),
                 ("HEAD /channels/1 HTTP/1.0", REPLY_404, "] Thread terminating, unknown GET-request"),
                 ("GET /udp/abc:1234 HTTP/1.0", b"", "] Thread terminating, IP_ADD_MEMBERSHIP socket error")]
        for line, reply, message in cases:
            with self.subTest(line=line):
                if reply:
                    self.assert_refused(line, reply, message)
                    continue
                client, index, handle = self.request(line)
                self.assertEqual(client.receive_until_closed(), b"")
                messages = self.proxy.wait_connection_end(handle, index)
                self.assertEqual(messages, ["] Request: " + line + " ", "] Source: abc:1234", message,
                                            "] Connection closed, thread terminated"])

    def test_client_that_leaves_during_the_head(self):
        start = len(self.proxy.messages())
        with Client(self.port) as client:
            client.send(b"GET /udp/239.255.16.1:5016 HTT")
            index, match = self.proxy.wait_message(r"^New thread handle is (\d+)$", start=start)
        handle = match.group(1)
        messages = self.proxy.wait_connection_end(handle, start)
        self.assertEqual(messages, ["] Thread terminating, no data from socket",
                                    "] Connection closed, thread terminated"])


class UnusableInterfaceTest(unittest.TestCase):
    def test_interface_that_is_not_local_closes_without_reply(self):
        port = free_tcp_port()
        proxy = Proxy(settings_text(multicast="1.2.3.4", port=port)).start("/user", "/cons")
        self.addCleanup(proxy.remove)
        proxy.wait_message(r"^Start listening at 0\.0\.0\.0:%d \(MultiCast at 1\.2\.3\.4\)$" % port)
        with MulticastSender("239.255.17.1", 5017, 51):
            with Client(port) as client:
                client.send(b"GET /udp/239.255.17.1:5017 HTTP/1.0\r\n\r\n")
                self.assertEqual(client.receive_until_closed(), b"")
            index, handle = proxy.wait_request("GET /udp/239.255.17.1:5017 HTTP/1.0\r")
            messages = proxy.wait_connection_end(handle, index)
        self.assertNotIn("239.255.17.1", joined_groups())
        self.assertEqual(messages, ["] Request: GET /udp/239.255.17.1:5017 HTTP/1.0 ",
                                    "] Source: 239.255.17.1:5017",
                                    "] Thread terminating, BIND socket error",
                                    "] Connection closed, thread terminated"])


if __name__ == "__main__":
    unittest.main()
