#pragma once
// The proxy's in-memory log: newest line first, bounded, one lock. Shown on the console and the status page.
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

inline constexpr std::size_t kProxyLogCapacity = 20480;
inline constexpr const char* kLogPrefix = "PROXY message : ";

class TProxyLog {
 public:
  using Clock = std::function<std::string()>;               // "date time" of now
  using Echo = std::function<void(const std::string& line)>;  // console copy of a line

  TProxyLog(std::size_t capacity, Clock clock, Echo echo);

  // Stamps the message with the date and time, echoes it when enabled, keeps it at the front.
  void Append(const std::string& message);
  // All lines, newest first, each followed by CR LF.
  std::string Text() const;
  std::size_t LineCount() const;

  void SetEchoEnabled(bool enabled);

 private:
  const std::size_t capacity_;
  const Clock clock_;
  const Echo echo_;
  mutable std::mutex mutex_;
  std::deque<std::string> lines_;
  bool echoEnabled_ = false;
};

// The process-wide log; it lives until the process ends.
TProxyLog& ProxyLog();
// ConsoleLogEnabled: copy every line to standard output.
void SetConsoleLogEnabled(bool enabled);
// Appends kLogPrefix + text to the process-wide log.
void LogProxyMessage(const std::string& text);
