#pragma once
// Reading an HTTP request head one byte at a time.
#include <cstddef>
#include <string>

inline constexpr std::size_t kHeadLineLimit = 4096;
// A client must deliver its whole head within this time; players send it at once on connecting.
inline constexpr int kHeadTimeoutMilliseconds = 30000;

struct RequestHead {
  std::string firstLine;  // with the CR that ended it
  std::string host;       // "Host: " value before the first ":"
  std::string hostPort;   // decimal text of the port after it; "80" without one
};

class HeadReader {
 public:
  enum class State { Reading, Complete, LineTooLong };

  // Takes the next byte of the connection; once not Reading, further bytes are ignored.
  State Feed(char byte);
  State GetState() const { return state_; }
  const RequestHead& Head() const { return head_; }

 private:
  void FinishLine();

  State state_ = State::Reading;
  std::string line_;
  RequestHead head_;
};

// Where the client reached this proxy: the host and port of the "Host:" header, or when the request named no host
// the address and port the connection arrived on (arrivedAt, "address:port"; port empty without a ":").
struct RequestAuthority {
  std::string host;
  std::string port;
};
RequestAuthority AuthorityOf(const std::string& host, const std::string& hostPort, const std::string& arrivedAt);

// The request line as logged: every CR and LF turned into a space.
std::string RequestLineForLog(const std::string& firstLine);
