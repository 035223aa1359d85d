#pragma once
// Detached operating-system threads, one per client connection.
#include <cstdint>
#include <functional>

namespace platform {

// Starts body on a new detached thread; false when no thread could be made. body receives the
// non-zero number that names the thread in log lines (the thread handle on Windows, the kernel
// thread id elsewhere). The thread releases its own handle when body returns. The creator does not
// wait for the thread to run.
bool StartDetachedThread(std::function<void(std::uint64_t threadNumber)> body);

void SleepMilliseconds(unsigned milliseconds);

// Raises the whole process to high priority (service mode).
void SetHighProcessPriority();

}  // namespace platform
