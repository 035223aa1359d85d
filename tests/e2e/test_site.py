"""The root redirect, the status page and the small web site served from the folder beside the program."""
import os
import time
import unittest

from corvane_harness import (REPLY_404, SIGNATURE, WINDOWS, Client, Proxy, exchange, free_tcp_port, require_program,
                             settings_text, split_head)


def setUpModule():
    require_program()


def file_header(content_type, length):
    return ("HTTP/1.0 200 OK \r\nPragma: no-cache\r\nCache-control: no-cache\r\nServer: " + SIGNATURE +
            "\r\nAccept-Ranges: none\r\nEXT:\r\nConnection: close\r\nContent-Type: " + content_type +
            "\r\nContent-Length: %d\r\n\r\n" % length).encode("latin-1")


STATUS_HEADER = ("HTTP/1.0 200 OK \r\nContent-type: text/plain\r\nPragma: no-cache\r\nServer: " + SIGNATURE +
                 "\r\n\r\n").encode("ascii")


class SiteTestBase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.port = free_tcp_port()
        cls.proxy = Proxy(settings_text(port=cls.port))
        cls.prepare_folder()
        cls.proxy.start("/user", "/cons")
        cls.proxy.wait_listening(cls.port)

    @classmethod
    def prepare_folder(cls):
        pass

    @classmethod
    def tearDownClass(cls):
        cls.proxy.remove()

    def get(self, path, extra=b"", method=b"GET"):
        return exchange(self.port, method + b" " + path + b" HTTP/1.0\r\n" + extra + b"\r\n")

    def connection_of(self, request_line):
        index, handle = self.proxy.wait_request(request_line + "\r")
        return self.proxy.wait_connection_end(handle, index)


class WithoutSiteTest(SiteTestBase):
    """No folder beside the program."""

    def test_root_redirects_to_the_status_page_of_the_host_asked_for(self):
        self.assertEqual(self.get(b"/", b"Host: tv.example:8080\r\n"),
                         b"HTTP/1.0 302 OK \r\nLocation: http://tv.example:8080/status\r\n\r\n")
        self.assertEqual(self.get(b"/", b"Host: 10.0.0.5\r\n"),
                         b"HTTP/1.0 302 OK \r\nLocation: http://10.0.0.5:80/status\r\n\r\n")
        # Without a host to go by, the address and port the connection arrived on.
        self.assertEqual(self.get(b"/"),
                         b"HTTP/1.0 302 OK \r\nLocation: http://127.0.0.1:%d/status\r\n\r\n" % self.port)
        self.assertEqual(self.get(b"/", b"Host: \r\n"),
                         b"HTTP/1.0 302 OK \r\nLocation: http://127.0.0.1:%d/status\r\n\r\n" % self.port)
        self.assertEqual(self.connection_of("GET / HTTP/1.0")[1:],
                         ["] Redirect to status or html sent", "] Connection closed, thread terminated"])

    def test_status_page_shows_the_log_newest_first(self):
        reply = self.get(b"/status")
        head, body = split_head(reply)
        self.assertEqual(head, STATUS_HEADER)
        lines = body.decode("latin-1").split("\r\n")
        self.assertEqual(lines[-1], "")
        lines = lines[:-1]
        self.assertRegex(lines[0], r" PROXY message : \[\d+, 127\.0\.0\.1\] Request: GET /status HTTP/1\.0 $")
        self.assertTrue(lines[-1].endswith(" PROXY message : Start proxy"), lines[-1])
        # The console shows the same lines oldest first.
        deadline = time.monotonic() + 5
        while len(self.proxy.lines) < len(lines) and time.monotonic() < deadline:
            time.sleep(0.05)
        self.assertEqual(list(reversed(lines)), self.proxy.lines[:len(lines)])
        self.assertEqual(self.connection_of("GET /status HTTP/1.0")[1:],
                         ["] Thread terminating, HTTP-status data sent", "] Connection closed, thread terminated"])

    def test_udp_alone_shows_the_status_page(self):
        head, body = split_head(self.get(b"/udp/"))
        self.assertEqual(head, STATUS_HEADER)
        self.assertIn(b"PROXY message : Start proxy\r\n", body)

    def test_html_without_the_folder_is_unknown(self):
        self.assertEqual(self.get(b"/html/index.html"), REPLY_404)
        self.assertEqual(self.connection_of("GET /html/index.html HTTP/1.0")[1:],
                         ["] Thread terminating, unknown GET-request", "] Connection closed, thread terminated"])


