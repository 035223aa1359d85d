#pragma once
// The datagrams of an RTP stream as the client of "/rtp/" gets them: the payloads alone, in order.
#include <deque>
#include <functional>
#include <string>

#include "proxy/RelayLoop.h"
#include "proxy/RtpPacket.h"

class RtpSource : public DatagramSource {
 public:
  // datagrams must give each datagram's bounds; onForeign runs at the first datagram that is no RTP.
  RtpSource(DatagramSource& datagrams, std::function<void()> onForeign);
  // The payloads that may go to the client, valid until the next receive; nothing while all that came
  // waits for a missing packet. A receive that takes nothing releases what waits.
  TakenDatagrams Receive() override;

 private:
  void TakeDatagram(const char* data, std::size_t size);

  DatagramSource& datagrams_;
  std::function<void()> onForeign_;
  bool foreignSeen_ = false;
  RtpReorder order_;
  RtpReorder::Output out_;
  std::deque<std::string> joined_;  // datagrams that arrived in more than one piece, until the next receive
};
