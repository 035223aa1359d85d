#pragma once
// Detached operating-system threads, one per client connection.
#include <cstddef>
#include <cstdint>
#include <functional>

namespace platform {

// Stack reserved for each detached thread. Connection threads keep their buffers on the heap, so a
// small reservation lets a 32-bit process (2 GiB of address space) hold thousands of them.
constexpr std::size_t kDetachedThreadStackBytes = 256 * 1024;

// Starts body on a new detached thread; false when no thread could be made. body receives the
// non-zero number that names the thread in log lines (the thread handle on Windows, the kernel
// thread id elsewhere). The thread releases its own handle when body returns. The creator does not
// wait for the thread to run.
bool StartDetachedThread(std::function<void(std::uint64_t threadNumber)> body);

void SleepMilliseconds(unsigned milliseconds);

// Raises the whole process to high priority (service mode).
void SetHighProcessPriority();

}  // namespace platform
