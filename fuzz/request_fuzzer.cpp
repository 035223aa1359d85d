// Feeds arbitrary bytes through everything a client's request head touches before any socket
// is used for a stream: the head reader, the request line, the decision with its interface choice and,
// for a hand-off, the transcoder's address.
#include <cstddef>
#include <cstdint>
#include <string>

#include "proxy/RequestHead.h"
#include "proxy/Router.h"
#include "proxy/StaticSite.h"
#include "proxy/TranscoderHandOff.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  HeadReader reader;
  std::size_t used = 0;
  while (used < size && reader.Feed(static_cast<char>(data[used])) == HeadReader::State::Reading) ++used;
  const RequestHead& head = reader.Head();
  if (head.firstLine.size() > kHeadLineLimit || head.host.size() > 255) __builtin_trap();

  (void)RequestLineForLog(head.firstLine);
  // The rest of the input plays the interface list; an odd length turns transcoding on.
  const std::string list(reinterpret_cast<const char*>(data) + used, size - used);
  const RequestDecision decision = DecideRequest(head, list, size % 2 == 1, [] { return true; });
  if (decision.action == RequestAction::StaticFile) {
    const std::string mapped = MapStaticPath(decision.path);
    if (mapped.find("../") != std::string::npos || mapped.size() > 1024 + 10) __builtin_trap();
    (void)ContentTypeFor(mapped);
  }
  if (decision.action == RequestAction::TranscoderHandOff) {
    // Without a "Host:" header the list stands in for the address the connection arrived on.
    const TranscoderAddress address = TranscoderAddressFor(head.host, head.hostPort, list);
    // Either no port (the client gets the 400) or a TCP port in plain decimal.
    if (!address.port.empty() && (address.port.find_first_not_of("0123456789") != std::string::npos ||
                                  address.port.size() > 5 || std::stoi(address.port) < 1 ||
                                  std::stoi(address.port) > 65535)) {
      __builtin_trap();
    }
  }
  return 0;
}
