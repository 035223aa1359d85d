#include "proxy/RequestHead.h"

#include "base/TextUtil.h"

namespace {

constexpr std::size_t kHostValueLimit = 255;

}  // namespace

HeadReader::State HeadReader::Feed(char byte) {
  if (state_ != State::Reading) return state_;
  if (byte == '\n' && !line_.empty() && line_.back() == '\r') {
    FinishLine();
    return state_;
  }
  // A line longer than the line buffer ends the request like a failed read.
  if (line_.size() >= kHeadLineLimit) {
    state_ = State::LineTooLong;
    return state_;
  }
  line_ += byte;
  return state_;
}

void HeadReader::FinishLine() {
  std::string line;
  line.swap(line_);
  if (line.size() <= 1 || line == "\n\r") {
    state_ = State::Complete;
    return;
  }
  if (head_.firstLine.empty()) head_.firstLine = line;
  if (line.compare(0, 6, "Host: ") == 0) {
    const std::string value = line.substr(6, line.size() - 7).substr(0, kHostValueLimit);
    const std::size_t colon = value.find(':');
    head_.host = value.substr(0, colon);
    head_.hostPort = NormaliseNumberText(colon == std::string::npos ? "80" : value.substr(colon + 1));
  }
}

RequestAuthority AuthorityOf(const std::string& host, const std::string& hostPort, const std::string& arrivedAt) {
  // HTTP/1.0 needs no "Host:" header. The address and port the connection arrived on reach this proxy from the
  // client's side of the network, so without one they stand in for it.
  if (!host.empty()) return {host, hostPort};
  const std::size_t colon = arrivedAt.rfind(':');
  if (colon == std::string::npos) return {arrivedAt, std::string()};
  return {arrivedAt.substr(0, colon), arrivedAt.substr(colon + 1)};
}

std::string RequestLineForLog(const std::string& firstLine) {
  std::string text = firstLine;
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}
