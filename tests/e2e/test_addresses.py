"""Addresses and ports in the settings and in stream requests that name nothing the proxy can use: each takes
the failure path of the step that uses it, never a socket on some other address or port."""
import unittest

from corvane_harness import REPLY_400, SLOW, Client, Proxy, free_tcp_port, require_program, settings_text


def setUpModule():
    require_program()


class AddressTest(unittest.TestCase):
    def start(self, settings):
        proxy = Proxy(settings).start("/user", "/cons")
        self.addCleanup(proxy.remove)
        return proxy

    def assert_listener_fails(self, proxy, port_text):
        code = proxy.wait_exit(15 * SLOW)
        self.assertIsNotNone(code, "the program keeps running\n" + proxy.describe())
        self.assertEqual(code, 1, proxy.describe())
        self.assertEqual(proxy.messages(), ["Start proxy", "Error binding listen socket at port %s !" % port_text],
                         proxy.describe())

    def test_http_interface_that_is_no_address_fails_to_bind(self):
        # "|" passes the substring test against the host's address list; as an address it means nothing.
        for interface in ("|", "127.0.0.1|"):
            with self.subTest(interface=interface):
                port = free_tcp_port()
                self.assert_listener_fails(self.start(settings_text(http=interface, port=port)), str(port))

    def test_http_port_outside_its_range_fails_to_bind(self):
        for port in ("0", "65536", "70000", "-1"):
            with self.subTest(port=port):
                self.assert_listener_fails(self.start(settings_text(port=port)), port)

    def test_group_port_outside_its_range_is_a_bad_request(self):
        port = free_tcp_port()
        proxy = self.start(settings_text(port=port))
        proxy.wait_listening(port)
        for group_port in ("0", "65536", "70000", "-1"):
            line = "GET /udp/239.255.19.1:%s HTTP/1.0" % group_port
            with self.subTest(line=line):
                with Client(port) as client:
                    client.send(line.encode() + b"\r\n\r\n")
                    self.assertEqual(client.receive_until_closed(), REPLY_400)
                index, handle = proxy.wait_request(line + "\r")
                self.assertEqual(proxy.wait_connection_end(handle, index),
                                 ["] Request: " + line + " ", "] Thread terminating, unknown HTTP-request",
                                  "] Connection closed, thread terminated"])

    def test_host_port_with_no_transcoder_port_after_it_is_a_bad_request(self):
        # With transcoding on, a stream goes to the transcoder, which would serve on the Host port + 1: there is
        # none, so nothing is started.
        port = free_tcp_port()
        proxy = self.start(settings_text(port=port, transcoder="1"))
        proxy.wait_listening(port)
        line = "GET /udp/239.255.19.2:5019 HTTP/1.0"
        for host_port in ("99999999999", "65535"):
            with self.subTest(host_port=host_port):
                start = len(proxy.messages())
                with Client(port) as client:
                    client.send(line.encode() + b"\r\nHost: h:" + host_port.encode() + b"\r\n\r\n")
                    self.assertEqual(client.receive_until_closed(), REPLY_400)
                index, handle = proxy.wait_request(line + "\r", start=start)
                self.assertEqual(proxy.wait_connection_end(handle, index),
                                 ["] Request: " + line + " ", "] Source: 239.255.19.2:5019",
                                  "] Thread terminating, unknown HTTP-request", "] Connection closed, thread terminated"])

    def test_multicast_interface_that_names_no_interface_fails_to_bind(self):
        for interface in ("|", "not-an-address", "255.255.255.255", "239.255.18.1"):
            with self.subTest(interface=interface):
                port = free_tcp_port()
                proxy = self.start(settings_text(multicast=interface, port=port))
                proxy.wait_listening(port)
                line = "GET /udp/239.255.18.1:5018 HTTP/1.0"
                with Client(port) as client:
                    client.send(line.encode() + b"\r\n\r\n")
                    self.assertEqual(client.receive_until_closed(), b"")
                index, handle = proxy.wait_request(line + "\r")
                self.assertEqual(proxy.wait_connection_end(handle, index),
                                 ["] Request: " + line + " ", "] Source: 239.255.18.1:5018",
                                  "] Thread terminating, BIND socket error", "] Connection closed, thread terminated"])


if __name__ == "__main__":
    unittest.main()