class WithSiteTest(SiteTestBase):
    """The folder beside the program, with one file of every content type and files outside it to protect."""

    FILES = {
        "index.html": (b"<html><body>Corvane</body></html>\n", "text/html"),
        "page.htm": (b"<p>htm</p>", "text/html"),
        "notes.txt": (b"plain text\r\nline two\r\n", "text/plain"),
        "logo.png": (b"\x89PNG\r\n\x1a\n" + bytes(range(256)), "image/png"),
        "anim.gif": (b"GIF89a" + bytes(200), "image/gif"),
        "photo.jpg": (b"\xff\xd8\xff\xe0" + bytes(range(255, -1, -1)), "image/jpeg"),
        "list.xml": (b'<?xml version="1.0" encoding="utf-8"?><list/>', 'text/xml; charset="utf-8"'),
        "movie.swf": (b"FWS\x09" + bytes(64), "application/x-shockwave-flash"),
        "photo.JPG": (b"\xff\xd8 upper case", "application/octet-stream"),
        "README": (b"no extension", "application/octet-stream"),
        "data.bin": (bytes(range(256)) * 300, "application/octet-stream"),
        "secret.txt": (b"the folder's own secret", "text/plain"),
        "sub/deeper.txt": (b"one level down", "text/plain"),
    }
    OUTSIDE = b"OUTSIDE-THE-FOLDER must never be served"

    @classmethod
    def prepare_folder(cls):
        folder = cls.proxy.html_folder
        for name, (content, _) in cls.FILES.items():
            path = os.path.join(folder, *name.split("/"))
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as file:
                file.write(content)
        cls.outside = os.path.join(cls.proxy.folder, "outside.txt")
        for path in (cls.outside, os.path.join(cls.proxy.folder, "secret.txt")):
            with open(path, "wb") as file:
                file.write(cls.OUTSIDE)
        if not WINDOWS:
            os.symlink(cls.outside, os.path.join(folder, "link.txt"))
            os.symlink(cls.proxy.folder, os.path.join(folder, "linkdir"))

    def assert_file(self, path, name):
        content, content_type = self.FILES[name]
        self.assertEqual(self.get(path), file_header(content_type, len(content)) + content)

    def test_root_redirects_to_the_site(self):
        self.assertEqual(self.get(b"/", b"Host: tv.example:8080\r\n"),
                         b"HTTP/1.0 302 OK \r\nLocation: http://tv.example:8080/html/\r\n\r\n")
        self.assertEqual(self.get(b"/"),
                         b"HTTP/1.0 302 OK \r\nLocation: http://127.0.0.1:%d/html/\r\n\r\n" % self.port)

    def test_site_root_serves_index_html(self):
        self.assert_file(b"/html/", "index.html")
        self.assertEqual(self.connection_of("GET /html/ HTTP/1.0")[1:],
                         ["] Thread terminating, static html data sent", "] Connection closed, thread terminated"])

    def test_every_content_type(self):
        for name in self.FILES:
            with self.subTest(name=name):
                self.assert_file(b"/html/" + name.encode(), name)

    def test_head_of_a_file_gets_the_file_too(self):
        content, content_type = self.FILES["notes.txt"]
        self.assertEqual(self.get(b"/html/notes.txt", method=b"HEAD"), file_header(content_type, len(content)) + content)

    def test_parent_steps_are_removed(self):
        self.assert_file(b"/html/../secret.txt", "secret.txt")
        # Removed, not followed: sub/../deeper.txt is sub/deeper.txt.
        self.assert_file(b"/html/sub/../deeper.txt", "sub/deeper.txt")
        self.assertEqual(self.get(b"/html/sub/../../secret.txt"), REPLY_404)
        self.assert_file(b"/html/..././secret.txt", "secret.txt")

    def test_missing_file_is_not_found(self):
        self.assertEqual(self.get(b"/html/missing.png"), REPLY_404)
        self.assertEqual(self.connection_of("GET /html/missing.png HTTP/1.0")[1:],
                         ["] Thread terminating, static html data sent", "] Connection closed, thread terminated"])
        self.assertEqual(self.get(b"/html/sub"), REPLY_404)

    def test_nothing_outside_the_folder_is_served(self):
        outside = self.outside.encode()
        drive_path = ("Z:" + self.outside.replace("/", "\\")).encode()
        paths = [b"/html/..\\outside.txt",
                 b"/html/..\\..\\" + os.path.basename(self.proxy.folder).encode() + b"\\outside.txt",
                 b"/html/sub\\..\\..\\outside.txt",
                 b"/html/sub/..\\..\\outside.txt",
                 b"/html/%2e%2e/outside.txt",
                 b"/html/..%2foutside.txt",
                 b"/html/....//outside.txt",
                 b"/html/.../outside.txt",
                 b"/html/" + outside,
                 b"/html//" + outside,
                 b"/html/" + drive_path,
                 b"/html/" + drive_path.replace(b"\\", b"/"),
                 b"/html/C:/x",
                 b"/html/C:x",
                 b"/html/\\\\127.0.0.1\\share\\outside.txt",
                 b"/html/secret.txt::$DATA/../../outside.txt"]
        if not WINDOWS:
            paths += [b"/html/link.txt", b"/html/linkdir/outside.txt"]
        for path in paths:
            with self.subTest(path=path):
                reply = self.get(path)
                self.assertNotIn(b"OUTSIDE-THE-FOLDER", reply)
                self.assertEqual(reply, REPLY_404)
        self.assertTrue(self.proxy.running())


