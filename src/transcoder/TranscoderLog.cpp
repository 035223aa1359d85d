#include "transcoder/TranscoderLog.h"

#include <atomic>
#include <cstdint>
#include <mutex>

#include "base/TextUtil.h"
#include "base/TranscoderContract.h"
#include "platform/Console.h"
#include "platform/Files.h"
#include "platform/LocalTime.h"

namespace {

constexpr const char* kRequestText = "Request ";

std::atomic<bool> consoleEnabled{false};

std::mutex& FileLock() {
  // Never destroyed: libvlc's threads may log until the process ends.
  static std::mutex* const lock = new std::mutex;
  return *lock;
}

// The message part of a log line: what follows the prefix, "" for a line without one.
std::string MessageOf(const std::string& line) {
  const std::size_t at = line.find(kTranscoderLogPrefix);
  return at == std::string::npos ? std::string() : line.substr(at + std::string(kTranscoderLogPrefix).size());
}

}  // namespace

std::string TranscoderLogFile() {
  // Never destroyed: the proxy's client threads and libvlc's threads may ask until the process ends.
  static const std::string* const file =
      new std::string(platform::RuntimeFileFor(platform::ProgramPath(), kTranscoderLogExtension));
  return *file;
}

void SetTranscoderConsole(bool enabled) { consoleEnabled = enabled; }

void LogTranscoderMessage(const std::string& message) {
  const std::string line = kTranscoderLogPrefix + message;
  const std::lock_guard<std::mutex> hold(FileLock());
  if (consoleEnabled) platform::WriteStandardOutputLine(line);
  const std::string file = TranscoderLogFile();
  if (file.empty()) return;
  platform::AppendToFile(file, platform::LocalDateTimeText() + " " + line + "\r\n");
  bool outgrown = false;
  {
    platform::InputFile current;
    outgrown = current.Open(file) && current.Size() > static_cast<std::int64_t>(kTranscoderLogLimit);
  }
  std::string text;
  if (outgrown && platform::ReadWholeFile(file, text)) {
    platform::WriteWholeFile(file, TrimmedTranscoderLog(text, kTranscoderLogLimit));
  }
}

std::string TrimmedTranscoderLog(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  const std::size_t from = text.find('\n', text.size() - limit / 2);
  return from == std::string::npos ? std::string() : text.substr(from + 1);
}

bool RefusesProfile(int level, const std::string& module, const std::string& text) {
  if (level < kVlcErrorLevel) return false;
  return StartsWith(module, "stream_out_transcode") || StartsWith(module, "stream_out_standard") ||
         StartsWith(text, "stream chain failed");
}

std::string LatestProfileRefusal(const std::string& logText) {
  std::string refusal;
  std::size_t start = 0;
  while (start < logText.size()) {
    std::size_t end = logText.find('\n', start);
    if (end == std::string::npos) end = logText.size();
    std::string message = MessageOf(logText.substr(start, end - start));
    if (!message.empty() && message.back() == '\r') message.pop_back();
    if (StartsWith(message, kRequestText)) refusal.clear();
    if (refusal.empty() && StartsWith(message, kProfileRefusedText)) {
      refusal = message.substr(std::string(kProfileRefusedText).size());
    }
    start = end + 1;
  }
  return refusal;
}
