#include "proxy/RtpPacket.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "proxy/RtpSource.h"

namespace {

// An RTP packet: the first byte and the sequence number, then the rest of the header as given.
std::string Packet(unsigned char first, std::uint16_t sequence, const std::string& afterFixed,
                   const std::string& payload = "PAYLOAD", std::uint32_t ssrc = 0x01020304) {
  std::string bytes;
  bytes += static_cast<char>(first);
  bytes += static_cast<char>(33);  // MPEG-TS
  bytes += static_cast<char>(sequence >> 8);
  bytes += static_cast<char>(sequence & 0xFF);
  bytes += std::string(4, '\0');  // time stamp
  for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((ssrc >> shift) & 0xFF);
  return bytes + afterFixed + payload;
}

RtpPacket Read(const std::string& bytes) {
  return ReadRtpPacket(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

std::string PayloadOf(const std::string& bytes) {
  const RtpPacket packet = Read(bytes);
  return packet.valid ? bytes.substr(packet.payloadOffset, packet.payloadSize) : "<invalid>";
}

TEST(RtpPacketTest, HeaderPartsAreHonouredAndBadPacketsRefused) {
  const std::string csrc2(8, 'c');
  const std::string extension = std::string("\xBE\xDE\x00\x02", 4) + std::string(8, 'x');
  struct Row {
    std::string bytes;
    std::string payload;
  };
  const std::vector<Row> rows = {
      {Packet(0x80, 1, ""), "PAYLOAD"},
      {Packet(0x82, 1, csrc2), "PAYLOAD"},                                   // two CSRC entries
      {Packet(0x90, 1, extension), "PAYLOAD"},                               // an extension of two words
      {Packet(0xA0, 1, "", std::string("PAYLOAD\0\0\x03", 10)), "PAYLOAD"},  // three bytes of padding
      {Packet(0xB2, 1, csrc2 + extension, std::string("PAY\x01", 4)), "PAY"},
      {Packet(0x80, 1, "", ""), ""},                                         // no payload at all
      {Packet(0x40, 1, ""), "<invalid>"},                                    // version 1
      {std::string("\x47\x40\x11\x10") + std::string(184, '\xFF'), "<invalid>"},  // plain transport stream
      {Packet(0x80, 1, "").substr(0, 11), "<invalid>"},                      // shorter than the fixed header
      {Packet(0x8F, 1, "", "short"), "<invalid>"},                           // 15 CSRC entries announced
      {Packet(0x90, 1, "", std::string("\x00\x00\x00\x09", 4)), "<invalid>"},  // extension past the end
      {Packet(0x90, 1, "", "ab"), "<invalid>"},                              // extension header cut
      {Packet(0xA0, 1, "", std::string("PAY\x00", 4)), "<invalid>"},         // padding count 0
      {Packet(0xA0, 1, "", std::string("PAY\x20", 4)), "<invalid>"},         // more padding than packet
      {Packet(0xA2, 1, csrc2, std::string("\x0A", 1)), "<invalid>"},         // padding into the header
  };
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(PayloadOf(rows[i].bytes), rows[i].payload) << "row " << i;
  const RtpPacket packet = Read(Packet(0x80, 0xABCD, "", "x", 0xCAFEF00D));
  EXPECT_EQ(packet.sequence, 0xABCD);
  EXPECT_EQ(packet.ssrc, 0xCAFEF00Du);
}

// Feeds packets given as "sequence:payload" (with "/ssrc" for another sender, "|" for a pause) and
// returns what reaches the client.
std::string Reordered(const std::vector<std::string>& steps) {
  RtpReorder order;
  RtpReorder::Output pieces;
  std::string out;
  // What was handed out is sent before the next packet comes.
  const auto send = [&] {
    for (const platform::ByteRange& piece : pieces) out.append(piece.data, piece.size);
    pieces.clear();
    order.Reclaim();
  };
  for (const std::string& step : steps) {
    if (step == "|") {
      order.Flush(pieces);
      send();
      continue;
    }
    const std::size_t colon = step.find(':');
    RtpPacket packet;
    packet.valid = true;
    packet.sequence = static_cast<std::uint16_t>(std::stoul(step.substr(0, colon)));
    packet.ssrc = step.find('/') == std::string::npos ? 1 : 2;
    const std::string payload = step.substr(colon + 1, step.find('/') - colon - 1);
    packet.payloadSize = payload.size();
    order.Take(packet, payload.data(), pieces);
    send();
  }
  return out;
}

TEST(RtpReorderTest, PacketsGoOutInSequenceOrder) {
  struct Row {
    std::vector<std::string> steps;
    std::string expected;
  };
  // Packet 1 never comes: 2 to 32 wait (31 packets), and 33, a whole window ahead, gives the gap up.
  std::vector<std::string> lost = {"0:a"};
  std::string lostExpected = "a";
  for (int i = 2; i <= 33; ++i) {
    const std::string payload(1, static_cast<char>('a' + i % 26));
    lost.push_back(std::to_string(i) + ":" + payload);
    lostExpected += payload;
  }
  const std::vector<Row> rows = {
      {{"5:a", "6:b", "7:c"}, "abc"},
      {{"5:a", "7:c", "6:b", "8:d"}, "abcd"},
      {{"5:a", "8:d", "7:c", "6:b"}, "abcd"},
      {{"5:a", "6:b", "6:b", "5:a", "7:c"}, "abc"},              // repeated and late ones dropped
      {{"5:a", "7:c", "7:c", "6:b"}, "abc"},                     // a repeat of one that waits
      {{"65534:a", "0:c", "65535:b", "1:d"}, "abcd"},            // across the wrap of the numbers
      {{"5:a", "7:c", "|", "6:b", "8:d"}, "acd"},                // a pause gives the gap up; 6 came too late
      {{"5:a", "7:c", "9:e", "|", "10:f"}, "acef"},
      {{"5:a", "6:b", "1000:x", "1001:y"}, "abxy"},              // a jump forward: the sender skipped ahead
      {{"5000:a", "5001:b", "10:x", "11:y"}, "abxy"},            // far behind: the sender started over
      {{"5:a", "7:c", "2:x/", "3:y/"}, "acxy"},                  // another sender: what waits goes first
      {lost, lostExpected},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(Reordered(rows[i].steps), rows[i].expected) << "row " << i;
}

// Everything handed out between two sends stays as it was, even when the slot of a payload that waited
// takes another packet before the send.
TEST(RtpReorderTest, WhatWaitedStaysIntactUntilItIsSent) {
  RtpReorder order;
  RtpReorder::Output pieces;
  // 2 waits for 1; 34, a window ahead of 2, then waits in the slot that 2 had.
  std::vector<std::pair<std::uint16_t, std::string>> packets = {{0, "zero"}, {2, "two"}, {1, "one"}, {34, "far"}};
  for (auto& [sequence, payload] : packets) {
    RtpPacket packet;
    packet.valid = true;
    packet.sequence = sequence;
    packet.payloadSize = payload.size();
    order.Take(packet, payload.data(), pieces);
    // A packet that waits is copied: its datagram's room is used again at the next receive.
    if (sequence == 2 || sequence == 34) payload.assign(payload.size(), '?');
  }
  std::string sent;
  for (const platform::ByteRange& piece : pieces) sent.append(piece.data, piece.size);
  EXPECT_EQ(sent, "zeroonetwo");
}

// Datagrams in the pieces a receive hands out: one piece per datagram, or one split in two.
class ScriptedDatagrams : public DatagramSource {
 public:
  std::vector<std::vector<std::string>> batches;  // each receive takes the next; pieces as given
  std::vector<std::vector<std::size_t>> sizes;
  TakenDatagrams Receive() override {
    TakenDatagrams taken;
    pieces_.clear();
    if (next_ < batches.size()) {
      for (const std::string& piece : batches[next_]) pieces_.push_back({piece.data(), piece.size()});
      taken.pieces = pieces_.data();
      taken.count = pieces_.size();
      taken.sizes = sizes[next_].data();
      taken.datagrams = sizes[next_].size();
      ++next_;
    }
    return taken;
  }

 private:
  std::size_t next_ = 0;
  std::vector<platform::ByteRange> pieces_;
};

std::string Text(const TakenDatagrams& taken) {
  std::string text;
  for (std::size_t i = 0; i < taken.count; ++i) text.append(taken.pieces[i].data, taken.pieces[i].size);
  return text;
}

TEST(RtpSourceTest, PayloadsOfEveryDatagramWhateverItsPiecesForeignOnesLoggedOnce) {
  const std::string one = Packet(0x80, 1, "", "one");
  const std::string two = Packet(0x80, 2, "", "two");
  const std::string three = Packet(0x80, 3, "", "three");
  const std::string six = Packet(0x80, 6, "", "six");
  const std::string foreign = "\x47plain transport stream";
  ScriptedDatagrams datagrams;
  // End to end in one piece; a datagram split over two pieces; foreign ones; a packet that waits for
  // one that never comes, released when a receive takes nothing.
  datagrams.batches = {{one + foreign + two}, {three.substr(0, 5), three.substr(5) + foreign}, {six}};
  datagrams.sizes = {{one.size(), foreign.size(), two.size()}, {three.size(), foreign.size()}, {six.size()}};
  int foreignLogs = 0;
  RtpSource source(datagrams, [&foreignLogs] { ++foreignLogs; });
  EXPECT_EQ(Text(source.Receive()), "onetwo");
  EXPECT_EQ(Text(source.Receive()), "three");
  const TakenDatagrams waiting = source.Receive();
  EXPECT_EQ(waiting.count, 0u);
  EXPECT_EQ(Text(source.Receive()), "six");
  EXPECT_EQ(foreignLogs, 1);
}

}  // namespace
