"""Operator-style channels: RTP streams under /rtp/, source-specific groups, and the user's playlist."""
import os
import shutil
import struct
import subprocess
import unittest

from corvane_harness import (REPLY_400, REPLY_404, SIGNATURE, STREAM_HEADER, WINDOWS, Client, MulticastSender,
                             SharedProxyTestCase, StreamCheck, check_private_network, exchange, require_program)

TS_PACKET = 188
RTP_HEADER = 12


def setUpModule():
    require_program()
    check_private_network()


def continuity_errors(body):
    """Continuity counter breaks of a transport stream, per packet identifier."""
    last = {}
    errors = 0
    for start in range(0, len(body) - TS_PACKET + 1, TS_PACKET):
        packet = body[start:start + TS_PACKET]
        pid = ((packet[1] & 0x1F) << 8) | packet[2]
        has_payload = packet[3] & 0x10
        discontinuity = packet[3] & 0x20 and packet[4] > 0 and packet[5] & 0x80
        counter = packet[3] & 0x0F
        if pid == 0x1FFF or not has_payload:
            continue
        if pid in last and not discontinuity and counter not in (last[pid], (last[pid] + 1) & 0x0F):
            errors += 1
        last[pid] = counter
    return errors


class RtpTest(SharedProxyTestCase):
    """One proxy for the whole class; every test uses groups of its own."""

    def open_stream(self, path):
        start = len(self.proxy.messages())
        client = Client(self.port)
        self.addCleanup(client.close)
        client.send(b"GET %s HTTP/1.0\r\n\r\n" % path.encode())
        index, handle = self.proxy.wait_request("GET %s HTTP/1.0\r" % path, start=start)
        self.assertEqual(client.receive_exactly(len(STREAM_HEADER)), STREAM_HEADER)
        return client, index, handle

    def read_body(self, client, size):
        body = b""
        while len(body) < size:
            data = client.receive_some(10)
            self.assertTrue(data, "the stream ended or stalled after %d bytes" % len(body))
            body += data
        return body

    def test_ffmpeg_rtp_source_is_plain_transport_stream_under_rtp_and_untouched_under_udp(self):
        if shutil.which("ffmpeg") is None:
            self.skipTest("ffmpeg is not installed")
        group, port = "239.255.20.1", 5020
        source = subprocess.Popen(
            ["ffmpeg", "-nostdin", "-loglevel", "error", "-re",
             "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25",
             "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000",
             "-c:v", "mpeg2video", "-b:v", "1M", "-c:a", "mp2", "-f", "rtp_mpegts",
             "rtp://%s:%d?ttl=1&localaddr=127.0.0.1&pkt_size=1328" % (group, port)],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
        self.addCleanup(source.wait)
        self.addCleanup(source.kill)
        rtp, rtp_index, rtp_handle = self.open_stream("/rtp/%s:%d" % (group, port))
        udp, _, _ = self.open_stream("/udp/%s:%d" % (group, port))
        body = self.read_body(rtp, TS_PACKET * 7 * 400)
        raw = self.read_body(udp, (RTP_HEADER + TS_PACKET * 7) * 100)
        # A sync byte every 188 bytes from the first byte on: nothing of the RTP headers is left.
        misplaced = [offset for offset in range(0, len(body), TS_PACKET) if body[offset] != 0x47]
        self.assertEqual(misplaced, [])
        self.assertEqual(continuity_errors(body), 0)
        # The same source under /udp/ still gets every datagram whole, its RTP header included.
        size = RTP_HEADER + TS_PACKET * 7
        sequences = []
        for offset in range(0, len(raw) - size + 1, size):
            self.assertEqual(raw[offset] & 0xC0, 0x80)
            self.assertEqual(raw[offset + RTP_HEADER], 0x47)
            sequences.append(struct.unpack(">H", raw[offset + 2:offset + 4])[0])
        self.assertEqual(sequences, [(sequences[0] + i) & 0xFFFF for i in range(len(sequences))])
        rtp.close()
        messages = self.proxy.wait_connection_end(rtp_handle, rtp_index)
        self.assertEqual(messages[1], "] Source: %s:%d" % (group, port))
        self.assertNotIn("] Dropping datagrams that are not RTP", messages)

    def test_source_specific_group_gets_only_that_sender(self):
        if WINDOWS:
            # wine 8 passes the Winsock ip_mreq_source (group, source, interface) to Linux's setsockopt as it
            # is, where the fields are (group, interface, source): the join succeeds, filtered on a source
            # that is the interface's address, and nothing arrives.
            self.skipTest("wine hands source-specific memberships to Linux with their fields swapped")
        group, port = "239.255.22.1", 5022
        with MulticastSender(group, port, 1, source="127.0.0.1") as first, \
                MulticastSender(group, port, 2, source="127.0.0.2") as second:
            client, index, handle = self.open_stream("/udp/127.0.0.2@%s:%d" % (group, port))
            at_header = second.next_sequence
            stream = StreamCheck(client, 2).read_until(at_header + 60)
            self.assertEqual(stream.problems, [])
            self.assertGreater(first.next_sequence, 60)
            client.close()
            messages = self.proxy.wait_connection_end(handle, index)
            self.assertEqual(messages[1], "] Source: 127.0.0.2@%s:%d" % (group, port))

    def test_source_that_is_no_address_is_a_bad_request(self):
        group, port = "239.255.22.2", 5022
        for path in ("/udp/host@%s:%d" % (group, port), "/rtp/@%s:%d" % (group, port)):
            with self.subTest(path=path):
                self.assertEqual(exchange(self.port, b"GET %s HTTP/1.0\r\n\r\n" % path.encode()), REPLY_400)


class PlaylistTest(SharedProxyTestCase):

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.playlist = os.path.join(cls.proxy.folder, "corvane.m3u")

    def write(self, data):
        with open(self.playlist, "wb") as file:
            file.write(data)
        self.addCleanup(lambda: os.path.exists(self.playlist) and os.remove(self.playlist))

    def test_entries_point_at_the_proxy_and_everything_else_stays(self):
        self.write(b"\xef\xbb\xbf#EXTM3U x-tvg-url=\"http://epg/\"\r\n#EXTINF:-1,One\r\nudp://@239.0.0.1:1234\r\n"
                   b"#EXTINF:-1,Two\nrtp://10.0.0.9@232.1.1.1:5000\nhttp://cdn/two.m3u8\n")
        reply = exchange(self.port, b"GET /playlist.m3u HTTP/1.0\r\nHost: tv.local:%d\r\n\r\n" % self.port)
        body = (b"\xef\xbb\xbf#EXTM3U x-tvg-url=\"http://epg/\"\r\n#EXTINF:-1,One\r\n"
                b"http://tv.local:%d/udp/239.0.0.1:1234\r\n#EXTINF:-1,Two\n"
                b"http://tv.local:%d/rtp/10.0.0.9@232.1.1.1:5000\nhttp://cdn/two.m3u8\n") % (self.port, self.port)
        self.assertEqual(reply, b"HTTP/1.0 200 OK \r\nContent-Type: audio/x-mpegurl\r\nPragma: no-cache\r\n"
                         b"Server: %s\r\nContent-Length: %d\r\n\r\n%s" % (SIGNATURE.encode(), len(body), body))
        # Without a "Host:" header the address the connection came in on.
        reply = exchange(self.port, b"GET /playlist.m3u HTTP/1.0\r\n\r\n")
        self.assertIn(b"\r\nhttp://127.0.0.1:%d/udp/239.0.0.1:1234\r\n" % self.port, reply)
        self.proxy.wait_message(r"\] Thread terminating, playlist sent$")

    def test_missing_or_too_large_playlist(self):
        self.assertEqual(exchange(self.port, b"GET /playlist.m3u HTTP/1.0\r\n\r\n"), REPLY_404)
        self.write(b"#" * (4 * 1024 * 1024 + 1))
        start = len(self.proxy.messages())
        reply = exchange(self.port, b"GET /playlist.m3u HTTP/1.0\r\n\r\n")
        self.assertTrue(reply.startswith(b"HTTP/1.0 500 Internal Server Error\r\n"), reply[:100])
        self.assertIn(b"larger than 4 MiB", reply)
        self.proxy.wait_message(r"\] Thread terminating, playlist .*corvane\.m3u larger than 4 MiB$", start=start)


if __name__ == "__main__":
    unittest.main()
