#include "platform/Threads.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/random.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "platform/common/RandomGuid.h"
#include "platform/common/ThreadIds.h"

namespace platform {

// Shared by the handle and the running thread; whichever lets go last deletes it.
struct ThreadRecord {
    pthread_t thread{};
    ThreadEntry entry = nullptr;
    void* argument = nullptr;
    unsigned long id = 0;
    std::mutex mutex;
    std::condition_variable ended;
    bool running = true;
    std::atomic<int> references{2};
};

namespace {

void Release(ThreadRecord* record) {
    if (record->references.fetch_sub(1) == 1) delete record;
}

void* Trampoline(void* raw) {
    ThreadRecord* record = static_cast<ThreadRecord*>(raw);
    AdoptThreadId(record->id);
    record->entry(record->argument);
    {
        std::lock_guard<std::mutex> lock(record->mutex);
        record->running = false;
    }
    record->ended.notify_all();
    Release(record);
    return nullptr;
}

}  // namespace

ThreadHandle CreateThread(ThreadEntry entry, void* argument, unsigned long* threadId) {
    if (!entry) {
        SetLastError(kErrorInvalidParameter, "no thread entry function");
        return nullptr;
    }
    ThreadRecord* record = new ThreadRecord;
    record->entry = entry;
    record->argument = argument;
    record->id = NewThreadId();
    int result = pthread_create(&record->thread, nullptr, &Trampoline, record);
    if (result != 0) {
        SetLastError(kErrorNotEnoughMemory, std::strerror(result));
        delete record;
        return nullptr;
    }
    if (threadId) *threadId = record->id;
    SetLastError(kErrorSuccess);
    return record;
}

bool WaitThread(ThreadHandle handle, uint32_t timeoutMs) {
    if (!handle) return false;
    std::unique_lock<std::mutex> lock(handle->mutex);
    auto finished = [handle] { return !handle->running; };
    if (timeoutMs == 0xFFFFFFFFu) {
        handle->ended.wait(lock, finished);
        return true;
    }
    return handle->ended.wait_for(lock, std::chrono::milliseconds(timeoutMs), finished);
}

bool IsThreadRunning(ThreadHandle handle) {
    if (!handle) return false;
    std::lock_guard<std::mutex> lock(handle->mutex);
    return handle->running;
}

void CloseThreadHandle(ThreadHandle handle) {
    if (!handle) return;
    pthread_detach(handle->thread);
    Release(handle);
}

bool CreateGuid(_GUID* out) {
    if (!out) return false;
    unsigned char bytes[16];
    size_t filled = 0;
    while (filled < sizeof bytes) {
        ssize_t count = getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        filled += static_cast<size_t>(count);
    }
    GuidFromRandomBytes(bytes, out);
    return true;
}

}  // namespace platform
