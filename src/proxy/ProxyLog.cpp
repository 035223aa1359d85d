#include "proxy/ProxyLog.h"

#include <utility>

#include "platform/Console.h"
#include "platform/LocalTime.h"

TProxyLog::TProxyLog(std::size_t capacity, Clock clock, Echo echo)
    : capacity_(capacity), clock_(std::move(clock)), echo_(std::move(echo)) {}

void TProxyLog::Append(const std::string& message) {
  std::string line = clock_() + " " + message;
  std::lock_guard<std::mutex> lock(mutex_);
  // Echoing under the lock keeps the console in the same order as the log.
  if (echoEnabled_) echo_(line);
  lines_.push_front(std::move(line));
  while (lines_.size() > capacity_) lines_.pop_back();
}

std::string TProxyLog::Text() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::size_t size = 0;
  for (const std::string& line : lines_) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::size_t TProxyLog::LineCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_.size();
}

void TProxyLog::SetEchoEnabled(bool enabled) {
  std::lock_guard<std::mutex> lock(mutex_);
  echoEnabled_ = enabled;
}

TProxyLog& ProxyLog() {
  // Lives until the process ends: client threads may still log while it exits.
  static auto* log = new TProxyLog(kProxyLogCapacity, platform::LocalDateTimeText, platform::WriteStandardOutputLine);
  return *log;
}

void SetConsoleLogEnabled(bool enabled) { ProxyLog().SetEchoEnabled(enabled); }

void LogProxyMessage(const std::string& text) { ProxyLog().Append(kLogPrefix + text); }
