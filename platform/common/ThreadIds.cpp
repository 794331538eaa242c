#include "platform/common/ThreadIds.h"

#include <atomic>

#include "platform/Threads.h"

namespace platform {

namespace {

std::atomic<unsigned long> nextThreadId{1};
thread_local unsigned long currentThreadId = 0;

}  // namespace

unsigned long NewThreadId() { return nextThreadId.fetch_add(1); }

void AdoptThreadId(unsigned long id) { currentThreadId = id; }

unsigned long CurrentThreadId() {
    if (currentThreadId == 0) currentThreadId = NewThreadId();
    return currentThreadId;
}

bool TerminateThread(ThreadHandle, unsigned long) {
    SetLastError(kErrorNotSupported, "threads cannot be terminated from outside on this platform");
    return false;
}

}  // namespace platform
