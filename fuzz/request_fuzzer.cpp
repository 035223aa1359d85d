// Feeds arbitrary bytes through everything a client's request head touches before any socket
// is used for a stream: the head reader, the request line and the decision with its interface choice.
#include <cstddef>
#include <cstdint>
#include <string>

#include "proxy/RequestHead.h"
#include "proxy/Router.h"
#include "proxy/StaticSite.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  HeadReader reader;
  std::size_t used = 0;
  while (used < size && reader.Feed(static_cast<char>(data[used])) == HeadReader::State::Reading) ++used;
  const RequestHead& head = reader.Head();
  if (head.firstLine.size() > kHeadLineLimit || head.host.size() > 255) __builtin_trap();

  (void)RequestLineForLog(head.firstLine);
  // The rest of the input plays the interface list.
  const std::string list(reinterpret_cast<const char*>(data) + used, size - used);
  const RequestDecision decision = DecideRequest(head, list, false, [] { return true; });
  if (decision.action == RequestAction::StaticFile) {
    const std::string mapped = MapStaticPath(decision.path);
    if (mapped.find("../") != std::string::npos || mapped.size() > 1024 + 10) __builtin_trap();
    (void)ContentTypeFor(mapped);
  }
  return 0;
}
