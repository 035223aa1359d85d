"""Start-up of the proxy as a user would see it: default settings, a taken port, a second start of the same
program, the command-line switches, concurrent clients and the server's name in replies."""
import os
import socket
import time
import unittest

from corvane_harness import (LOG_LINE, MULTICAST_INTERFACE, REPLY_404, SIGNATURE, SLOW, STREAM_HEADER, WINDOWS, Client,
                             ProgramTestCase, exchange, free_tcp_port, require_program, settings_text)


def setUpModule():
    require_program()
    # A /service start must not find a service manager of whatever runs these tests.
    os.environ.pop("NOTIFY_SOCKET", None)


class StartupTest(ProgramTestCase):
    def assert_refused(self, port, within=0.0):
        # Wine closes a killed process's sockets a moment after the process is gone: allow it that moment.
        deadline = time.monotonic() + within
        while True:
            with socket.socket() as probe:
                probe.settimeout(5)
                if probe.connect_ex(("127.0.0.1", port)) != 0:
                    return
            if time.monotonic() >= deadline:
                self.fail("something listens on port %d" % port)
            time.sleep(0.1)

    def test_no_settings_file_listens_on_port_81_of_every_interface(self):
        proxy = self.proxy().start("/user", "/cons")
        proxy.wait_listening(81)
        messages = proxy.messages()
        self.assertEqual(messages[:2], ["Start proxy", "Start listening at 0.0.0.0:81 (MultiCast at 0.0.0.0)"],
                         proxy.describe())
        reply = exchange(81, b"GET /status HTTP/1.0\r\n\r\n")
        self.assertTrue(reply.startswith(b"HTTP/1.0 200 OK \r\n"), reply[:200])
        self.assertIn(b"PROXY message : Start proxy\r\n", reply)

    def test_settings_file_with_lf_line_ends_reads_as_five_lines(self):
        port = free_tcp_port()
        proxy = self.proxy(settings_text(http="127.0.0.1", port=port).replace(b"\r\n", b"\n")).start("/user", "/cons")
        proxy.wait_listening(port)
        self.assertEqual(proxy.messages()[:2],
                         ["Start proxy", "Start listening at 127.0.0.1:%d (MultiCast at %s)" % (port, MULTICAST_INTERFACE)],
                         proxy.describe())

    def test_taken_port_logs_the_bind_error_and_the_program_ends(self):
        with socket.socket() as taken:
            taken.bind(("0.0.0.0", 7781))
            taken.listen(1)
            proxy = self.proxy(settings_text(port=7781)).start("/user", "/cons")
            code = proxy.wait_exit(15 * SLOW)
            self.assertIsNotNone(code, "the program keeps running after failing to bind\n" + proxy.describe())
            self.assertEqual(code, 1)
        self.assertEqual(proxy.messages(), ["Start proxy", "Error binding listen socket at port 7781 !"],
                         proxy.describe())

    def test_second_start_of_the_same_program_file_ends_at_once_without_output(self):
        port = free_tcp_port()
        first = self.proxy(settings_text(port=port)).start("/user", "/cons")
        first.wait_listening(port)

        second = self.proxy(folder=first.folder).start("/user", "/cons")
        started = time.monotonic()
        code = second.wait_exit(10 * SLOW)
        self.assertIsNotNone(code, "the second start keeps running\n" + second.describe())
        self.assertLess(time.monotonic() - started, 5 * SLOW)
        self.assertEqual(code, 0)
        self.assertEqual(second.output, b"")
        self.assertTrue(first.running())

        # A copy in another folder is another program file: it runs beside the first.
        other_port = free_tcp_port()
        other = self.proxy(settings_text(port=other_port)).start("/user", "/cons")
        other.wait_listening(other_port)
        self.assertTrue(first.running())
        self.assertTrue(other.running())
        self.assertIn(b"HTTP/1.0 200 OK ", exchange(port, b"GET /status HTTP/1.0\r\n\r\n")[:20])
        self.assertIn(b"HTTP/1.0 200 OK ", exchange(other_port, b"GET /status HTTP/1.0\r\n\r\n")[:20])

    def test_user_switch_in_any_letter_case_starts_the_proxy(self):
        for arguments in (["/USER", "/cons"], ["/user", "/CONS"], ["/cons", "/User"]):
            with self.subTest(arguments=arguments):
                port = free_tcp_port()
                proxy = self.proxy(settings_text(port=port)).start(*arguments)
                proxy.wait_listening(port)
                proxy.stop()
                # Ended by its process id, the program (under wine: the Windows process) is really gone.
                self.assert_refused(port, within=5 * SLOW)

    def test_user_without_cons_serves_but_prints_nothing(self):
        port = free_tcp_port()
        proxy = self.proxy(settings_text(port=port)).start("/user")
        deadline = time.monotonic() + 15 * SLOW
        reply = b""
        while time.monotonic() < deadline and not reply:
            try:
                reply = exchange(port, b"GET /status HTTP/1.0\r\n\r\n")
            except OSError:
                time.sleep(0.1)
        self.assertIn(b"PROXY message : Start listening at 0.0.0.0:%d" % port, reply)
        time.sleep(0.3)
        self.assertEqual(proxy.output, b"")

    def test_switches_that_do_not_start_the_proxy(self):
        cases = [
            (["-user"], "control panel"),
            (["/users"], "control panel"),
            ([], "control panel"),
            (["/cons"], "control panel"),
            (["/transcoder", "/service", "/user"], "transcoder"),
        ]
        port = free_tcp_port()
        for arguments, mode in cases:
            with self.subTest(arguments=arguments):
                proxy = self.proxy(settings_text(port=port)).start(*arguments)
                if mode == "transcoder":
                    # The transcoder waits for requests (or, without a usable libvlc, says so and ends).
                    proxy.wait_exit(2 * SLOW)
                    proxy.stop()
                elif not WINDOWS:
                    # Without a window system the panel prints its help and the states (test_panel).
                    self.assertEqual(proxy.wait_exit(10 * SLOW), 0, proxy.describe())
                    self.assertTrue(proxy.output.startswith(b"Usage examples\r\n"), proxy.describe())
                else:
                    # The window itself is test_panel's; here it only must not be the proxy.
                    time.sleep(2 * SLOW)
                    proxy.stop()
                self.assertEqual(proxy.messages(), [])
                self.assert_refused(port)

    def test_service_mode_started_from_a_prompt_ends_quietly(self):
        # /service wins over /user and /cons; without a service manager the dispatcher cannot start.
        port = free_tcp_port()
        for arguments in (["/service"], ["/user", "/service"], ["/cons", "/service"], ["/SERVICE", "/user", "/cons"]):
            with self.subTest(arguments=arguments):
                proxy = self.proxy(settings_text(port=port)).start(*arguments)
                # Wine's dispatcher looks for the manager's pipe for about 10 seconds before it gives up.
                code = proxy.wait_exit(30 * SLOW)
                self.assertEqual(code, 0, proxy.describe())
                self.assertEqual((proxy.output, proxy.errors), (b"", b""))
                self.assert_refused(port)

    @unittest.skipIf(WINDOWS, "a console window cannot be seen from here under wine")
    def test_cons_with_service_opens_no_console(self):
        # On a terminal, console mode names its window; with /service there is no console at all.
        proxy = self.proxy(settings_text(port=free_tcp_port())).start("/cons", "/service", pty_output=True)
        self.assertEqual(proxy.wait_exit(10), 0)
        self.assertEqual(proxy.output, b"")

        port = free_tcp_port()
        console = self.proxy(settings_text(port=port)).start("/user", "/cons", pty_output=True)
        console.wait_listening(port)
        self.assertTrue(console.output.startswith(b"\x1b]0;Corvane\x07"), console.output[:40])

    def test_two_clients_at_once_get_two_threads_and_whole_log_lines(self):
        port = free_tcp_port()
        proxy = self.proxy(settings_text(port=port)).start("/user", "/cons")
        proxy.wait_listening(port)
        with Client(port) as first, Client(port) as second:
            # Both threads exist before either request is sent, so neither handle can be a reused one.
            index, _ = proxy.wait_message(r"^New thread handle is \d+$")
            proxy.wait_message(r"^New thread handle is \d+$", start=index + 1)
            first.send(b"GET /status HTTP/1.0\r\n\r\n")
            second.send(b"GET /nothing/here HTTP/1.0\r\n\r\n")
            status = first.receive_until_closed()
            missing = second.receive_until_closed()
        self.assertTrue(status.startswith(b"HTTP/1.0 200 OK \r\n"), status[:100])
        self.assertEqual(missing, REPLY_404)
        _, first_handle = proxy.wait_request("GET /status HTTP/1.0\r")
        _, second_handle = proxy.wait_request("GET /nothing/here HTTP/1.0\r")
        self.assertNotEqual(first_handle, second_handle)
        announced = [m.split()[-1] for m in proxy.messages() if m.startswith("New thread handle is ")]
        self.assertEqual(sorted(announced), sorted([first_handle, second_handle]))
        proxy.wait_connection_end(first_handle)
        proxy.wait_connection_end(second_handle)
        for line in proxy.lines:
            self.assertRegex(line, LOG_LINE)
        self.assertEqual(proxy.broken_line_ends, [])
        self.assertTrue(proxy.output.endswith(b"\r\n"))

    def test_server_header_names_the_program_and_its_version(self):
        port = free_tcp_port()
        proxy = self.proxy(settings_text(port=port)).start("/user", "/cons")
        proxy.wait_listening(port)
        self.assertEqual(SIGNATURE, "corvane/2.7.4.0")
        self.assertEqual(exchange(port, b"GET /nothing HTTP/1.0\r\n\r\n"), REPLY_404)
        self.assertEqual(exchange(port, b"HEAD /udp/239.255.1.1:1234 HTTP/1.0\r\n\r\n"), STREAM_HEADER)
        status = exchange(port, b"GET /status HTTP/1.0\r\n\r\n")
        self.assertIn(b"\r\nServer: corvane/2.7.4.0\r\n", status)


if __name__ == "__main__":
    unittest.main()