class LargeFileTest(SiteTestBase):
    """A file far larger than memory should hold is sent as it is read."""

    SIZE = 3 * 1024 ** 3

    @classmethod
    def prepare_folder(cls):
        os.makedirs(cls.proxy.html_folder)
        cls.big = os.path.join(cls.proxy.html_folder, "big.ts")
        try:
            with open(cls.big, "wb") as file:
                file.truncate(cls.SIZE)
            sparse = os.stat(cls.big).st_blocks * 512 < 1024 ** 2
        except OSError:
            sparse = False
        if not sparse:
            os.remove(cls.big)

    def test_three_gigabyte_file_is_sent_without_reading_it_whole(self):
        if not os.path.exists(self.big):
            self.skipTest("the file system here makes no sparse files")
        with Client(self.port, receive_buffer=65536) as client:
            client.send(b"GET /html/big.ts HTTP/1.0\r\n\r\n")
            header = file_header("application/octet-stream", self.SIZE)
            self.assertEqual(client.receive_exactly(len(header), timeout=20), header)
            body = client.receive_exactly(4 * 1024 ** 2, timeout=20)
            self.assertEqual(body.count(0), len(body))
            resident = self.proxy.resident_kilobytes()
        self.assertIsNotNone(resident)
        # The program and wine's own share stay far below the file's size.
        self.assertLess(resident, 400 * 1024, "the proxy holds %d KiB while sending the file" % resident)
        messages = self.connection_of("GET /html/big.ts HTTP/1.0")
        self.assertEqual(messages[1:], ["] Thread terminating, static html data sent",
                                        "] Connection closed, thread terminated"])
        self.assertTrue(self.proxy.running())
        self.assertTrue(self.get(b"/status").startswith(b"HTTP/1.0 200 OK \r\n"))


class ChangingFileTest(SiteTestBase):
    """Files that change while they are sent, and a client that stops reading one."""

    SIZE = 16 * 1024 ** 2
    CONTENT = bytes(range(256)) * (SIZE // 256)

    @classmethod
    def prepare_folder(cls):
        os.makedirs(cls.proxy.html_folder)
        for name in ("grows.bin", "shrinks.bin", "stalls.bin"):
            with open(os.path.join(cls.proxy.html_folder, name), "wb") as file:
                file.write(cls.CONTENT)

    def start_reply(self, name):
        """A client with a small window that has read the header of the file's reply."""
        client = Client(self.port, receive_buffer=65536, timeout=30)
        self.addCleanup(client.close)
        client.send(b"GET /html/" + name + b" HTTP/1.0\r\n\r\n")
        header = file_header("application/octet-stream", self.SIZE)
        self.assertEqual(client.receive_exactly(len(header), timeout=20), header)
        return client

    def test_file_that_grows_while_sent_is_cut_at_its_announced_length(self):
        client = self.start_reply(b"grows.bin")
        with open(os.path.join(self.proxy.html_folder, "grows.bin"), "ab") as file:
            file.write(b"GROWN" * 200000)
        body = client.receive_until_closed(timeout=60)
        self.assertEqual(len(body), self.SIZE)
        self.assertTrue(body == self.CONTENT, "the body is not the file as it was announced")

    def test_file_that_shrinks_while_sent_ends_the_reply_short(self):
        client = self.start_reply(b"shrinks.bin")
        with open(os.path.join(self.proxy.html_folder, "shrinks.bin"), "r+b") as file:
            file.truncate(1024 ** 2)
        body = client.receive_until_closed(timeout=60)
        # Whatever went out is the file's own bytes; the client sees the reply end before its length.
        self.assertLess(len(body), self.SIZE)
        self.assertTrue(body == self.CONTENT[:len(body)], "the body holds bytes that are not the file's")
        self.assertEqual(self.connection_of("GET /html/shrinks.bin HTTP/1.0")[1:],
                         ["] Error - static file shrank while sent, reply cut short",
                          "] Thread terminating, static html data sent", "] Connection closed, thread terminated"])

    def test_client_that_stops_reading_frees_its_thread(self):
        self.start_reply(b"stalls.bin")
        index, handle = self.proxy.wait_request("GET /html/stalls.bin HTTP/1.0\r")
        # The streams' send time-out (10 s) ends the reply; without one the thread would wait for ever.
        self.assertEqual(self.proxy.wait_connection_end(handle, index, timeout=40)[1:],
                         ["] Thread terminating, static html data sent", "] Connection closed, thread terminated"])
        self.assertTrue(self.get(b"/status").startswith(b"HTTP/1.0 200 OK \r\n"))


if __name__ == "__main__":
    unittest.main()
