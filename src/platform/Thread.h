#pragma once
// Detached operating-system threads, one per client connection.
#include <cstdint>
#include <functional>

namespace platform {

// Starts body on a new detached thread and returns the number that names the thread in log lines
// (the thread handle on Windows, the kernel thread id elsewhere); 0 when no thread could be made.
// body receives the same number. The thread releases its own handle when body returns.
std::uint64_t StartDetachedThread(std::function<void(std::uint64_t threadNumber)> body);

void SleepMilliseconds(unsigned milliseconds);

// Raises the whole process to high priority (service mode).
void SetHighProcessPriority();

}  // namespace platform
