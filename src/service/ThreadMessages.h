#pragma once
// Messages posted to a thread's own queue: how a service's control codes reach its control pump.
#include <cstdint>

namespace platform {

// Gives the calling thread its message queue, if it has none yet.
void CreateThreadMessageQueue();

// Appends a message to the queue of the thread threadId; false when that thread has no queue (yet).
bool PostThreadMessageTo(std::uint64_t threadId, std::uint32_t message, std::uintptr_t parameter);

// Takes the oldest message of the calling thread's queue without waiting. Messages for windows are
// dispatched to them here and count as none; true when a thread message was taken.
bool TakeThreadMessage(std::uint32_t& message, std::uintptr_t& parameter);

}  // namespace platform
