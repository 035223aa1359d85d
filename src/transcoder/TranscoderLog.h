#pragma once
// The transcoder's log: its own lines and libvlc's, kept in a small file that the proxy's "/status/transcoder" and
// the control panel read, and shown on the console when the transcoder runs with "/cons".
#include <cstddef>
#include <string>

inline constexpr const char* kTranscoderLogPrefix = "TRANSCODER message : ";
inline constexpr std::size_t kTranscoderLogLimit = 64 * 1024;
// The start of the line that says libvlc could not build the output chain from the profile.
inline constexpr const char* kProfileRefusedText = "Profile refused by libvlc: ";
inline constexpr int kVlcErrorLevel = 4;

// Beside the program (in the user's private runtime folder on Linux), shared by every copy of the program as the
// transcoder's window is; "" when there is no such place.
std::string TranscoderLogFile();

// Copies every line to standard output as well.
void SetTranscoderConsole(bool enabled);

// Stamps the message with the date and time and appends it, trimming the file once it has outgrown the limit.
// Safe from any thread (libvlc's included).
void LogTranscoderMessage(const std::string& message);

// A log text that has outgrown limit keeps its newest whole lines, at most half the limit; others stay as they are.
std::string TrimmedTranscoderLog(const std::string& text, std::size_t limit);

// A libvlc message that says the output chain from the profile cannot be built: the errors of the transcode and
// standard outputs and of the chain as a whole.
bool RefusesProfile(int level, const std::string& module, const std::string& text);

// The libvlc text of the first refusal logged after the log's last request; "" when that request was taken.
std::string LatestProfileRefusal(const std::string& logText);
